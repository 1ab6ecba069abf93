// The right-button menu of every kind of object: an object of each type under the
// pointer opens its type's menu, whose own command runs (replayed as the key, the
// double click or the reset its item names) and whose missing command does nothing.
// The objects are boxes given the type, so every command shows in the box's calls.
#include "editing/tests/editing_fixture.h"

#include "core/objects/selection_state.h"
#include "editing/selection.h"
#include "editing/tools.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"

namespace ql::testing_editing {
namespace {

using win::Message;

constexpr int32_t kSide = 640;
constexpr int32_t kEdit = 42101;
constexpr int32_t kProperties = 42100;
constexpr int32_t kHide = 42102;        // H
constexpr int32_t kReset = 42103;       // Shift
constexpr int32_t kOwnership = 42108;   // O
constexpr int32_t kDottedLine = 42110;  // D
constexpr int32_t kChannel = 42111;     // C

// What a command did to the box.
enum class Effect { Key, Dialog, Reset };

struct MenuCase {
    const char* menu;
    std::vector<uint8_t> types;
    int32_t offered;  // an item of the menu
    Effect effect;    // what choosing it does
    int32_t missing;  // an item of other menus that this one lacks
};

const MenuCase kCases[] = {
    {"TEXTMENU", {18, 50}, kOwnership, Effect::Key, kProperties},
    {"TEXTBOXMENU", {6, 28}, kEdit, Effect::Dialog, kOwnership},
    {"SLURMENU", {4, 5}, kDottedLine, Effect::Key, kProperties},
    {"HAIRPINMENU", {7, 39}, kProperties, Effect::Dialog, kHide},
    {"MIDIMSGMENU", {14, 21, 22, 24, 25, 34, 48, 49, 53}, kHide, Effect::Key, kReset},
    {"ACCIMENU", {26, 38}, kReset, Effect::Reset, kProperties},
    {"GRAPHICMENU", {8, 9, 10}, kReset, Effect::Reset, kEdit},
    {"STAFFMENU", {13}, kChannel, Effect::Key, kEdit},
    {"IMAGEMENU", {11, 52, 54}, kReset, Effect::Reset, kEdit},
};

class PopupTypes : public EditingTest {
  protected:
    // A box of the type under the pointer with the type's tool armed.
    void HoverBoxOfType(uint8_t type) {
        ScoreObject* box = MakeBox(originX_, originY_, originX_ + kSide, originY_ + kSide);
        ASSERT_NE(box, nullptr);
        box->type = type;
        type_ = type;
        ObjectToolHandler(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0, type);
        MouseOver(Message::MouseMove);
    }
    void MouseOver(Message message) {
        const gfx::Point at = Client(originX_, originY_);
        ObjectToolHandler(view_, ToolAction::Message, nullptr, window_, message, 0,
                          win::PackPoint(win::Point{at.x, at.y}), type_);
    }
    // Chooses a command from the menu the right button opens: how often each effect
    // happened.
    BoxCalls Choose(int32_t command) {
        const BoxCalls before = g_boxCalls;
        ui::headless::QueuePopupMenuChoice(command);
        MouseOver(Message::RightButtonDown);
        BoxCalls after = g_boxCalls;
        after.keys -= before.keys;
        after.editAttributes -= before.editAttributes;
        after.invalidates -= before.invalidates;
        return after;
    }
    static int Count(const BoxCalls& calls, Effect effect) {
        switch (effect) {
            case Effect::Key: return calls.keys;
            case Effect::Dialog: return calls.editAttributes;
            case Effect::Reset: return calls.invalidates;
        }
        return 0;
    }
    uint8_t type_ = 0;
};

TEST_F(PopupTypes, EachTypeOffersItsMenusCommandsOnly) {
    for (const MenuCase& c : kCases) {
        for (uint8_t type : c.types) {
            SCOPED_TRACE(::testing::Message() << c.menu << " type " << int(type));
            ASSERT_NO_FATAL_FAILURE(HoverBoxOfType(type));
            const size_t menus = ui::headless::PopupMenus().size();
            EXPECT_EQ(Count(Choose(c.offered), c.effect), 1);
            const BoxCalls missing = Choose(c.missing);
            EXPECT_EQ(missing.keys + missing.editAttributes + missing.invalidates, 0);
            EXPECT_EQ(ui::headless::PopupMenus().size(), menus + 2) << "no menu opened";
            for (ScoreObject* box : Boxes()) box->type = kBoxType;  // out of the next tool's way
            ResetSelection(view_, 0);
        }
    }
}

}  // namespace
}  // namespace ql::testing_editing
