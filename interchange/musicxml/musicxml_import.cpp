// ImportMusicXml: the converter runs as a child process writing a temporary NIFF
// file (made with mkstemps, mode 0600, in the temporary folder); after exit 0 and
// the file's magic check the NIFF import opens it. Its "skipped" lines join the
// NIFF import's report in one box captioned "Import XML"; exit 1 shows the child's
// error line; a missing program, exit 2 or a child that does not start show the
// two boxes of the converter's availability. The conversion runs under the
// progress dialog: its Cancel kills the child, which is waited for, and nothing
// more is said.
#include "interchange/musicxml/musicxml_import.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "core/ui/modal_boxes.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "interchange/import_report.h"
#include "interchange/niff/niff_import.h"
#include "platform/sys/child_process.h"
#include "platform/sys/folders.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

std::filesystem::path& ConverterOverride() {
    static std::filesystem::path path;
    return path;
}

// Removes the temporary file however the import ends.
struct TemporaryNiff {
    std::string path;
    ~TemporaryNiff() {
        if (!path.empty()) ::unlink(path.c_str());
    }
};

bool HasNiffMagic(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[12] = {};
    file.read(head, sizeof head);
    return file.gcount() == 12 && std::string_view(head, 4) == "RIFX" && std::string_view(head + 8, 4) == "NIFF";
}

void Exclamation(const std::string& text) { ModalMessageBox(text, kImportXmlCaption, ui::kBoxIconExclamation); }

// The converter's steps: reading, converting, writing.
constexpr int32_t kConverterSteps = 3;

// "skipped <count> <item>" lines into the report; "progress <n> <text>" to status
// part 0 and the progress bar.
void ReadLine(const std::string& line, ImportReport& report, int32_t& step) {
    if (line.rfind("progress ", 0) == 0) {
        const size_t text = line.find(' ', 9);
        if (text != std::string::npos) SetStatusText(0, line.substr(text + 1).c_str());
        const long position = std::strtol(line.c_str() + 9, nullptr, 10);
        if (position >= 0 && position <= kConverterSteps) step = static_cast<int32_t>(position);
    } else if (line.rfind("skipped ", 0) == 0) {
        char* end = nullptr;
        const long count = std::strtol(line.c_str() + 8, &end, 10);
        if (end != nullptr && *end == ' ' && count > 0 && count < 1000000000) report.Count(end + 1, static_cast<int>(count));
    }
}

}  // namespace

std::filesystem::path MusicXmlConverterPath() {
    return ConverterOverride().empty() ? sys::ProgramFolder() / kConverterProgram : ConverterOverride();
}

void SetMusicXmlConverterPath(const std::filesystem::path& path) { ConverterOverride() = path; }

bool MusicXmlConverterAvailable() { return ::access(MusicXmlConverterPath().c_str(), X_OK) == 0; }

ScoreView* ImportMusicXml(const std::filesystem::path& path) {
    for (int part = 0; part < 3; ++part) SetStatusText(part, "");
    const std::filesystem::path converter = MusicXmlConverterPath();
    if (!MusicXmlConverterAvailable()) {
        std::vector<char> text(sizeof kConverterMissingText + converter.filename().native().size());
        std::snprintf(text.data(), text.size(), kConverterMissingText, converter.filename().c_str());
        Exclamation(text.data());
        return nullptr;
    }
    TemporaryNiff temporary;
    std::string pattern = (sys::TemporaryFolder() / "ql-import-XXXXXX.nif").native();
    const int descriptor = ::mkstemps(pattern.data(), 4);
    if (descriptor < 0) {
        Exclamation("Cannot make a temporary file in " + sys::TemporaryFolder().native() + ".");
        return nullptr;
    }
    ::close(descriptor);
    temporary.path = pattern;

    ImportReport skipped;
    int32_t step = 0;
    bool cancelled = BeginProgressDialog(0, kConverterSteps, kImportXmlCaption) != 0;
    const sys::ChildOutcome outcome = sys::RunChildProcess(
        converter, {"--output", temporary.path, path.native()},
        [&](const std::string& line) { ReadLine(line, skipped, step); },
        [&] { return !(cancelled = cancelled || StepProgressDialog(step) != 0); });
    EndProgressDialog();
    SetStatusText(0, "");
    if (outcome.stopped) return nullptr;  // the user cancelled
    if (!outcome.started || (outcome.exited && outcome.status == 2)) {
        Exclamation(kConverterFunctionText);
        return nullptr;
    }
    if (outcome.exited && outcome.status == 1) {
        std::string line = outcome.err.substr(0, outcome.err.find('\n'));
        Exclamation(path.filename().native() + ": " + (line.empty() ? "the file cannot be converted" : line));
        return nullptr;
    }
    if (!outcome.exited || outcome.status != 0 || !HasNiffMagic(temporary.path)) {
        Exclamation(kConverterStoppedText);
        return nullptr;
    }
    return niff::OpenNiffScoreWindow(temporary.path, path.stem().native() + "_XML", &skipped, kImportXmlCaption);
}

}  // namespace ql
