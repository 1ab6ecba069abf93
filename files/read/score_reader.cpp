// Loading a score file (see score_reader.h). The read builds into a view and a
// document of its own, so a failure is undone by freeing both and putting back the
// program's current document and pool set and the reader's flags; nothing the
// program held before the load is touched until the load has succeeded.
#include "files/read/score_reader.h"

#include <string>
#include <utility>

#include "core/core_strings.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/shell_services.h"
#include "core/ui/wait_cursor.h"
#include "files/bytes/score_file_handle.h"
#include "files/read/old_versions.h"
#include "files/read/score_build_sink.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "files/save/atomic_save.h"
#include "files/score_file.h"
#include "files/stream/score_stream_walker.h"
#include "platform/ui/message_box.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

namespace fc = file_code;

constexpr char kCantRead[] = "Can't read file.";
// The reasons "Can't read file." gives after the file's name when the system has none.
constexpr char kEmptyFile[] = "The file is empty.";
constexpr char kShortFile[] = "The file ends before its header is complete.";
constexpr char kNotScoreFile[] = "Not a Quaverlinescribe file.";
constexpr char kTooManyStaves[] = "This file has too many staves.";
constexpr char kInvalidData[] = "File data is invalid or corrupted.";
constexpr char kReadError[] = "An error occurred while reading file.";
constexpr char kTemplateExtension[] = ".tpl";

// What the program held before the load; put back on every failing path.
class LoadGuard {
  public:
    LoadGuard()
        : files_(State().files), document_(State().documents.CurrentDocument), pools_(CurrentPoolSet()) {
        State().files.ScoreFileReading = 1;
    }
    ~LoadGuard() {
        FileFlags& files = State().files;
        files.ScoreFileReading = files_.ScoreFileReading;
        files.FileVersion = files_.FileVersion;
        files.VersionFieldWidth = files_.VersionFieldWidth;
        files.VersionChoice = files_.VersionChoice;
        files.AttachedObjectTime = files_.AttachedObjectTime;
        if (failed_) {
            State().documents.CurrentDocument = document_;
            SetCurrentPoolSet(pools_);
        }
    }
    LoadGuard(const LoadGuard&) = delete;
    LoadGuard& operator=(const LoadGuard&) = delete;
    void Failed() { failed_ = true; }

  private:
    FileFlags files_;
    ScoreDocument* document_;
    PoolSet pools_;
    bool failed_ = false;
};

struct ReadOutcome {
    ScoreLoad load;
    uint8_t version = 0;         // the version the file was read as
    bool internalError = false;  // an internal error was reported while the body was read
    bool prologueRefused = false;
    PrologueFault fault = PrologueFault::ShortRead;
};

// The new view and document, or a code with nothing made.
int MakeViewAndDocument(ScoreLoad* load) {
    load->view = InitView(AllocView());
    if (load->view == nullptr) return fc::kGalleySystem;
    LinkView(load->view);
    load->document = AllocDocument();
    if (load->document != nullptr && CreateDocument(load->document, load->view, nullptr) == load->document)
        return 0;
    delete load->document;
    load->document = nullptr;
    return fc::kStaffRecordsAlloc;
}

ReadOutcome ReadIntoNewDocument() {
    ReadOutcome out;
    LoadGuard guard;
    ScoreLoad& load = out.load;
    // Internal errors are counted, not shown, while a file is read (core/error_report.h).
    const uint32_t reportsBefore = State().files.EmergencySaveActive;
    load.code = MakeViewAndDocument(&load);
    if (load.code == 0) {
        BuildingStreamSink sink(load.view);
        load.code = WalkScoreStream(load.view, sink);
        if (load.code == 0) load.code = sink.FinishDocument();
        load.damaged = sink.Damaged();
        load.repairedPages = sink.RepairedPages();
        load.repairedMetrics = sink.RepairedMetrics();
        out.prologueRefused = sink.PrologueRefused(&out.fault);
    }
    out.internalError = State().files.EmergencySaveActive != reportsBefore;
    out.version = State().files.FileVersion;
    if (load.code != 0) {
        guard.Failed();
        int code = load.code;
        FreeLoadedScore(load);
        load.code = code;
        load.damaged = false;
        load.repairedPages = 0;
        load.repairedMetrics = 0;
        return out;
    }
    // The repaired score is not what the file holds, but nothing of it was lost:
    // it stays modified and may be saved over its file.
    if (load.repairedPages > 0) SetDocumentModified(load.document);
    if (load.damaged) {
        // Save must not put the partial score over the file: it goes to Save As.
        load.document->laterMajorVersion = 1;
        load.document->versionWarningShown = 1;  // the damage was reported instead
        SetDocumentModified(load.document);
    }
    // The score's tempo and on/off setting become the program's, only once the
    // load has succeeded (a failed load leaves the settings as they were).
    LoadScoreSettingsFrom(load.document);
    return out;
}

// "Can't read file." with the file's name and the reason on lines of their own.
std::string CantReadText(const std::string& path, const std::string& reason) {
    return std::string(kCantRead) + "\n" + path + "\n" + reason;
}

