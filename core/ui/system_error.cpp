// The system-error box (see system_error.h).
#include "core/ui/system_error.h"

#include "core/core_strings.h"
#include "core/ui/modal_boxes.h"
#include "platform/sys/file_io.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr char kNumberField[] = "%ld";

}  // namespace

std::string SystemErrorMessage(int errorNumber) {
    std::string text = sys::SystemErrorText(errorNumber);
    if (!text.empty()) return text;
    // The number goes in where the table's text says "%ld"; a text from a language
    // bundle is never used as a format.
    std::string format = ProgramString(kStrErrorNumber);
    if (format.empty()) format = "Error %ld";
    std::string number = std::to_string(errorNumber);
    size_t at = format.find(kNumberField);
    if (at == std::string::npos) return format + ' ' + number;
    return format.replace(at, sizeof kNumberField - 1, number);
}

int ShowSystemError(std::string_view leadText, int errorNumber) {
    std::string text(leadText);
    text += '\n';
    text += SystemErrorMessage(errorNumber);
    return ModalMessageBox(text, ProgramString(kStrProductCaption), ui::kBoxIconInformation);
}

}  // namespace ql
