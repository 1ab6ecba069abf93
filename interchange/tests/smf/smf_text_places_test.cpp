// The texts of imported files stand clear of one another and of the music: on every
// page, drawn where the view draws them, no text line, tempo mark or title touches
// another, a note head, or the clef and signatures before a measure's first note;
// and each stays in its measure at its time.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "interchange/imported_text_room.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"

namespace ql::testing {
namespace {

using smf::testing::Bytes;
using smf::testing::Chunk;
using smf::testing::Header;
using smf::testing::Join;

// One item of a track: a quarter (96 ticks) of a key, or a meta text.
struct Item {
    Item(int noteKey) : key(static_cast<uint8_t>(noteKey)) {}  // NOLINT: a key reads as a note
    Item(uint8_t metaType, std::string metaText) : type(metaType), text(std::move(metaText)) {}
    uint8_t key = 0;
    uint8_t type = 0;
    std::string text;
};

// A track chunk: `head` (tempo and signatures), then the items, then its end.
Bytes Track(const std::vector<Item>& items, Bytes head = {}) {
    for (const Item& item : items) {
        if (item.type == 0)
            head.insert(head.end(), {0x00, 0x90, item.key, 90, 0x60, 0x80, item.key, 0});
        else
            head.insert(head.end(),
                        {0x00, 0xFF, item.type, static_cast<uint8_t>(item.text.size())});
        head.insert(head.end(), item.text.begin(), item.text.end());
    }
    head.insert(head.end(), {0x00, 0xFF, 0x2F, 0x00});
    return Chunk("MTrk", head);
}

constexpr uint8_t kText = 0x01;
constexpr uint8_t kTrackName = 0x03;
constexpr uint8_t kInstrument = 0x04;
constexpr uint8_t kLyric = 0x05;
const Bytes kTempo{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
const Bytes kSignatures{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04,
                        0x03, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x59, 0x02, 0x02, 0x00};  // 3/4, D

// A one-track file: a track name and eight texts at its start, a tempo, quarters
// high over the staff with a lyric and a long text among them.
Bytes EightTexts() {
    return Join({Header(0, 1, 96), Track({{kTrackName, "Piano song"},
                                          {kText, "Text one"},
                                          {kText, "Text two"},
                                          {kText, "Text three"},
                                          {kText, "Text four"},
                                          {kText, "Text five"},
                                          {kText, "Text six"},
                                          {kText, "Text seven"},
                                          {kText, "Text eight"},
                                          72,
                                          76,
                                          79,
                                          84,
                                          76,
                                          {kLyric, "la-la"},
                                          79,
                                          84,
                                          88,
                                          79,
                                          84,
                                          {kText, "a tempo, with feeling and a long breath"},
                                          88,
                                          91},
                                         kTempo)});
}

// A signature track with a title, a tempo, 3/4 and two sharps; a named high track
// with its instrument, and a named low one.
Bytes NamedTracks() {
    return Join(
        {Header(1, 3, 96), Track({{kText, "A title"}}, kSignatures),
         Track({{kTrackName, "Violin"}, {kInstrument, "Solo violin"}, 79, 81, 83, 86, 88, 91}),
         Track({{kTrackName, "Violoncello"}, 40, 41, 43, {kText, "pizz."}, 36, 38, 40})});
}

// A syllable on every note of a melody.
Bytes Syllables() {
    return Join({Header(1, 2, 96), Track({}),
                 Track({60, {kLyric, "Twin"}, 60, {kLyric, "kle"}, 67, {kLyric, "twin"},
                        67, {kLyric, "kle"},  69, {kLyric, "lit"}, 69, {kLyric, "tle"},
                        67, {kLyric, "star"}, 65, {kLyric, "how"}, 65, {kLyric, "I"},
                        64, {kLyric, "won"},  64, {kLyric, "der"}})});
}

// A quarter note and `count` texts all at its start: they stand on and beside one
// another, none at another time.
Bytes TextsAtOneTime(int count) {
    std::vector<Item> items;
    for (int i = 1; i <= count; ++i) items.push_back({kText, "Text " + std::to_string(i)});
    items.push_back(72);
    return Join({Header(0, 1, 96), Track(items, kTempo)});
}

struct Seen {
    RecordRect box;
    std::string what;
    int measure = 0;  // a text's measure and the tick of its anchor
    int tick = 0;
};

std::string Where(const char* kind, int staff, int measure) {
    return std::string(kind) + " of staff " + std::to_string(staff) + ", measure " +
           std::to_string(measure);
}

int32_t Scaled(const ScoreView* view, int32_t v) {
    return ViewScale(view) > 0.0 ? static_cast<int32_t>(v * ViewScale(view)) : v;
}

// What one system shows: its texts, its note heads (a black head's size) and the
// signs before each measure's first note.
void SeeSystem(ScoreView* view, ScoreSystem* system, std::vector<Seen>& texts,
               std::vector<Seen>& music) {
    ScoreDocument* document = view->document;
    const int32_t space = StaffSpaceUnits(view);
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        const StaffLinesY lines = StaffLinesIn(view, system, staff);
        for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
            SetCurrentSystemAndMeasureQuick(view, system, staff, measure);
            const int32_t content = MeasureSlotX(view, system, view->currentSlot);
            const int32_t barline =
                view->currentSlot == 1 ? system->x : SlotBarlineX(view, system, view->currentSlot);
            music.push_back(
                {{barline, lines.top - space * 3 / 2, content, lines.bottom + space * 3 / 2},
                 Where("signs", staff, measure)});
            MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
            if (cell == nullptr) continue;
            for (EventRecord* e = GetVoiceFirstEvent(cell, 0); e != nullptr; e = NextEvent(e)) {
                const int32_t x = BeatMapTickToX(view, e->time) + CurrentSlotX(view);
                const int32_t y = view->staffY + Scaled(view, NotePosition(*e) * 64);
                music.push_back({{x, y - space / 2, x + space * 6 / 5, y + space / 2},
                                 Where("note", staff, measure)});
            }
            ScoreObject* list = cell->objects.get();
            for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr;
                 o = o->next.get()) {
                if (o->type != TypeCode(ObjectType::Text) && o->type != TypeCode(ObjectType::Tempo))
                    continue;
                LogicalPoint at{};
                DecodeAnchors(view, o->subtype, &AsTextObject(o)->body.location, &at, 1);
                const RecordRect e = TextExtentAround(view, o);
                texts.push_back({{at.x + e.left, at.y + e.top, at.x + e.right, at.y + e.bottom},
                                 Where(TextObjectString(AsTextObject(o)) != nullptr
                                           ? TextObjectString(AsTextObject(o))
                                           : "tempo",
                                       staff, measure),
                                 measure, static_cast<int>(AsTextObject(o)->body.location.position >> 16)});
            }
        }
    }
}

