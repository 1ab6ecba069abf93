// Drawing accidentals: the sign's place in front of its note, parenthesised and hidden
// signs, a note without a code, the XOR feedback of the sign's drag, and damaged
// attachments drawn without harm.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/draw/draw_surface.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/painting_guard.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_internal.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/rests/rest_fixture.h"
#include "platform/gfx/types.h"

namespace ql::testing_rests {
namespace {

constexpr int kWindowWidth = 600;
constexpr int kWindowHeight = 256;
constexpr int kInkThreshold = 128;
constexpr int kSharp = 1;

class AccidentalPictureTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        OpenWindow(kWindowWidth, kWindowHeight);
    }
    ScoreObject* SignedNote(int code, int time = 1024, int position = -3) {
        note_ = Note(0, time, kQuarter, position);
        SetNoteAccidentalCode(*note_, code);
        return NewAccidentalForNote(view_, note_);
    }
    void Draw(ScoreObject* sign) { ClassOf(sign).Draw(sign, view_); }
    static bool IsInk(uint32_t c) {
        return (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // The device columns holding ink, leftmost and rightmost; {-1, -1} for none.
    std::pair<int, int> InkColumns() {
        const std::vector<uint32_t> pixels = WindowPixels();
        int left = -1;
        int right = -1;
        for (int y = 0; y < kWindowHeight; ++y)
            for (int x = 0; x < kWindowWidth; ++x)
                if (IsInk(pixels[static_cast<size_t>(y) * kWindowWidth + x])) {
                    left = left < 0 ? x : std::min(left, x);
                    right = std::max(right, x);
                }
        return {left, right};
    }
    int32_t NoteX() { return CurrentSlotX(view_) + BeatMapTickToX(view_, note_->time); }

    EventRecord* note_ = nullptr;
};

// The sign is centred on the note's x plus its offset: a larger offset moves the ink
// left by as much; a note nudged right takes its sign along.
TEST_F(AccidentalPictureTest, SignStandsInFrontOfItsNote) {
    ScoreObject* sign = SignedNote(kSharp);
    const uint16_t edits = doc_->changeCounter;
    Draw(sign);
    const auto [left, right] = InkColumns();
    ASSERT_GE(left, 0);
    const int centre = DevicePoint(NoteX() - kAccidentalColumn, 0).x;
    EXPECT_NEAR((left + right) / 2.0, centre, 2.0);
    EXPECT_LT(right, DevicePoint(NoteX(), 0).x + 1);
    // 160 units further left: 20 pixels at zoom 16.
    OpenWindow(kWindowWidth, kWindowHeight);
    SetAccidentalOffset(sign, static_cast<int16_t>(-kAccidentalColumn - 160));
    Draw(sign);
    EXPECT_NEAR(InkColumns().first, left - 20, 1);
    EXPECT_EQ(doc_->changeCounter, edits);  // drawing is no edit
    EXPECT_FALSE(IsPaintingGuardSet());
}

// A parenthesised sign is drawn with its parentheses around the same centre.
TEST_F(AccidentalPictureTest, ParenthesisedSign) {
    ScoreObject* sign = SignedNote(kSharp);
    Draw(sign);
    const auto plain = InkColumns();
    OpenWindow(kWindowWidth, kWindowHeight);
    SetAccidentalParentheses(sign, kAccidentalParenthesised);
    Draw(sign);
    const auto bracketed = InkColumns();
    EXPECT_LT(bracketed.first, plain.first - 2);
    EXPECT_GT(bracketed.second, plain.second + 2);
    EXPECT_NEAR((bracketed.first + bracketed.second) / 2.0, (plain.first + plain.second) / 2.0, 3.0);
}

// Hidden signs and hidden heads show only while "Display Hidden Items" is on; a note
// whose code is 0 keeps its sign, which draws nothing.
TEST_F(AccidentalPictureTest, HiddenAndEmptySigns) {
    ScoreObject* sign = SignedNote(kSharp);
    AsTextObject(sign)->body.flags |= kTextHidden;
    Draw(sign);
    EXPECT_EQ(InkColumns().first, -1);
    HitRecord* point = ClassOf(sign).BuildHandles(sign, view_);
    EXPECT_EQ(point->outer.left, point->outer.right);  // a point box
    FreeHitRecord(point);
    AsTextObject(sign)->body.flags &= static_cast<uint16_t>(~kTextHidden);
    note_->word2 |= 0x1000;  // head hidden
    Draw(sign);
    EXPECT_EQ(InkColumns().first, -1);
    State().notes.DisplayHiddenItems = 1;
    Draw(sign);
    EXPECT_GE(InkColumns().first, 0);
    OpenWindow(kWindowWidth, kWindowHeight);
    SetNoteAccidentalCode(*note_, 0);
    Draw(sign);
    EXPECT_EQ(InkColumns().first, -1);
}

// The handle: the glyph box shrunk by an eighth of its size on each side.
TEST_F(AccidentalPictureTest, HandleIsTheShrunkGlyphBox) {
    ScoreObject* sign = SignedNote(kSharp);
    HitRecord* hit = ClassOf(sign).BuildHandles(sign, view_);
    ASSERT_NE(hit, nullptr);
    const GlyphMetricEntry sharp = GlyphMetricOf(*doc_, 218);
    const int32_t width = hit->outer.right - hit->outer.left;
    EXPECT_NEAR(width, sharp.advance - 2 * (sharp.advance / 8), 2);
    const int32_t x = NoteX() - kAccidentalColumn;
    EXPECT_NEAR((hit->outer.left + hit->outer.right) / 2.0, x, 1.0);
    EXPECT_EQ(hit->owner.get(), sign);
    FreeHitRecord(hit);
}

// The drag image of a sign is XOR feedback: an even number of draws leaves the window
// as it was; a recording context gets none of it.
TEST_F(AccidentalPictureTest, EvenFeedbackDrawsLeaveNoTrace) {
    ScoreObject* sign = SignedNote(kSharp);
    Draw(sign);
    const std::vector<uint32_t> drawn = WindowPixels();
    HitRecord* hit = ClassOf(sign).BuildHandles(sign, view_);
    TheSelectionState()->focusRecord = Ref32<HitRecord>::To(hit);
    for (int draws = 1; draws <= 4; ++draws) {
        ClassOf(sign).DrawTracking(sign, view_);
        if (draws % 2 == 0) EXPECT_EQ(WindowPixels(), drawn) << draws << " draws";
        else EXPECT_NE(WindowPixels(), drawn) << draws << " draws";
    }
    // On a recording surface the feedback records no more than opening the surface.
    StartRecording();
    BeginViewDraw(view_);  // the first opening of a surface restores no saved font
    EndViewDraw(view_);
    const size_t start = RecordedCalls();
    BeginViewDraw(view_);
    EndViewDraw(view_);
    const size_t opened = RecordedCalls();
    ClassOf(sign).DrawTracking(sign, view_);
    EXPECT_EQ(RecordedCalls() - opened, opened - start);
    StopRecording();
    ClassOf(sign).ReleaseCache(sign, view_);
    FreeHitRecord(hit);
}

// Damaged attachments (fixed seeds), drawn on a recording surface: signs whose note link, note handle, flags, glyph
// or style are garbage, notes whose code bits or size are out of range. Drawing and
// handles never crash and drawing writes no pool byte.
TEST_F(AccidentalPictureTest, DamagedAttachmentsAreHarmless) {
    StartRecording();
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        UseMeasure(1 + seed % 4);
        std::vector<ScoreObject*> signs;
        std::vector<EventRecord*> notes;
        for (int i = 0; i < 6; ++i) {
            ScoreObject* sign = SignedNote(1 + i % 5, (i % 4) * 1024, -8 + i);
            if (sign == nullptr) continue;
            signs.push_back(sign);
            notes.push_back(note_);
        }
        for (size_t i = 0; i < signs.size(); ++i) {
            TextObject* text = AsTextObject(signs[i]);
            switch (random() % 6) {
                case 0: signs[i]->prev = Ref32<ScoreObject>{static_cast<uint32_t>(random())}; break;
                case 1: notes[i]->attachment = RecordHandle{static_cast<uint16_t>(random())}; break;
                case 2: text->body.flags = static_cast<uint16_t>(random()); break;
                case 3: text->body.string = static_cast<uint16_t>(random()); break;
                case 4: notes[i]->flags = static_cast<uint16_t>(random()); break;
                default: text->body.style = static_cast<uint8_t>(random()); break;
            }
        }
        const std::vector<uint8_t> before = PoolBytes();
        const uint16_t edits = doc_->changeCounter;
        for (ScoreObject* sign : signs) {
            Draw(sign);
            if (HitRecord* hit = ClassOf(sign).BuildHandles(sign, view_)) FreeHitRecord(hit);
        }
        for (EventRecord* note : notes) {
            if (ScoreObject* sign = AccidentalOfNote(*note)) Draw(sign);
        }
        EXPECT_EQ(PoolBytes(), before) << "seed " << seed;
        EXPECT_EQ(doc_->changeCounter, edits) << "seed " << seed;
    }
    EXPECT_GT(StopRecording(), 0u);
}

}  // namespace
}  // namespace ql::testing_rests
