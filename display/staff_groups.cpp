// Barline and brace groups of a staff.
#include "display/staff_groups.h"

namespace ql {

// provisional: the group links of the staff records are read by the staff-grid
// painter, which is not built; until then every staff is reported as a group of
// its own (first and last staff are the staff itself).
int FirstStaffOfBarGroup(ScoreView* /*view*/, int staff) {
    return staff;
}
int LastStaffOfBarGroup(ScoreView* /*view*/, int staff) {
    return staff;
}
int FirstStaffOfBrace(ScoreView* /*view*/, int staff) {
    return staff;
}
int LastStaffOfBrace(ScoreView* /*view*/, int staff) {
    return staff;
}

}  // namespace ql
