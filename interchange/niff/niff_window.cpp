// The new score window of a NIFF import: both passes, the document built for the
// staves read, and on a cancel, a failure, running out of memory or a damaged file
// read up to none of its music the window closed at once with nothing asked, every
// other score untouched.
#include <algorithm>
#include <new>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/progress.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"
#include "core/ui/wait_cursor.h"
#include "core/units/units.h"
#include "interchange/byte_source.h"
#include "interchange/import_flags.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_values.h"
#include "interchange/smf/smf_strings.h"
#include "platform/sys/file_io.h"
#include "platform/ui/message_box.h"

namespace ql::niff {
namespace {

// A view with a new document of the import's staves, in a new window.
ScoreView* MakeScoreWindow(const NiffImportState& import, const std::string& title) {
    ScoreView* view = InitView(AllocView());
    if (view == nullptr) return nullptr;
    LinkView(view);
    ScoreDocument* document = AllocDocument();
    NewScoreBlock block = ProgramPreferences().header.newScoreBlock;
    block.initStavesPerSystem = static_cast<uint16_t>(import.staffCount);
    // The builder deals the file's measures out to the systems.
    block.initMeasuresPerSystem = 1;
    block.initSystemsPerPage = static_cast<uint8_t>(std::clamp(import.firstPageSystems, 1, kNiffMostSystemsPerPage));
    if (document == nullptr || CreateDocument(document, view, &block) != document) {
        delete document;
        FreeView(view);
        return nullptr;
    }
    document->path = title;
    if (!BuildGalleyPage(view, nullptr) || CreateScoreWindow(view, title, false) == nullptr) {
        FreeView(view);
        FreeDocument(document);
        return nullptr;
    }
    return view;
}

// Whether a measure of the score holds anything the file gave: a note, a rest or a
// mark. A damaged file read up to none of them is refused.
bool HoldsMusic(ScoreDocument* document) {
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        for (int measure = 1; measure <= document->header.measureCount; ++measure)
            if (IsCellEmpty(ExistingMeasureCell(document, staff, measure)) == 0) return true;
    return false;
}

void CloseCancelled(ScoreView* view, const ImportReport& report) {
    report.WriteDiagnostics(stderr);
    if (view != nullptr) {
        ClearDocumentModified(view->document);
        const platform::WindowHandle window = view->ViewWindow;
        // Nothing to save is asked about; a window that still refuses goes anyway, so
        // no caller ever sees a window of a failed import.
        if (CloseScoreWindow(window) == 0) ForceCloseScoreWindow(window);
    }
    SetStatusText(1, "");
    SetStatusText(0, kNiffImportCancelled);
}

ScoreView* RunImport(const std::function<std::unique_ptr<ByteSource>()>& open, const std::string& title,
                     const ImportReport* earlier = nullptr, const char* caption = nullptr) {
    ImportFlags flags(ImportKind::ScoreFile);
    WaitCursor wait;
    SetStatusText(0, "");
    SetStatusText(1, kNiffLoading);
    auto import = std::make_unique<NiffImportState>();
    ScoreView* view = nullptr;
    try {
        const auto makeWindow = [&](NiffImportState& state) {
            view = MakeScoreWindow(state, title);
            if (view == nullptr) return false;
            state.view = view;
            state.document = view->document;
            state.unitsPerInch = UnitsPerInch(*view->document);
            return true;
        };
        const NiffReadResult read = ReadNiffPasses(*import, open, makeWindow);
        if (!read.read || BuildScoreFromNiff(*import) != 0 || import->cancelled ||
            (!read.complete && !HoldsMusic(view->document))) {
            ReleaseNiffImport(*import);
            EndProgressDialog();
            CloseCancelled(view, import->report);
            return nullptr;
        }
        ReleaseNiffImport(*import);
        SetStatusText(0, read.complete ? "OK" : "");
        EndProgressDialog();
        ClearDocumentModified(view->document);
        ShowPageOfImport(view);
        if (earlier == nullptr) {
            import->report.Show(caption != nullptr ? caption : kNiffImportCaption);
            return view;
        }
        ImportReport joined = *earlier;
        joined.Merge(import->report);
        joined.Show(caption != nullptr ? caption : kNiffImportCaption);
        return view;
    } catch (const NiffImportAbort&) {
    } catch (const std::bad_alloc&) {
    }
    ModalMessageBox(kNiffNoMemory, kNiffImportCaption, ui::kBoxIconInformation);
    AbortNiffImport(*import, import->reader);
    CloseCancelled(view, import->report);
    return nullptr;
}

}  // namespace

ScoreView* ImportNiffFile(const std::filesystem::path& path) {
    return OpenNiffScoreWindow(path, NiffImportTitle(path.native()));
}

ScoreView* OpenNiffScoreWindow(const std::filesystem::path& path, const std::string& title,
                               const ImportReport* earlier, const char* caption) {
    return RunImport(
        [&]() -> std::unique_ptr<ByteSource> {
            int error = 0;
            const sys::FileDescriptor file = sys::OpenFileForRead(path.native(), sys::FileShare::ReadWrite, &error);
            if (file == sys::kNoFile) {
                // A file that cannot be opened is said so, as for a MIDI file.
                const std::string text = ProgramString(kStrFileOpenError) + ": " + std::to_string(error);
                ModalMessageBox(text, kNiffImportCaption, ui::kBoxIconExclamation);
                return nullptr;
            }
            return ByteSource::FromFile(file);
        },
        title, earlier, caption);
}

ScoreView* OpenNiffScoreWindowFromMemory(std::span<const uint8_t> bytes, const std::string& title,
                                         const ImportReport* earlier, const char* caption) {
    return RunImport([&] { return ByteSource::FromMemory(bytes); }, title, earlier, caption);
}

}  // namespace ql::niff
