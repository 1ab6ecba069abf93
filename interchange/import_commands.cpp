// Import by extension. The three importers hand their score to a new score window;
// until an importer is in the program, its files are refused with a box.
#include "interchange/import_commands.h"

#include <cstdio>
#include <vector>

#include "core/core_strings.h"
#include "core/ui/modal_boxes.h"
#include "platform/ui/message_box.h"

namespace ql {

std::string ImportNotAvailableNotice(const std::filesystem::path& path) {
    const std::string& name = path.native();
    std::vector<char> text(name.size() + sizeof kImportNotAvailableText);
    std::snprintf(text.data(), text.size(), kImportNotAvailableText, name.c_str());
    return text.data();
}

ScoreView* ImportFileByExtension(const std::filesystem::path& path) {
    // provisional: the MIDI, NIFF and MusicXML importers that make a score window from
    // a file are not in the program yet; every import is refused with a box.
    ModalMessageBox(ImportNotAvailableNotice(path), ProgramString(kStrProductName),
                    ui::kBoxIconInformation);
    return nullptr;
}

ScoreView* ChooseAndImportFile() {
    // provisional: without the importers there is nothing to choose a file for; the
    // command tells the user so and makes nothing.
    ModalMessageBox(kImportCommandNotAvailableText, ProgramString(kStrProductName),
                    ui::kBoxIconInformation);
    return nullptr;
}

}  // namespace ql
