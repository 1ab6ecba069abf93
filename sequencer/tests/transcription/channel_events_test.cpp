// Channel messages to score objects: key pressure, controllers, patches, channel
// pressure and pitch wheel make MIDI event objects; the pedal controllers make pedal
// marks and volume makes dynamics with the glyph of its value; the filter drops a
// kind or hides its objects.
#include <gtest/gtest.h>

#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/objects/score_object.h"
#include "core/objects/midi_action.h"
#include "core/settings/program_options.h"
#include "core/text/text_object.h"
#include "sequencer/channel_events.h"
#include "sequencer/tests/transcription/transcription_fixture.h"

namespace ql::testing {
namespace {

struct MadeObject {
    uint8_t type;
    int kind;
    int controller;
    int value;
    int symbol;
    int tick;
    bool hidden;
    bool operator==(const MadeObject&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MadeObject& o) {
    return out << "{type " << int{o.type} << " kind " << o.kind << " ctl " << o.controller << " value " << o.value
               << " symbol " << o.symbol << " tick " << o.tick << (o.hidden ? " hidden" : "") << "}";
}

class ChannelEventsTest : public TranscriptionTest {
protected:
    std::vector<MadeObject> Made(int staff, int measure) {
        std::vector<MadeObject> made;
        ScoreObject* list = GetOrCreateCellObjectList(GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure));
        for (ScoreObject* o = list->next.get(); o != nullptr; o = o->next.get()) {
            const MidiAction& action = *MidiActionOfText(o);
            const TextObject& text = *AsTextObject(o);
            made.push_back(MadeObject{o->type, MidiKindOf(action), action.controller, action.head.values.value,
                                      text.body.string, static_cast<int>(text.body.location.position >> 16),
                                      (text.body.flags & kTextHidden) != 0});
            EXPECT_NE(action.flags & kMidiFlagEnabled, 0);
        }
        return made;
    }
};

constexpr uint8_t kMidiEvent = 25;
constexpr uint8_t kDynamic = 21;
constexpr uint8_t kPedal = 22;

// Each kind gives its object at the event's place in the measure; the pitch wheel
// at 00 40 is the centre (8,192) with the centre symbol.
TEST_F(ChannelEventsTest, EachKindMakesItsObject) {
    Begin(1, 2);
    Send(1, 0, 0xA0, 60, 100);
    Send(1, 512, 0xB0, 10, 33);
    Send(1, 0, 0xC0, 5, 0);
    Send(1, 512, 0xD0, 70, 0);
    Send(1, 0, 0xE0, 0x00, 0x40);
    Send(1, 1024, 0xE0, 0x7F, 0x7F);
    Send(1, 0, 0xB0, 64, 127);
    Send(1, 1024, 0xB0, 64, 0);
    Send(1, 0, 0xF0, 1, 2);  // not a channel message: nothing
    EXPECT_EQ(Made(1, 1), (std::vector<MadeObject>{
                              {kMidiEvent, 1, 60, 100, 184, 0, false},
                              {kMidiEvent, 2, 10, 33, 184, 512, false},
                              {kMidiEvent, 3, 0, 5, 184, 512, false},
                              {kMidiEvent, 4, 70, 0, 184, 1024, false},
                              {kMidiEvent, 5, 0, 8192, 203, 1024, false},
                              {kMidiEvent, 5, 0, 16383, 208, 2048, false},
                              {kPedal, 2, 64, 127, 225, 2048, false},
                              {kPedal, 2, 64, 0, 42, 3072, false},
                          }));
}

// Volume values give the dynamics of their range: 54, 55, 64, 65, 76, 77 give
// 161, 162, 162, 172, 172, 171; the ends of the range 0 and 127 give 158 and 168.
TEST_F(ChannelEventsTest, VolumeGivesTheDynamicOfItsRange) {
    Begin(1, 2);
    const int values[] = {54, 55, 64, 65, 76, 77, 0, 127};
    const int glyphs[] = {161, 162, 162, 172, 172, 171, 158, 168};
    for (int value : values) Send(1, 0, 0xB0, 7, static_cast<uint8_t>(value));
    const std::vector<MadeObject> made = Made(1, 1);
    ASSERT_EQ(made.size(), std::size(values));
    for (size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(made[i].type, kDynamic);
        EXPECT_EQ(made[i].value, values[i]);
        EXPECT_EQ(made[i].symbol, glyphs[i]) << values[i];
    }
}

// "Filter Out" drops a kind (the controllers' box every controller: pedals and
// volume too); "Hide" makes its objects hidden.
TEST_F(ChannelEventsTest, FilterDropsOrHidesAKind) {
    Begin(1, 2);
    ql::Options().FilterPATCH = 1;
    ql::Options().FilterRTC = 1;
    ql::Options().HidePITCH = 1;
    Send(1, 0, 0xC0, 5, 0);
    Send(1, 0, 0xB0, 10, 33);
    Send(1, 0, 0xB0, 64, 100);
    Send(1, 0, 0xB0, 7, 100);
    Send(1, 0, 0xE0, 0, 0x40);
    Send(1, 0, 0xD0, 9, 0);
    EXPECT_EQ(Made(1, 1), (std::vector<MadeObject>{{kMidiEvent, 5, 0, 8192, 203, 0, true},
                                                   {kMidiEvent, 4, 9, 0, 184, 0, false}}));
}

// Data bytes above 127 are read at 127; the objects go to the measure the staff's
// clock has reached.
TEST_F(ChannelEventsTest, OutOfRangeDataAndLaterMeasures) {
    Begin(1, 3);
    Send(1, 4096 + 256, 0xB0, 200, 250);
    ASSERT_EQ(Made(1, 2).size(), 1u);
    EXPECT_EQ(Made(1, 2)[0], (MadeObject{kMidiEvent, 2, 127, 127, 184, 256, false}));
    EXPECT_TRUE(Made(1, 1).empty());
}

// Appending through a kept list end puts every object at the list's end: after the
// objects others appended meanwhile, and from the head again once the kept object
// has left the list (and been forgotten) or the cell changes.
TEST_F(ChannelEventsTest, AppendingThroughAKeptEndKeepsTheListsOrder) {
    Begin(1, 2);
    MeasureCell* cells[2] = {GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 1),
                             GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 2)};
    CellListEnd end;
    std::vector<ScoreObject*> expected[2];
    const auto append = [&](int c, bool kept) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::MidiEvent));
        ASSERT_NE(object, nullptr);
        ASSERT_TRUE(AppendAtMeasurePosition(cells[c], object, 0, kept ? &end : nullptr));
        expected[c].push_back(object);
    };
    const auto listed = [&](int c) {
        std::vector<ScoreObject*> objects;
        for (ScoreObject* o = GetOrCreateCellObjectList(cells[c])->next.get(); o != nullptr; o = o->next.get())
            objects.push_back(o);
        return objects;
    };
    for (int round = 0; round < 3; ++round) {
        append(0, true);
        append(0, true);
        append(0, false);  // another appends after the kept end
        append(1, true);   // the kept end moves to the other cell
        append(0, true);
        ScoreObject* last = expected[0].back();
        end.Forget(last);
        UnlinkObject(last);
        ReleaseObjectByType(doc_, last);
        expected[0].pop_back();
        append(0, true);
    }
    EXPECT_EQ(listed(0), expected[0]);
    EXPECT_EQ(listed(1), expected[1]);
}

}  // namespace
}  // namespace ql::testing
