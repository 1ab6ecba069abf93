#include "interchange/musicxml/musicxml_pedals.h"

#include <cstring>
#include <string>

namespace ql::musicxml {

std::optional<MxlItem> PedalItem(const char* type, const char* line, const char* sign, ImportReport& skipped) {
    const auto is = [](const char* value, const char* text) { return value != nullptr && std::strcmp(value, text) == 0; };
    MxlItem pedal;
    pedal.kind = MxlItemKind::Pedal;
    if (is(type, "start")) pedal.value = kPedalDown;
    else if (is(type, "stop")) pedal.value = kPedalUp;
    else if (is(type, "change")) pedal.value = kPedalChange;
    else if (is(type, "continue")) return std::nullopt;
    else {
        skipped.Count("pedal " + std::string(type != nullptr ? type : "").substr(0, 20));
        return std::nullopt;
    }
    // The sign is shown unless the file says not, or draws a line and does not say.
    const bool withLine = is(line, "yes");
    const bool withSign = sign != nullptr ? is(sign, "yes") : !withLine;
    pedal.symbol = (withSign ? kPedalSign : 0) | (withLine ? kPedalLine : 0);
    return pedal;
}

}  // namespace ql::musicxml
