// Dialog fields holding measurement words, on the platform's edit controls.
#include "core/ui/units_dialog.h"

#include <string>

#include "platform/ui/controls.h"

namespace ql {
namespace {

std::string ReadField(platform::WindowHandle dialog, int32_t control) {
    std::string text = ui::GetItemText(dialog, control);
    if (text.size() > static_cast<size_t>(kBcdFieldChars)) text.resize(kBcdFieldChars);
    return text;
}

}  // namespace

bool SetDlgItemBcd(platform::WindowHandle dialog, int32_t control, BcdInches word) {
    char text[kBcdTextBytes];
    BcdInchesToText(word, text, sizeof text);
    return ui::SetItemText(dialog, control, text);
}

BcdInches GetDlgItemBcd(platform::WindowHandle dialog, int32_t control) {
    return TextToBcdInches(ReadField(dialog, control).c_str());
}

BcdFieldValue GetDlgItemBcdWithUnits(platform::WindowHandle dialog, int32_t control) {
    BcdFieldValue value;
    value.word = GetDlgItemBcd(dialog, control);
    value.units = static_cast<int32_t>(BcdInchesToFloat(value.word) * kUnitsPerBcdUnit);
    return value;
}

bool SetDlgItemBcdFine(platform::WindowHandle dialog, int32_t control, BcdInches word) {
    char text[kBcdTextBytes];
    BcdFineToText(word, text, sizeof text);
    return ui::SetItemText(dialog, control, text);
}

BcdFieldValue GetDlgItemBcdFine(platform::WindowHandle dialog, int32_t control) {
    BcdFieldValue value;
    value.word = ParseDecimalText(ReadField(dialog, control).c_str());
    value.units = PointsToUnits(value.word);
    return value;
}

}  // namespace ql