// A failure after an internal error names its code: "... file. [1400]".
std::string FailureText(const ReadOutcome& out, const std::string& path, uint64_t fileBytes) {
    if (out.internalError) return std::string(kReadError) + " [" + std::to_string(out.load.code) + "]";
    if (out.prologueRefused && out.fault == PrologueFault::ShortRead)
        return CantReadText(path, fileBytes == 0 ? kEmptyFile : kShortFile);
    if (out.prologueRefused && out.fault == PrologueFault::NotScoreFile) return kNotScoreFile;
    if (out.load.code == fc::kTooManyStaves) return kTooManyStaves;
    return kInvalidData;
}

void ShowBox(const char* text, uint32_t icon) {
    ModalMessageBox(text, ProgramString(kStrProductCaption), icon);
}

bool IsTemplatePath(const std::string& path) {
    const std::string extension = kTemplateExtension;
    if (path.size() < extension.size()) return false;
    std::string tail = path.substr(path.size() - extension.size());
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == extension;
}

}  // namespace

void ShowLoadNotice(const ScoreLoad& load) {
    std::string text = load.damaged ? kDamagedFileNotice : "";
    if (load.repairedPages > 0)
        text += (text.empty() ? "" : "\n") + RepairedPagesNotice(load.repairedPages);
    if (load.repairedMetrics > 0) text += (text.empty() ? "" : "\n") + std::string(kRepairedMetricsNotice);
    if (!text.empty()) ShowBox(text.c_str(), ui::kBoxIconInformation);
}

namespace {

// The remembered choice a decided reading of version 15 reads with.
uint8_t ChoiceOf(uint8_t readAs, bool decided) {
    if (readAs == kVersionChoiceOlder) return kVersionChoiceOlder;
    if (readAs == kVersionChoiceNewer) return kVersionChoiceNewer;
    return decided ? kVersionChoiceShorter : kVersionChoiceNone;
}

// Reads the open file from its start. Version 15 comes in two layouts: Shift held
// reads it as 16 and Ctrl as 15 (the shorter records); otherwise a read that fails
// or needs a recovery is tried again as 14 and then as 16, and the first clean read
// stands (else a last read as 15).
ReadOutcome ReadWithVersionRetries() {
    const Version15Choice choice = DecideVersion15(
        Version15Inputs{win::IsKeyDown(win::Key::Shift), win::IsKeyDown(win::Key::Control), false, false});
    const uint8_t savedChoice = State().files.VersionChoice;
    State().files.VersionChoice = ChoiceOf(choice.readAs, choice.decided);
    ReadOutcome out = ReadIntoNewDocument();
    if (!choice.decided && out.version == kAmbiguousVersion && !out.internalError &&
        (out.load.code != 0 || out.load.damaged)) {
        bool first = true;
        ReadVersion15WithRetries([&](uint8_t readAs) {
            if (!std::exchange(first, false)) {
                if (out.load.view != nullptr) FreeLoadedScore(out.load);
                State().files.VersionChoice = ChoiceOf(readAs, false);
                SeekScoreFile(0);
                out = ReadIntoNewDocument();
            }
            return Version15Attempt{out.load.code, out.load.damaged};
        });
    }
    State().files.VersionChoice = savedChoice;
    return out;
}

}  // namespace

ScoreLoad ReadScoreIntoNewDocument() {
    return ReadWithVersionRetries().load;
}

ScoreLoad LoadScoreFile(const std::string& path) {
    if (!OpenScoreFileForRead(path)) {
        const std::string text = CantReadText(path, SystemErrorMessage(TheScoreFile().LastError()));
        if (!State().files.QuietRead) ShowBox(text.c_str(), ui::kBoxIconStop);
        ScoreLoad failed;
        failed.code = fc::kHeader;
        return failed;
    }
    const uint64_t fileBytes = ScoreBytesLeft();
    ReadOutcome out;
    {
        const WaitCursor waiting;
        out = ReadWithVersionRetries();
        CloseScoreFile();
    }
    if (out.load.code != 0) {
        if (!State().files.QuietRead) ShowBox(FailureText(out, path, fileBytes).c_str(), ui::kBoxIconStop);
        return out.load;
    }
    // The document's dates are the file's last write (the current time when the
    // system cannot tell).
    static_assert(kCreatedFieldCount >= kWriteTimeFields);
    LastWriteTimeFields(path, out.load.document->created);
    if (!IsTemplatePath(path)) {
        out.load.document->path = path;
        if (!State().files.OpeningAsBase) AddToPickList(path);
    }
    return out.load;
}

std::string RepairedPagesNotice(int pages) {
    if (pages == 1)
        return "The file held a page without systems. It was removed; its objects are kept on "
               "the nearest page.";
    return "The file held " + std::to_string(pages) +
           " pages without systems. They were removed; their objects are kept on the nearest page.";
}

void FreeLoadedScore(ScoreLoad& load) {
    if (load.view != nullptr) FreeView(load.view);
    if (load.document != nullptr) FreeDocument(load.document);
    load.view = nullptr;
    load.document = nullptr;
}

}  // namespace ql
