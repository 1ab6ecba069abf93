// The program's string table and its registration into the program bundle.
#include "shell/resources/program_strings.h"

#include <memory>
#include <utility>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/ui/help.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"

namespace ql {
namespace {

constexpr ProgramStringEntry kProgramStrings[] = {
    // Product and documents.
    {kStrUntitled, "Untitled"},
    {kStrProductName, "Quaverlinescribe"},
    {kStrProductCaption, "Quaverlinescribe"},
    // Low memory and invalid input.
    {kStrModuleLineReport, "%s\n %s"},
    {kStrResourceMemoryLow, "Resource memory is low.\nReleasing some resources..."},
    {kStrInvalidValue, "Invalid value"},
    // The internal-error report.
    {kStrErrorOccurredIn, "An error has occured in"},
    {kStrFileSavedAs, "Your file has been saved as"},
    {kStrExitAdvice, "You should exit Windows"},
    {kStrMemoryError, "Memory error"},
    {kStrReportNumbers, "Report error numbers to Tech Support"},
    {kStrSupportContact,
     "Please send these numbers and what you were doing to the program's maintainers."},
    {kStrFileNotSavedAs, "Your file could NOT be saved as"},
    // Status bar and note descriptions.
    {kStrAttackRelease, "Attack=%d Release=%d "},
    {kStrTickLength, "Tick=%d Length=%d"},
    {kStrTiedLeft, "-Tied Left- "},
    {kStrTiedRight, "-Tied Right- "},
    {kStrTickLengthShort, " Tick=%d Len=%d"},
    {kStrNoticeLabel, "Notice:"},
    {kStrVolumeAbsolute, "  Volume=%d (dyna %d, key velocity %d)"},
    {kStrVolumeRelative, "  Volume=%d (staff %d + dyna %d + key velocity %d)"},
    {kStrVolumeNoMark, "  Volume=%d (staff %d + key velocity %d)"},
    {kStrStaffVoice, "[Staff %d, Voice %d] "},
    {kStrNoteVoice, "[Voice %d]   "},
    {kStrRestVoice, "[Voice %d]"},
    // Help and progress.
    {kStrCantOpenHelp, "Can't Open Help file!"},
    {kStrFormatPosition, " Page %d  System %d  Staff %d "},
    {kStrFormattingData, "Formatting data..."},
    {kStrConfirmCancel, "Are you sure you want to cancel?"},
};

}  // namespace

std::span<const ProgramStringEntry> ProgramStringTable() {
    return kProgramStrings;
}

const char* BuiltInProgramString(int32_t id) {
    for (const ProgramStringEntry& entry : kProgramStrings)
        if (entry.id == id) return entry.text;
    return nullptr;
}

void AddProgramStrings(sys::ResourceBundle& bundle) {
    for (const ProgramStringEntry& entry : kProgramStrings)
        bundle.strings.emplace(entry.id, entry.text);
}

void RegisterProgramStrings() {
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    AddProgramStrings(*bundle);
    sys::SetProgramBundle(std::move(bundle));
}

}  // namespace ql
