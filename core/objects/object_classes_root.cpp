// The root class's default operations: what an object does when its class does not
// override an operation. Most defaults do nothing and return 0 or null; the shared
// bodies with real work (drag commit, drop, ownership toggle, paste, focus) are in
// object_shared.cpp. The help context of each type code for the F1 key is here.
#include <array>

#include "core/objects/class_table.h"
#include "core/constants.h"
#include "core/model/document.h"
#include "core/draw/draw_surface.h"
#include "core/objects/object_classes.h"
#include "core/state.h"
#include "core/ui/help.h"
#include "core/undo/undo.h"
#include "platform/sys/help.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"

namespace ql {

namespace {

constexpr uint32_t kDefaultHelpContext = 1062;
constexpr uint32_t kNoHelp = 0;
constexpr int32_t kObjectCursorResource = 381;
constexpr uint32_t kKeyOwnership = 'O';

// WinHelp context of each type code (0 = the key opens no help).
// clang-format off
constexpr std::array<uint16_t, kObjectTypeCount> kHelpContexts = {
    1191, 1062, 1062, 1062, 1106, 1107, 1402, 1109, 1112, 1365,  // 0-9
    1365, 1062, 1099, 1005, 1070, 1072, 1071, 1548, 1400, 0,     // 10-19
    1470, 1108, 1117, 1062, 1172, 0,    1062, 1252, 1088, 1062,  // 20-29
    1062, 1062, 1160, 1150, 1062, 1062, 1062, 1062, 1077, 1370,  // 30-39
    1402, 1062, 1062, 1062, 1062, 1081, 1382, 1000, 1353, 1030,  // 40-49
    1396, 1180, 1409, 1402,                                      // 50-53
};
// clang-format on

class RootClass final : public ScoreObjectClass {};

}  // namespace

uint32_t HelpContextOfType(uint8_t type) {
    return type < kObjectTypeCount ? kHelpContexts[type] : kDefaultHelpContext;
}

int ShowHelpOfType(uint8_t type) {
    const uint32_t context = HelpContextOfType(type);
    if (context == kNoHelp) return 0;
    // The program's help file, as every other request names it.
    return ShowHelp(State().dialogs.FrameWindow, sys::HelpCommand::Context, context, nullptr);
}

const ScoreObjectClass& RootObjectClass() {
    static const RootClass root;
    return root;
}

// The defaults, one per line in slot order.
// clang-format off
std::byte* ScoreObjectClass::GetBody(ScoreObject*) const { return nullptr; }
uint32_t ScoreObjectClass::GetBodySize(const ScoreObject*) const { return 0; }
int32_t ScoreObjectClass::GetAnchorWord(const ScoreObject*) const { return -1; }
EventRecord* ScoreObjectClass::GetOwnerNote(const ScoreObject* object) const {
    return OwnerNoteOf(object);
}
int ScoreObjectClass::HitTest(ScoreObject*, const RecordRect&, HitRecord*) const { return 0; }
void ScoreObjectClass::Measure(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::Update(ScoreObject* object, ScoreView* view) const {
    if (UpdateIsDeferred(object)) return;
    Measure(object, view);
    Draw(object, view);
}
void ScoreObjectClass::Draw(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::Paint(ScoreObject* object, ScoreView* view) const { Draw(object, view); }
void ScoreObjectClass::Slot9(ScoreObject*, int32_t, int32_t, int32_t) const {}
void ScoreObjectClass::DrawSelected(ScoreObject* object, ScoreView* view) const {
    Draw(object, view);
    RedrawSelectionMarks(view);
}
ScoreObject* ScoreObjectClass::CreateAtClick(ScoreObject*, ScoreView*) const { return nullptr; }
int ScoreObjectClass::EditAttributes(ScoreObject*, ScoreView*) const { return 0; }
void ScoreObjectClass::DrawTracking(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::EraseTracking(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::ReleaseCache(ScoreObject*, ScoreView*) const {}
int ScoreObjectClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    return ScoreObjectCommitDrag(object, view);
}
void ScoreObjectClass::EndDrag(ScoreObject*, ScoreView*) const {}
HitRecord* ScoreObjectClass::BuildHandles(ScoreObject*, ScoreView*) const { return nullptr; }
void ScoreObjectClass::TrackDrag(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::DragMove(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::DrawHandle(ScoreObject*, ScoreView*, HitRecord*) const {}
void ScoreObjectClass::SetToolCursor(ScoreObject*, int32_t, int32_t) const {
    win::SetCursor(win::LoadCursorResource(kObjectCursorResource));
}
int ScoreObjectClass::LocationChanged(ScoreObject*, ScoreView* view) const {
    return SavedLocationDiffers(view) ? 1 : 0;
}
int ScoreObjectClass::FollowLocation(ScoreObject*, ScoreView*) const { return 0; }
void ScoreObjectClass::EditInPlace(ScoreObject* object, ScoreView* view) const {
    ToggleObjectOwnership(object, view);
}
void ScoreObjectClass::Slot26(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::Slot27(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::Slot28(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::Slot29(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::StepValue(ScoreObject*, ScoreView*, int) const {}
void ScoreObjectClass::Invalidate(ScoreObject*, ScoreView*) const {}
void ScoreObjectClass::ConstrainDrag(ScoreObject*, ScoreView*) const {}
int ScoreObjectClass::HandleDrop(ScoreObject*, ScoreView* view, ScoreObject* target,
                                 HitRecord* hit) const {
    return DropObject(view, target, hit);
}
int ScoreObjectClass::OnInsertKey(ScoreObject*, ScoreView*, ScoreObject*, HitRecord*) const {
    return 1;
}
int ScoreObjectClass::Query35(ScoreObject*, int32_t, int32_t) const { return 0; }
int ScoreObjectClass::Query36(ScoreObject*, int32_t, int32_t) const { return 0; }
int ScoreObjectClass::Query37(ScoreObject*, int32_t, int32_t) const { return 0; }
int ScoreObjectClass::Query38(ScoreObject*, int32_t, int32_t) const { return 0; }

// 'O' toggles page and measure ownership as one undo step; F1 opens the type's help.
int ScoreObjectClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const {
    if (virtualKey == kKeyOwnership) {
        EditInPlace(object, view);
        ScoreDocument* document = view != nullptr ? view->document : nullptr;
        SetDocumentModified(document);
        EndUndoableEdit(document, 0, 0, 0, view, UndoKind::Item, object->type, UndoVerb::Modify);
        return 1;
    }
    if (virtualKey == static_cast<uint32_t>(win::Key::F1)) return ShowHelpOfType(object->type);
    return 0;
}
int ScoreObjectClass::OnEditCommand(ScoreObject*, ScoreView*, int, int) const { return 0; }
void ScoreObjectClass::Slot41(ScoreObject*) const {}
ScoreObject* ScoreObjectClass::Clone(ScoreObject*, ScoreView*, PoolSet, PoolSet) const {
    return nullptr;
}
ScoreObject* ScoreObjectClass::PasteCopy(ScoreObject* object, ScoreView* view) const {
    return PasteObjectCopy(object, view);
}
void ScoreObjectClass::MeasureAndSelect(ScoreObject* object, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr || !selection->focusRecord || view == nullptr) return;
    BeginViewDraw(view);
    Measure(object, view);
    MakeCurrent(object, view);
    EndViewDraw(view);
}
void ScoreObjectClass::MakeCurrent(ScoreObject* object, ScoreView* view) const {
    MakeObjectCurrent(object, view);
}
void ScoreObjectClass::ResetState(ScoreObject*, ScoreView*) const {}
// clang-format on

}  // namespace ql
