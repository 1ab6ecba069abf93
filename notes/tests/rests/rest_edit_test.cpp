// Editing a rest in place: stepping its value, cycling its dots, hiding it, its keys,
// its reset and its drop (removed with Ctrl, else turned into a note).
#include <gtest/gtest.h>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/tests/rests/rest_fixture.h"
#include "platform/win/keys.h"

namespace ql::testing_rests {
namespace {

constexpr char kNoRoom[] = "No more room in measure.";
constexpr uint8_t kModsNone = 0;
constexpr uint8_t kModsCtrl = 1;
constexpr uint8_t kModsAlt = 2;
constexpr uint8_t kModsShift = 4;

class RestEditTest : public RestTest {
  protected:
    // Makes the rest the selection's current object.
    ScoreObject* Current(ScoreObject* rest) {
        TheSelectionState()->currentObject = Ref32<ScoreObject>::To(rest);
        return rest;
    }
    int Key(ScoreObject* rest, uint32_t key, uint8_t mods = kModsNone) {
        State().input.ModifierState = mods;
        return rests::TheRestClass().OnKey(rest, view_, key);
    }
};

// One code longer or shorter: refused outside 5..13 and for a rest that is not the
// selection's current object; the later items move by the change of length, and the
// position keeps its distance from the default place.
TEST_F(RestEditTest, StepValue) {
    ScoreObject* shortest = Current(Rest(0, 0, 5));
    EXPECT_EQ(StepRestDuration(view_, shortest, -1), 0);  // 128th to 256th
    EXPECT_EQ(Body(shortest).code, 5);
    UseMeasure(2);
    ScoreObject* longest = Current(Rest(0, 0, kDoubleWhole));
    EXPECT_EQ(StepRestDuration(view_, longest, 1), 0);
    UseMeasure(3);
    ScoreObject* rest = Rest(0, 0, kQuarter);
    ScoreObject* later = Rest(0, 1024, kQuarter);
    EXPECT_EQ(StepRestDuration(view_, rest, 1), 0);  // not the current object
    Current(rest);
    Body(rest).position = static_cast<int8_t>(Body(rest).position - 2);  // 2 above default
    EXPECT_EQ(StepRestDuration(view_, rest, -1), 1);
    EXPECT_EQ(Body(rest).code, kEighth);
    EXPECT_EQ(Body(rest).position, -5 - 2);
    EXPECT_EQ(Body(later).tick, 512);
    EXPECT_EQ(StepRestDuration(view_, rest, 2), 1);  // a half: the quarter moves on
    EXPECT_EQ(Body(rest).code, kHalf);
    EXPECT_EQ(Body(later).tick, 2048);
}

// A longer value that does not fit the room left is refused with the notice.
TEST_F(RestEditTest, StepValueNeedsRoom) {
    MakeStatusBar();
    ScoreObject* rest = Current(Rest(0, 0, kHalf));
    Rest(0, 2048, kHalf);
    EXPECT_EQ(StepRestDuration(view_, rest, 1), 0);
    EXPECT_EQ(Body(rest).code, kHalf);
    ASSERT_FALSE(Notices().empty());
    EXPECT_NE(Notices().back().find(kNoRoom), std::string::npos);
}

// "D" cycles the dots 0, 1, 2, 3, 0, moving the later items; three dots are removed.
// When a longer value does not fit, the notice is shown and the dots are removed.
TEST_F(RestEditTest, DotsKey) {
    ScoreObject* rest = Rest(0, 0, kQuarter);
    ScoreObject* later = Rest(0, 1024, kQuarter);
    EXPECT_EQ(Key(rest, 'D'), 1);
    EXPECT_EQ(RestDots(Body(rest)), 1);
    EXPECT_EQ(Body(later).tick, 1536);
    Key(rest, 'D');
    Key(rest, 'D');
    EXPECT_EQ(RestDots(Body(rest)), 3);
    EXPECT_EQ(Body(later).tick, 1024 + 512 + 256 + 128);
    Key(rest, 'D');
    EXPECT_EQ(RestDots(Body(rest)), 0);
    EXPECT_EQ(Body(later).tick, 1024);
    // A whole rest filling the measure has no room for a dot.
    MakeStatusBar();
    UseMeasure(2);
    ScoreObject* whole = Rest(0, 0, kWhole, 0);
    Key(whole, 'D');
    EXPECT_EQ(RestDots(Body(whole)), 0);
    ASSERT_FALSE(Notices().empty());
    EXPECT_NE(Notices().back().find(kNoRoom), std::string::npos);
}

// "H" toggles the hidden flag as one undoable edit; other keys of mode 0 and the
// Shift modes are consumed; Ctrl alone leaves them.
TEST_F(RestEditTest, HideAndOtherKeys) {
    ScoreObject* rest = Rest(0, 0, kQuarter);
    EXPECT_EQ(Key(rest, 'H'), 1);
    EXPECT_TRUE(IsRestHidden(Body(rest)));
    EXPECT_EQ(doc_->undoState.undoAvailable, 1);
    Key(rest, 'H');
    EXPECT_FALSE(IsRestHidden(Body(rest)));
    EXPECT_EQ(Key(rest, 'Q'), 1);
    EXPECT_EQ(Key(rest, 'D', kModsShift), 1);
    EXPECT_EQ(RestDots(Body(rest)), 0);
    EXPECT_EQ(Key(rest, 'D', kModsCtrl), 0);
    EXPECT_EQ(Key(rest, static_cast<uint32_t>(win::Key::Left), kModsAlt), 1);
    EXPECT_EQ(rests::TheRestClass().OnEditCommand(rest, view_, 0, 0), 1);
}

// The reset puts the offsets to 0 and the rest on its default place.
TEST_F(RestEditTest, ResetToDefaultPlace) {
    ScoreObject* rest = Rest(0, 0, kQuarter);
    Body(rest).xOffset = 9;
    Body(rest).fineY = -20;
    Body(rest).position = 3;
    rests::TheRestClass().Invalidate(rest, view_);
    EXPECT_EQ(Body(rest).xOffset, 0);
    EXPECT_EQ(Body(rest).fineY, 0);
    EXPECT_EQ(Body(rest).position, -4);
}

class RestDropTest : public RestEditTest {
  protected:
    // A focused hit record of the rest, as the selection engine holds it.
    HitRecord* Focus(ScoreObject* rest) {
        HitRecord* hit = rests::TheRestClass().BuildHandles(rest, view_);
        SelectionState* selection = TheSelectionState();
        selection->focusRecord = Ref32<HitRecord>::To(hit);
        return hit;
    }
    int Drop(ScoreObject* rest) {
        return rests::TheRestClass().HandleDrop(rest, view_, rest, Focus(rest));
    }
};

// With Ctrl the rest goes and the later items move back by its length.
TEST_F(RestDropTest, CtrlDropRemovesTheRest) {
    ScoreObject* rest = Rest(0, 0, kQuarter);
    ScoreObject* later = Rest(0, 1024, kHalf);
    State().input.ModifierState = kModsCtrl;
    EXPECT_EQ(Drop(rest), 1);
    EXPECT_EQ(VoiceRests(0), std::vector<ScoreObject*>{later});
    EXPECT_EQ(Body(later).tick, 0);
    EXPECT_EQ(GetVoiceFirstEvent(cell_, 0), nullptr);
}

// Without Ctrl the rest becomes a note of its value on the middle line.
TEST_F(RestDropTest, DropTurnsTheRestIntoANote) {
    ScoreObject* rest = Rest(0, 1024, kEighth);
    State().input.ModifierState = kModsNone;
    EXPECT_EQ(Drop(rest), 1);
    EXPECT_TRUE(VoiceRests(0).empty());
    EventRecord* note = GetVoiceFirstEvent(cell_, 0);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->time, 1024);
    EXPECT_EQ(note->duration, kEighth);
    EXPECT_EQ(SignedStep(*note), -4);
}

}  // namespace
}  // namespace ql::testing_rests