class SmfTextPlaces : public SmfScoreTest {};

TEST_F(SmfTextPlaces, TextsStandClearOfEachOtherAndOfTheMusic) {
    struct Case {
        const char* name;
        Bytes file;
        size_t texts;  // text lines and tempo marks in the measures
        bool atStart = false;  // every one at the start of measure 1
    };
    // A one-track file's name names its staff; its texts all stay texts.
    const Case cases[] = {{"eight texts", EightTexts(), 11},
                          {"named tracks", NamedTracks(), 4},
                          {"syllables", Syllables(), 11},
                          {"texts at one time", TextsAtOneTime(300), 301, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScoreView* view = Import(WriteBytes("texts.mid", c.file));
        EXPECT_NE(view, nullptr);
        if (view == nullptr) continue;
        size_t seen = 0;
        for (ScorePage* page = view->document->firstPage; page != nullptr;
             page = page->next.get()) {
            view->currentPage = page;
            BuildBeatMapsOnLinkedViews(view, 0);
            std::vector<Seen> texts;
            for (const RecordRect& box : PageTextRoom(view)) texts.push_back({box, "page text"});
            const size_t pageTexts = texts.size();
            std::vector<Seen> music;
            for (ScoreSystem* system = page->firstSystem.get(); system != nullptr;
                 system = system->next.get())
                SeeSystem(view, system, texts, music);
            seen += texts.size() - pageTexts;
            for (size_t i = 0; i < texts.size(); ++i) {
                if (c.atStart && i >= pageTexts) {
                    EXPECT_TRUE(texts[i].measure == 1 && texts[i].tick == 0) << texts[i].what << " moved in time";
                }
                for (size_t j = i + 1; j < texts.size(); ++j)
                    EXPECT_FALSE(BoxesOverlap(texts[i].box, texts[j].box))
                        << texts[i].what << " on " << texts[j].what;
                for (const Seen& m : music)
                    EXPECT_FALSE(BoxesOverlap(texts[i].box, m.box))
                        << texts[i].what << " on the " << m.what;
            }
        }
        EXPECT_EQ(seen, c.texts);
    }
}

}  // namespace
}  // namespace ql::testing
