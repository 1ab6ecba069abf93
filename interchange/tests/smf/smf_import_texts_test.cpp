// The texts and tempo changes of an imported file as score objects: titles and
// notices on the first page, staff labels from a text at a staff's start (taking
// over a track name), names, texts and lyrics where they fall, tempo marks, the
// file too large for the score's record pools, and the marks past their room.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/units/paper_size.h"
#include "interchange/smf/smf_import.h"
#include "interchange/smf/smf_import_texts.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "objects/object_services.h"
#include "platform/ui/headless.h"
#include "shell/shell_services.h"

namespace ql::testing {
namespace {

using smf::testing::Bytes;
using smf::testing::Chunk;
using smf::testing::Header;
using smf::testing::Join;

// One object of a list as the test sees it.
struct Seen {
    int type = 0;
    int position = 0;  // in the measure, 1,024 ticks a quarter
    int style = 0;
    std::string text;  // a text's string, or a tempo mark's value
    bool hidden = false;
};

std::vector<Seen> SeenIn(ScoreObject* head) {
    std::vector<Seen> seen;
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get()) {
        Seen s;
        s.type = o->type;
        if (o->type == TypeCode(ObjectType::Label)) {
            const char* text = GetTextBoxString(o);
            s.text = text != nullptr ? text : "";
        } else {
            const TextObject* text = AsTextObject(o);
            s.position = static_cast<int>(text->body.location.position >> 16);
            s.style = text->body.style;
            s.hidden = (text->body.flags & kTextHidden) != 0;
            if (o->type == TypeCode(ObjectType::Tempo)) {
                s.text = std::to_string(MidiActionOfText(o)->head.values.value);
            } else if (const char* string = TextObjectString(text)) {
                s.text = string;
            }
        }
        seen.push_back(s);
    }
    return seen;
}

std::vector<Seen> CellObjects(ScoreView* view, int staff, int measure) {
    ScoreDocument* document = view->document;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
    return SeenIn(cell != nullptr && cell->objects ? cell->objects.get() : nullptr);
}

std::vector<Seen> OfType(const std::vector<Seen>& all, ObjectType type) {
    std::vector<Seen> kept;
    for (const Seen& s : all)
        if (s.type == TypeCode(type)) kept.push_back(s);
    return kept;
}

std::vector<std::string> Texts(const std::vector<Seen>& all) {
    std::vector<std::string> texts;
    for (const Seen& s : all) texts.push_back(s.text);
    return texts;
}

Bytes Meta(uint8_t delta, uint8_t type, const std::string& text) {
    Bytes out{delta, 0xFF, type, static_cast<uint8_t>(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

Bytes Events(std::initializer_list<Bytes> parts) {
    Bytes out = Join(parts);
    const Bytes end{0x00, 0xFF, 0x2F, 0x00};
    out.insert(out.end(), end.begin(), end.end());
    return out;
}

// Two quarter notes at 96 ticks a quarter: C4 on beat 1, D4 on beat 2.
const Bytes kTwoNotes{0x00, 0x90, 60, 90, 0x60, 0x80, 60, 0, 0x00, 0x90, 62, 90, 0x60, 0x80, 62, 0};

class SmfImportTexts : public SmfScoreTest {
  protected:
    // Conductor: four titles (one with a line break), two notices, tempo 120 and
    // then 90 from measure 2. Staff 1: a track name and the text that names the
    // staff, a lyric on beat 2, a text in measure 2. Staff 2: a track name that
    // takes the instrument's name, then a text on beat 2.
    std::string TextsFile() {
        const Bytes conductor = Events({
            Meta(0, 0x01, "Sonata\r\n"), Meta(0, 0x01, "Op. 1"), Meta(0, 0x01, "for two"),
            Meta(0, 0x01, "a fourth title"), Meta(0, 0x02, "(c) 2026 A"), Meta(0, 0x02, "(c) B"),
            Bytes{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},          // 120
            Bytes{0x83, 0x00, 0xFF, 0x51, 0x03, 0x0A, 0x2C, 0x2A},    // 90 after 384 ticks
        });
        const Bytes first = Events({Meta(0, 0x03, "Flute"), Meta(0, 0x01, "Flute I"), Meta(0x60, 0x05, "la"),
                                    Meta(0x00, 0x01, "") /* nothing */, Meta(0x82, 0x20, 0x01, "dolce")});
        const Bytes second = Events({Meta(0, 0x03, "Oboe"), Meta(0, 0x04, "Oboe d'amore"), kTwoNotes,
                                     Meta(0, 0x01, "cantabile")});
        return WriteBytes("texts.mid",
                          Join({Header(1, 3, 96), Chunk("MTrk", conductor), Chunk("MTrk", first),
                                Chunk("MTrk", second)}));
    }
    static Bytes Meta(uint8_t delta, uint8_t type, const std::string& text) {
        return testing::Meta(delta, type, text);
    }
    static Bytes Meta(uint8_t delta1, uint8_t delta2, uint8_t type, const std::string& text) {
        Bytes out = testing::Meta(delta2, type, text);
        out.insert(out.begin(), delta1);
        return out;
    }
};

TEST_F(SmfImportTexts, TitlesNoticesLabelsTextsAndLyrics) {
    ScoreView* view = Import(TextsFile());
    ASSERT_NE(view, nullptr);
    ScopedDocumentContext context(view);

    ShowPageInView(view, 0);
    const std::vector<Seen> page = SeenIn(PageObjectListOf(view));
    std::vector<Seen> titles;
    std::vector<Seen> notices;
    for (const Seen& s : page) (s.style == kTitleStyle ? titles : notices).push_back(s);
    const std::vector<std::string> titleTexts = Texts(titles);
    EXPECT_EQ(titleTexts.size(), 3u);
    for (const char* title : {"Sonata", "Op. 1", "for two"})
        EXPECT_NE(std::find(titleTexts.begin(), titleTexts.end(), title), titleTexts.end()) << title;
    // Centred on the page, one line under the other from its top; the notices at its foot.
    std::vector<LogicalPoint> at;
    for (ScoreObject* o = PageObjectListOf(view)->next.get(); o != nullptr; o = o->next.get())
        if (AsTextObject(o)->body.style == kTitleStyle) at.push_back(TextObjectAnchorPoint(o, view));
    ASSERT_EQ(at.size(), 3u);
    std::sort(at.begin(), at.end(), [](const LogicalPoint& a, const LogicalPoint& b) { return a.y < b.y; });
    PageExtentOf(view);  // the page of the score's paper
    ASSERT_GT(view->PageRight, kLogicalOrigin);
    for (const LogicalPoint& p : at) EXPECT_EQ(p.x, (kLogicalOrigin + view->PageRight) / 2);
    EXPECT_GT(at[0].y, kLogicalOrigin);
    EXPECT_GT(at[1].y, at[0].y);
    EXPECT_GT(at[2].y, at[1].y);
    for (ScoreObject* o = PageObjectListOf(view)->next.get(); o != nullptr; o = o->next.get())
        if (AsTextObject(o)->body.style == kImportedTextStyle) {
            const LogicalPoint p = TextObjectAnchorPoint(o, view);
            EXPECT_GT(p.y, (kLogicalOrigin + view->PageBottom) / 2);
            EXPECT_LT(p.y, view->PageBottom);
        }
    EXPECT_EQ(notices.size(), 2u);
    for (const Seen& s : notices) EXPECT_EQ(s.style, kImportedTextStyle);

    // Staff 1: named by its text, the track name gone; its lyric and text where they fall.
    StaffRecord* flute = StaffRecordOf(view->document, 1);
    ASSERT_TRUE(flute->objects);
    EXPECT_EQ(Texts(OfType(SeenIn(flute->objects.get()), ObjectType::Label)), std::vector<std::string>{"Flute I"});
    const std::vector<Seen> fluteLines = OfType(CellObjects(view, 1, 1), ObjectType::Text);
    ASSERT_EQ(fluteLines.size(), 1u);
    EXPECT_EQ(fluteLines[0].text, "la");
    EXPECT_EQ(fluteLines[0].position, 1024);
    EXPECT_EQ(fluteLines[0].style, kImportedTextStyle);
    const std::vector<Seen> later = OfType(CellObjects(view, 1, 2), ObjectType::Text);
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].text, "dolce");
    EXPECT_EQ(later[0].position, 0);

    // Staff 2: the track name took the instrument's name; no label; a text after it
    // stays a text line.
    StaffRecord* oboe = StaffRecordOf(view->document, 2);
    EXPECT_TRUE(!oboe->objects || OfType(SeenIn(oboe->objects.get()), ObjectType::Label).empty());
    const std::vector<Seen> oboeLines = OfType(CellObjects(view, 2, 1), ObjectType::Text);
    ASSERT_EQ(oboeLines.size(), 2u);
    EXPECT_EQ(oboeLines[0].text, "Oboe d'amore");
    EXPECT_EQ(oboeLines[0].position, 0);
    EXPECT_EQ(oboeLines[1].text, "cantabile");
    EXPECT_EQ(oboeLines[1].position, 2048);
    EXPECT_EQ(Notes(view, 2), "1:0:60 1:1024:62");
}

TEST_F(SmfImportTexts, EveryTempoIsAMarkAndTheFirstTheScoresTempo) {
    ScoreView* view = Import(TextsFile());
    ASSERT_NE(view, nullptr);
    ScopedDocumentContext context(view);
    EXPECT_EQ(view->document->header.tempo, 120);
    const std::vector<Seen> first = OfType(CellObjects(view, 1, 1), ObjectType::Tempo);
    const std::vector<Seen> second = OfType(CellObjects(view, 1, 2), ObjectType::Tempo);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(first[0].text, "120");
    EXPECT_EQ(second[0].text, "90");
    EXPECT_EQ(second[0].position, 0);
    EXPECT_FALSE(second[0].hidden);
}

TEST_F(SmfImportTexts, TempoFilteredOrHiddenByTheImportOptions) {
    ql::Options().HideTEMPO = 1;
    ScoreView* hidden = Import(TextsFile());
    ASSERT_NE(hidden, nullptr);
    {
        ScopedDocumentContext context(hidden);
        const std::vector<Seen> marks = OfType(CellObjects(hidden, 1, 2), ObjectType::Tempo);
        ASSERT_EQ(marks.size(), 1u);
        EXPECT_TRUE(marks[0].hidden);
    }
    ql::Options().FilterTempo = 1;
    ScoreView* filtered = Import(TextsFile());
    ASSERT_NE(filtered, nullptr);
    ScopedDocumentContext context(filtered);
    EXPECT_TRUE(OfType(CellObjects(filtered, 1, 1), ObjectType::Tempo).empty());
    EXPECT_TRUE(OfType(CellObjects(filtered, 1, 2), ObjectType::Tempo).empty());
    EXPECT_NE(filtered->document->header.tempo, 90);
}

// More measures than the measure-cell pool may hold: the import stops with its
// box, closes the score and leaves no flag.
TEST_F(SmfImportTexts, FileTooLargeForTheRecordPoolsIsCancelled) {
    const uint16_t saved = State().pools.DocumentBlockKb[kMeasureCellPool];
    State().pools.DocumentBlockKb[kMeasureCellPool] = 1;
    Bytes notes;  // a whole note (384 ticks) a measure
    for (int i = 0; i < 1000; ++i) notes.insert(notes.end(), {0x00, 0x90, 60, 80, 0x83, 0x00, 0x80, 60, 0});
    const std::string path = WriteBytes("notes.mid", Join({Header(1, 2, 96), Chunk("MTrk", Events({})),
                                                           Chunk("MTrk", Events({notes}))}));
    ScoreView* view = Import(path);
    State().pools.DocumentBlockKb[kMeasureCellPool] = saved;
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(OtherViews(view_), 0);
    ASSERT_FALSE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(ui::headless::MessageBoxes().back().text, kFileTooLargeText);
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_NE(ui::headless::StatusTexts().back().text.find(kImportCancelledText), std::string::npos);
    EXPECT_EQ(State().files.Importing, 0);
    EXPECT_EQ(State().files.MidiImportActive, 0);
}

// More lyrics than the text-object pool may hold: the score comes in with those
// that fit, and the import's box counts the others; none is lost unsaid.
TEST_F(SmfImportTexts, LyricsPastTheRoomForMarksAreCountedAndTheOthersKept) {
    constexpr int kLyrics = 2000;
    const uint16_t saved = State().pools.DocumentBlockKb[kTextObjectPool];
    State().pools.DocumentBlockKb[kTextObjectPool] = 1;
    Bytes lyrics;
    for (int i = 0; i < kLyrics; ++i) {
        const Bytes one = Meta(0x18, 0x05, "la");
        lyrics.insert(lyrics.end(), one.begin(), one.end());
    }
    const std::string path = WriteBytes("lyrics.mid", Join({Header(1, 2, 96), Chunk("MTrk", Events({})),
                                                            Chunk("MTrk", Events({lyrics}))}));
    ScoreView* view = Import(path);
    State().pools.DocumentBlockKb[kTextObjectPool] = saved;
    ASSERT_NE(view, nullptr);
    ScopedDocumentContext context(view);
    int kept = 0;
    for (int measure = 1; measure <= view->document->header.measureCount; ++measure)
        for (const Seen& seen : OfType(CellObjects(view, 1, measure), ObjectType::Text)) kept += seen.text == "la";
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, kLyrics);
    ASSERT_FALSE(ui::headless::MessageBoxes().empty());
    const std::string box = ui::headless::MessageBoxes().back().text;
    EXPECT_NE(box.find(std::string(kMarksPastRoom) + ": " + std::to_string(kLyrics - kept)), std::string::npos)
        << box;
}

// Texts, a lyric and a tempo change 1,100 measures on, after the last measure the
// score can hold: the import's box counts them.
TEST_F(SmfImportTexts, TextsAfterTheLastMeasureAreCounted) {
    const Bytes far{0x99, 0xE4, 0x00};  // 422,400 ticks: 1,100 measures of 4/4 at 96 a quarter
    const Bytes tempo{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    Bytes late = far;
    const Bytes text = Meta(0x00, 0x01, "far");
    late.insert(late.end(), text.begin() + 1, text.end());
    const std::string path = WriteBytes(
        "late.mid", Join({Header(1, 2, 96), Chunk("MTrk", Events({})),
                          Chunk("MTrk", Events({kTwoNotes, late, Meta(0x00, 0x05, "la"), Meta(0x00, 0x01, "on"), tempo}))}));
    ScoreView* view = Import(path);
    ASSERT_NE(view, nullptr);
    ASSERT_FALSE(ui::headless::MessageBoxes().empty());
    const std::string box = ui::headless::MessageBoxes().back().text;
    EXPECT_NE(box.find(std::string(kMarksPastLastMeasure) + ": 4"), std::string::npos) << box;
}

// Single-track (format 0) files: a staff for each channel that plays, the track's
// name at its start the staff's name (a channel prefix's name its channel's staff's),
// other texts and names text lines where they fall, none a title.
TEST_F(SmfImportTexts, SingleTrackFileNamesItsStavesAndKeepsItsTexts) {
    const Bytes duet{0x00, 0x90, 60, 90, 0x60, 0x99, 38, 90, 0x60, 0x80, 60, 0, 0x00, 0x89, 38, 0};
    const Bytes drumsPrefix{0x00, 0xFF, 0x20, 0x01, 0x09};
    struct Case {
        const char* name;
        Bytes track;
        int staves;
        std::vector<std::string> labels;  // by staff from 1; empty: none
        std::vector<std::string> lines;   // staff 1, measure 1, in the imported-text style
        std::string notes1;
    };
    const std::vector<Case> cases{
        {"short name", Events({Meta(0, 0x03, "Gavotte"), Meta(0, 0x01, "Allegro"), kTwoNotes}), 1,
         {"Gavotte"}, {"Allegro"}, "1:0:60 1:1024:62"},
        {"text first", Events({Meta(0, 0x01, "Sequenced by a long hand over many evenings"), Meta(0, 0x03, "Air"),
                               kTwoNotes}),
         1, {"Air"}, {"Sequenced by a long hand over many evenings"}, "1:0:60 1:1024:62"},
        {"two channels", Events({Meta(0, 0x03, "Band"), Meta(0, 0x03, "Take 2"), drumsPrefix,
                                 Meta(0, 0x03, "Drums"), duet}),
         2, {"Band", "Drums"}, {"Take 2"}, "1:0:60"},
        {"no notes", Events({Meta(0, 0x01, "Text")}), 1, {""}, {"Text"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScoreView* view = Import(WriteBytes("single.mid", Join({Header(0, 1, 96), Chunk("MTrk", c.track)})));
        ASSERT_NE(view, nullptr);
        ScopedDocumentContext context(view);
        ASSERT_EQ(view->document->header.staffCount, c.staves);
        for (int staff = 1; staff <= c.staves; ++staff) {
            StaffRecord* record = StaffRecordOf(view->document, staff);
            const std::vector<std::string> labels =
                record->objects ? Texts(OfType(SeenIn(record->objects.get()), ObjectType::Label))
                                : std::vector<std::string>{};
            const std::string& want = c.labels[static_cast<size_t>(staff - 1)];
            EXPECT_EQ(labels, want.empty() ? std::vector<std::string>{} : std::vector<std::string>{want}) << staff;
        }
        ShowPageInView(view, 0);
        for (const Seen& s : SeenIn(PageObjectListOf(view))) EXPECT_NE(s.style, kTitleStyle) << s.text;
        const std::vector<Seen> lines = OfType(CellObjects(view, 1, 1), ObjectType::Text);
        EXPECT_EQ(Texts(lines), c.lines);
        for (const Seen& s : lines) EXPECT_EQ(s.style, kImportedTextStyle) << s.text;
        EXPECT_EQ(Notes(view, 1), c.notes1);
        if (c.staves == 2) {
            EXPECT_EQ(Notes(view, 2), "1:1024:38");  // the drums' own staff
        }
    }
}

}  // namespace
}  // namespace ql::testing
