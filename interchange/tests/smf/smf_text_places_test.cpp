// The texts of imported files stand clear of one another and of the music: on every
// page, drawn where the view draws them, no text line, tempo mark or title touches
// another, a note head, or the clef and signatures before a measure's first note;
// and each stays in its measure at its time.
#include <gtest/gtest.h>

#include <string>
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

const Bytes kEnd{0x00, 0xFF, 0x2F, 0x00};

void Meta(Bytes& track, uint8_t type, const std::string& text) {
    track.insert(track.end(), {0x00, 0xFF, type, static_cast<uint8_t>(text.size())});
    track.insert(track.end(), text.begin(), text.end());
}

// Quarters (96 ticks) of the keys given, one after the other; `between` after each.
void Quarters(Bytes& track, const std::vector<uint8_t>& keys,
              const std::function<void(size_t)>& between) {
    for (size_t i = 0; i < keys.size(); ++i) {
        track.insert(track.end(), {0x00, 0x90, keys[i], 90, 0x60, 0x80, keys[i], 0});
        between(i);
    }
}

// A one-track file: a track name, eight texts at its start, a tempo, and quarters
// high over the staff with a lyric and a long text among them.
Bytes EightTexts() {
    Bytes track;
    Meta(track, 0x03, "Piano song");
    for (const char* text : {"Text one", "Text two", "Text three", "Text four", "Text five",
                             "Text six", "Text seven", "Text eight"})
        Meta(track, 0x01, text);
    track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    Quarters(track, {72, 76, 79, 84, 76, 79, 84, 88, 79, 84, 88, 91}, [&](size_t i) {
        if (i == 4) Meta(track, 0x05, "la-la");
        if (i == 9) Meta(track, 0x01, "a tempo, with feeling and a long breath");
    });
    track.insert(track.end(), kEnd.begin(), kEnd.end());
    return Join({Header(0, 1, 96), Chunk("MTrk", track)});
}

// A signature track with a title, a tempo, 3/4 and two sharps; two named tracks,
// the upper high, the lower low, with their instruments.
Bytes NamedTracks() {
    Bytes signatures;
    Meta(signatures, 0x01, "A title");
    signatures.insert(signatures.end(),
                      {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04,
                       0x03, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x59, 0x02, 0x02, 0x00});
    signatures.insert(signatures.end(), kEnd.begin(), kEnd.end());
    Bytes upper;
    Meta(upper, 0x03, "Violin");
    Meta(upper, 0x04, "Solo violin");
    Quarters(upper, {79, 81, 83, 86, 88, 91}, [](size_t) {});
    upper.insert(upper.end(), kEnd.begin(), kEnd.end());
    Bytes lower;
    Meta(lower, 0x03, "Violoncello");
    Quarters(lower, {40, 41, 43, 36, 38, 40}, [&](size_t i) {
        if (i == 2) Meta(lower, 0x01, "pizz.");
    });
    lower.insert(lower.end(), kEnd.begin(), kEnd.end());
    return Join(
        {Header(1, 3, 96), Chunk("MTrk", signatures), Chunk("MTrk", upper), Chunk("MTrk", lower)});
}

// A syllable on every note of a melody.
Bytes Syllables() {
    Bytes track;
    const char* syllables[] = {"Twin", "kle", "twin", "kle", "lit", "tle",
                               "star", "how", "I",    "won", "der"};
    Quarters(track, {60, 60, 67, 67, 69, 69, 67, 65, 65, 64, 64},
             [&](size_t i) { Meta(track, 0x05, syllables[i]); });
    track.insert(track.end(), kEnd.begin(), kEnd.end());
    return Join({Header(1, 2, 96), Chunk("MTrk", kEnd), Chunk("MTrk", track)});
}

struct Seen {
    RecordRect box;
    std::string what;
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
                                       staff, measure)});
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
    };
    const Case cases[] = {{"eight texts", EightTexts(), 10},
                          {"named tracks", NamedTracks(), 4},
                          {"syllables", Syllables(), 11}};
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
