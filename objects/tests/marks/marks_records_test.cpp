// The stored forms of marks made by the classes (placing, keys, dialogs, drags):
// encode, read back through the object reader, encode again gives the same bytes;
// a tempo mark's beat unit and dot (text flags 12-14) survive; a short chord record
// fails and leaves nothing behind.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/object_list.h"
#include "core/state.h"
#include "files/bytes/byte_writer.h"
#include "files/records/file_version.h"
#include "files/records/object_records.h"
#include "files/score_file.h"
#include "objects/chord/chord_class.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_marks {
namespace {

class MarksRecordsTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        UseDialogs();
        BuildScore(1);
        head_ = AllocRootObject();
        ASSERT_NE(head_, nullptr);
    }
    void TearDown() override {
        ReleaseObjectChain(head_, doc_);
        CloseScoreFile();
        MarksTest::TearDown();
    }
    std::vector<uint8_t> Encode(ScoreObject* object) {
        ByteWriter writer;
        EncodeScoreObject(object, object->subtype, doc_, writer);
        return writer.Buffer();
    }
    // Reads one record into the test's list; the object, or null with `result` set.
    ScoreObject* Read(const std::vector<uint8_t>& bytes, int* result = nullptr) {
        ReleaseObjectChain(head_, doc_);
        State().files.FileVersion = kCurrentFileVersion;
        OpenScoreImageForRead(bytes);
        const int code = ReadScoreObject(view_, head_, 1);
        CloseScoreFile();
        if (result != nullptr) *result = code;
        return code == 0 ? head_->next.get() : nullptr;
    }
    // Encode, read, encode: the same bytes; the object read.
    ScoreObject* RoundTrip(ScoreObject* object) {
        const std::vector<uint8_t> bytes = Encode(object);
        ScoreObject* back = Read(bytes);
        EXPECT_NE(back, nullptr);
        if (back != nullptr) {
            EXPECT_EQ(Encode(back), bytes);
        }
        return back;
    }
    ScoreObject* head_ = nullptr;
};

TEST_F(MarksRecordsTest, TempoUnitAndDotSurviveWriteAndRead) {
    ui::headless::SetDialogScript(kTempoDialogId, [](ui::headless::DialogDriver& d) {
        d.Click(tempo_dialog::kEighth);
        d.Click(tempo_dialog::kDotted);
        d.Type(tempo_dialog::kBeats, "150");
        d.Click(ui::kIdOk);
    });
    ScoreObject* mark = Place(ObjectType::Tempo, PointIn(1, 1, 300));
    ASSERT_NE(mark, nullptr);
    ClassOf(mark).OnKey(mark, view_, kKeyLeft);
    ScoreObject* back = RoundTrip(mark);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(TempoUnitOf(Text(back).flags), TempoUnit::Eighth);
    EXPECT_TRUE(IsTempoDotted(Text(back).flags));
    EXPECT_EQ(Text(back).string, 244);
    EXPECT_EQ(Action(back).head.values.value, 150);
    EXPECT_EQ(TempoNumberColumn(Action(back)), 3);
}

TEST_F(MarksRecordsTest, PlacedMarksRoundTrip) {
    MarkTools().dynamicsEntry = 12;
    ScoreObject* dynamic = Place(ObjectType::Dynamic, PointIn(1, 1, 300));
    ASSERT_NE(dynamic, nullptr);
    ClassOf(dynamic).OnKey(dynamic, view_, kKeyPadMinus);
    ScoreObject* back = RoundTrip(dynamic);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Action(back).head.values.value, 29);
    ScoreObject* pedal = Place(ObjectType::Pedal, PointIn(1, 2, 300));
    ASSERT_NE(pedal, nullptr);
    RoundTrip(pedal);
    MarkTools().diminuendo = true;
    ScoreObject* hairpin = Place(ObjectType::Hairpin, PointIn(1, 3, 300));
    ASSERT_NE(hairpin, nullptr);
    ClassOf(hairpin).OnKey(hairpin, view_, kKeyF);
    back = RoundTrip(hairpin);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(AsHairpin(back)->direction, kHairpinCrescendo);
}

TEST_F(MarksRecordsTest, ChordRoundTripAndShortRecordFails) {
    ui::headless::SetDialogScript(kChordDialogId, [](ui::headless::DialogDriver& d) {
        d.Click(chord_dialog::kFirstRoot + 4);
        d.Click(chord_dialog::kRootFlat);
        d.Click(chord_dialog::kFirstQuality + 9);
        d.Click(ui::kIdOk);
    });
    ScoreObject* chord = Place(ObjectType::Chord, PointIn(1, 1, 300));
    ASSERT_NE(chord, nullptr);
    ClassOf(chord).OnKey(chord, view_, kKeyDown);
    ScoreObject* back = RoundTrip(chord);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(AsChordSymbol(back)->chord.root, 4);
    EXPECT_EQ(AsChordSymbol(back)->chord.rootAccidental, 2);
    EXPECT_EQ(static_cast<int8_t>(Text(back).charset), 16);
    // Every cut of the record fails it and links nothing.
    const std::vector<uint8_t> bytes = Encode(chord);
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        int result = 0;
        EXPECT_EQ(Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut), &result), nullptr) << cut;
        EXPECT_NE(result, 0) << cut;
        EXPECT_FALSE(head_->next) << cut;
    }
}

}  // namespace
}  // namespace ql::testing_marks
