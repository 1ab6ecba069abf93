// DialogHelpTable: the help context of each dialog that has control-level help,
// with the popup topics of its controls. The dialog help ids are fixed (they name
// topics of the help file); so are the popup ids of the groups listed here.
// Dialogs without groups here show their dialog topic for every control.
#include "core/ui/help.h"

namespace ql {
namespace {

constexpr DialogHelpRecord Record(uint16_t id) {
    return DialogHelpRecord{id, {}};
}

constexpr DialogHelpRecord Record1800() {
    DialogHelpRecord record{1800, {}};
    record.groups[0] = DialogHelpGroup{1801, {2079}};
    record.groups[1] = DialogHelpGroup{1802, {2082}};
    record.groups[2] = DialogHelpGroup{1803, {2081}};
    return record;
}

constexpr DialogHelpRecord Record2000() {
    DialogHelpRecord record{2000, {}};
    record.groups[0] = DialogHelpGroup{2001, {1200, 1201, 1210, 1211, 1300, 1301, 1310, 1311}};
    return record;
}

}  // namespace

const DialogHelpRecord DialogHelpTable[kDialogHelpRecordCount + 1] = {
    Record1800(), Record(1900), Record2000(), Record(2100), Record(2200), Record(2300),
    Record(2400), Record(2500), Record(1258), Record(1277), Record(1285), Record(1314),
    Record(1319), Record(1321), Record(1320), Record(1342), Record(1353), Record(1362),
    Record(1365), Record(1370), Record(1383), Record(1387), Record(1402), Record(1410),
    Record(1147), Record(1149), Record(1435), Record(1439), Record(1160), Record(1449),
    Record(1238), Record(1470), Record(1471), Record(1491), Record(1506), Record(1513),
    Record(1532), Record(0),
};

}  // namespace ql
