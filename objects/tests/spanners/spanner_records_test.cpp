// The stored forms of spanners as the program makes them (tools, handle drags and
// their dialogs): encode, read back through the object reader, encode again gives
// the same bytes, and what was made is what is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/file_version.h"
#include "files/records/object_records.h"
#include "files/score_file.h"
#include "objects/curves/slur_class.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/tests/spanners/spanner_dialog_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_spanners {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace sd = spanner_dialog;

class SpannerRecordsTest : public SpannerDialogTest {
  protected:
    void SetUp() override {
        SpannerDialogTest::SetUp();
        BuildClickScore(true);
        head_ = AllocRootObject();
        ASSERT_NE(head_, nullptr);
    }
    void TearDown() override {
        ReleaseObjectChain(head_, doc_);
        CloseScoreFile();
        SpannerTest::TearDown();
    }
    std::vector<uint8_t> Encode(ScoreObject* object) {
        ByteWriter writer;
        EncodeScoreObject(object, object->subtype, doc_, writer);
        return writer.Buffer();
    }
    // Encode, read into the test's list, encode: the same bytes; the object read.
    ScoreObject* RoundTrip(ScoreObject* object) {
        const std::vector<uint8_t> bytes = Encode(object);
        ReleaseObjectChain(head_, doc_);
        State().files.FileVersion = kCurrentFileVersion;
        OpenScoreImageForRead(bytes);
        const int code = ReadScoreObject(view_, head_, 1);
        CloseScoreFile();
        EXPECT_EQ(code, 0);
        ScoreObject* back = code == 0 ? head_->next.get() : nullptr;
        EXPECT_NE(back, nullptr);
        if (back == nullptr) return nullptr;
        EXPECT_EQ(back->type, object->type);
        EXPECT_EQ(Encode(back), bytes);
        return back;
    }
    static void ScriptLabel(const char* text) {
        SetDialogScript(set_image_dialog::kSetImageDialog, [text](DialogDriver& d) {
            d.Click(set_image_dialog::kTextLine);
            d.Type(set_image_dialog::kText, text);
            d.Click(ui::kIdOk);
        });
    }
    static std::string LabelText(ScoreObject* object) {
        const char* text = TextObjectString(AsTextObject(object));
        return text != nullptr ? text : "";
    }
    ScoreObject* head_ = nullptr;
};

TEST_F(SpannerRecordsTest, SpannersMadeByTheirToolsRoundTrip) {
    for (ScoreObject* made : {CreateWicketteAtClick(view_, true), CreateWidgetBracketAtClick(view_),
                              CreateOctaveLineAtClick(view_), CreateRepeatEndingAtClick(view_),
                              CreateSlurAtClick(view_, true)}) {
        ASSERT_NE(made, nullptr);
        ScoreObject* back = RoundTrip(made);
        if (back == nullptr || back->type == TypeCode(ObjectType::Slur)) continue;
        EXPECT_EQ(SpannerOf(back)->endpoint.style, SpannerOf(made)->endpoint.style);
        EXPECT_EQ(SpannerOf(back)->endpoint.endHook, SpannerOf(made)->endpoint.endHook);
    }
}

// An octave line whose end hook was dragged up (the sign turned below), then given a
// typed label in its dialog, reads back with that hook, those flags and that text.
TEST_F(SpannerRecordsTest, OctaveLineAfterADragAndItsDialogRoundTrips) {
    ScoreObject* octave = CreateOctaveLineAtClick(view_);
    ASSERT_NE(octave, nullptr);
    HitRecord* head = BuildLineHandles(SpannerOf(octave), view_);
    ASSERT_NE(head, nullptr);
    octave->handleChain = Ref32<HitRecord>::To(head);
    TrackSpannerHandle(*SpannerOf(octave), view_, head, 4, LogicalPoint{0, -300}, true, true);
    ASSERT_EQ(ClassOf(octave).CommitDrag(octave, view_), 1);
    FreeHitRecordChain(octave->handleChain.get());
    FreeHitRecord(octave->handleChain.get());
    octave->handleChain = Ref32<HitRecord>{};
    ScoreObject* back = RoundTrip(octave);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(AsTextObject(back)->body.string, kOctaveBelowCode);
    EXPECT_EQ(SpannerOf(back)->endpoint.endHook, SpannerOf(octave)->endpoint.endHook);

    ScriptLabel("8va bassa");
    ASSERT_EQ(Edit(octave, sd::kOctaveDialog, [](DialogDriver& d) {
                  d.Click(sd::kBracketSetImage);
                  d.Click(sd::kBracketDashed);
                  d.Click(ui::kIdOk);
              }),
              1);
    back = RoundTrip(octave);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(LabelText(back), "8va bassa");
    EXPECT_EQ(AsTextObject(back)->body.flags, AsTextObject(octave)->body.flags);
    EXPECT_EQ(SpannerOf(back)->endpoint.style, SpannerOf(octave)->endpoint.style);
}

// A repeat ending set up in its dialog (span, passes, dashed, a typed label) keeps
// all of it through a write and a read.
TEST_F(SpannerRecordsTest, RepeatEndingSetUpInItsDialogRoundTrips) {
    ScoreObject* made = CreateRepeatEndingAtClick(view_);
    ASSERT_NE(made, nullptr);
    ScriptLabel("1, 3");
    ASSERT_EQ(Edit(made, sd::kRepeatEndingDialog, [](DialogDriver& d) {
                  d.Click(sd::kEndingSetImage);
                  d.Type(sd::kThroughMeasure, "4");
                  d.Click(sd::kDashedBracket);
                  d.Click(ui::kIdOk);
              }),
              1);
    const RepeatEndingObject* ending = AsRepeatEnding(made);
    ASSERT_GT(ending->span, 1);
    ScoreObject* back = RoundTrip(made);
    ASSERT_NE(back, nullptr);
    const RepeatEndingObject* read = AsRepeatEnding(back);
    EXPECT_EQ(read->span, ending->span);
    EXPECT_EQ(read->passes[0], 1);
    EXPECT_EQ(read->passes[1], 3);
    EXPECT_EQ(read->spanner.endpoint.style & 0x0F, 1);
    EXPECT_EQ(LabelText(back), "1, 3");
}

}  // namespace
}  // namespace ql::testing_spanners
