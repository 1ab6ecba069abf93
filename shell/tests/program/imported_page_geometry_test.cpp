// Imported scores laid out as a musician reads them, one table row each: every
// system between its page's top and bottom margins (a system of 23 staves takes a
// smaller staff size), the titles and credits inside the margins above the first
// system, the part names between the left margin and the first system, which is
// indented by the widest of them (the later systems at the margin), and braces over
// the staves of one part. A later larger staff size that leaves a system taller than
// the page is told in a box. Labels placed, edited and removed by hand, and undone
// and redone, leave the first system spaced as spacing it afresh would. Every
// staff of every system has the room of what it holds (a song's verses under the
// voice, notes far above a later system's staff, forty staves), and the pages of a
// converted score are filled by height.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "core/units/paper_table.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "display/engraving_check.h"
#include "display/tests/painter/engraving_expect.h"
#include "display/view_location.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_import.h"
#include "layout/measure_format.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_fit.h"
#include "layout/page_geometry.h"
#include "layout/page_layout_dialogs.h"
#include "layout/page_texts.h"
#include "layout/staff_room.h"
#include "notes/beatmap/beat_map.h"
#include "objects/text_box/text_box.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/ui/headless.h"
#include "shell/program/score_windows.h"
#include "shell/shell_services.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

struct Part {
    std::string name;
    int staves = 1;
    int octave = 4;  // of its notes, all Cs
};

constexpr double kLetterWidthMillimetres = 215.9;
constexpr double kLetterHeightMillimetres = 279.4;
constexpr char kSmallStaff[] = "5.5";  // millimetres: staff size 7

// A length in tenths of a staff space, for staves `millimetres` high.
std::string Tenths(double length, const std::string& millimetres) {
    return std::to_string(static_cast<int>(length / std::stod(millimetres) * 40));
}

// A partwise score on Letter paper (7 mm staves unless given): its parts, `measures`
// measures of a whole note on each staff, and the credits given.
std::string Score(const std::vector<Part>& parts, int measures, const std::string& credits = "",
                  const std::string& millimetres = "7") {
    std::string text =
        "<score-partwise><defaults><scaling><millimeters>" + millimetres + "</millimeters><tenths>40</tenths></scaling>"
        "<page-layout><page-height>" + Tenths(kLetterHeightMillimetres, millimetres) + "</page-height><page-width>" +
        Tenths(kLetterWidthMillimetres, millimetres) + "</page-width></page-layout></defaults>" +
        credits + "<part-list>";
    for (size_t p = 0; p < parts.size(); ++p)
        text += "<score-part id=\"P" + std::to_string(p) + "\"><part-name>" + parts[p].name +
                "</part-name></score-part>";
    text += "</part-list>";
    for (size_t p = 0; p < parts.size(); ++p) {
        const int staves = parts[p].staves;
        text += "<part id=\"P" + std::to_string(p) + "\">";
        for (int m = 1; m <= measures; ++m) {
            text += "<measure number=\"" + std::to_string(m) + "\">";
            if (m == 1) {
                text += "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>";
                if (staves == 2) text += "<staves>2</staves><clef number=\"2\"><sign>F</sign><line>4</line></clef>";
                text += "</attributes>";
            }
            for (int s = 1; s <= staves; ++s) {
                if (s > 1) text += "<backup><duration>4</duration></backup>";
                text += "<note><pitch><step>C</step><octave>" + std::to_string(parts[p].octave) +
                        "</octave></pitch><duration>4</duration><voice>" +
                        std::to_string(s) + "</voice><type>whole</type><staff>" + std::to_string(s) +
                        "</staff></note>";
            }
            text += "</measure>";
        }
        text += "</part>";
    }
    return text + "</score-partwise>";
}

std::string Credit(int x, int y, const char* justify, const std::string& words, const std::string& more = "") {
    return "<credit page=\"1\"><credit-words default-x=\"" + std::to_string(x) + "\" default-y=\"" +
           std::to_string(y) + "\" justify=\"" + justify + "\" font-size=\"20\" " + more + ">" + words +
           "</credit-words></credit>";
}

struct Case {
    const char* name;
    std::string xml;
    std::vector<std::pair<int, int>> braces;  // first and last staff of each brace
    bool smallerStaff = false;                // the staff size was made smaller than the file's
    std::string centred = {};                 // a page text centred on the page
    int size = -1;                            // the staff size the file's staves give, -1 the default
    double userUnitsPerInch = 0.0;            // the user size's units per inch, when it is one
    std::vector<std::string> lines = {};      // page texts that stand one under the other, left-aligned
};

std::vector<Case> Cases() {
    std::vector<Part> orchestra;
    // Names too long for one line beside staves too close for two: cut on one line.
    for (int i = 1; i <= 23; ++i)
        orchestra.push_back({"Part " + std::to_string(i) + " played by the whole orchestra and the band behind the stage"});
    // Too many staves for the page at the smallest size at their usual distance.
    std::vector<Part> large = orchestra;
    for (int i = 24; i <= 40; ++i) large.push_back({"Part " + std::to_string(i)});
    const std::string credits =
        Credit(617, 1540, "center",
               "Sonata in the Old Style for Voice and Pianoforte, with a Title Far Too Long to Stand on One Line of "
               "the Page, as Some Publishers of the Last Century Were Fond of Giving to the Songs They Printed") +
        Credit(1150, 1470, "right", "Music by a Composer") + Credit(84, 1470, "left", "Words by a Poet") +
        Credit(617, 1470, "center", "Opus 12");
    // A credit of several lines at the page's foot, its last line's foot at its place.
    const std::string notes = Credit(84, 160, "left",
                                     "Source: a collection of the popular music of a country rendered in staff notation, "
                                     "in its second edition of the year the collection first came out, pages 96 and 97\n"
                                     "\nTranscribed in 2005.  See the page of the transcription\nLyrics added in 2006",
                                     "xml:space=\"preserve\"");
    // Credits of a file whose staves are smaller than the score's (its page is larger
    // in staff spaces): each keeps its place on the paper, set by its horizontal and
    // vertical alignment, and the first system, whose notes rise high over it, stands
    // below them all, the one it came down onto too.
    const int width = std::stoi(Tenths(kLetterWidthMillimetres, kSmallStaff));
    const int height = std::stoi(Tenths(kLetterHeightMillimetres, kSmallStaff));
    const std::string placed =
        Credit(width / 2, height - 57, "left", "A Centred Title", "halign=\"center\" valign=\"top\"") +
        Credit(width - 84, height - 117, "right", "Arranged by Someone", "valign=\"top\"") +
        Credit(width / 2, 80, "center", "Copyright at the foot of the page", "valign=\"bottom\"");
    return {
        {"credits of smaller staves", Score({{"Flute", 1, 6}}, 8, placed, kSmallStaff), {}, false, "A Centred Title",
         7},
        // Staves of a size the program has no fixed size for: a user size of theirs.
        {"small staves", Score({{"Clarinet"}, {"Violin"}, {"Viola"}}, 12, "", "5.08"), {}, false, "", kUserStaffSize, 2560.0},
        {"23 staves", Score(orchestra, 6), {}, true},
        {"40 staves", Score(large, 3), {}, true},
        {"song with title and credits", Score({{"Voice"}, {"Pianoforte", 2}}, 12, credits), {{2, 3}}},
        {"voice and piano", Score({{"Soprano Solo"}, {"Piano", 2}, {"Violoncello"}}, 16, notes), {{2, 3}}, false, "",
         -1, 0.0,
         {"Transcribed in 2005.  See the page of the transcription", "Lyrics added in 2006"}},
        // Names too long for a third of the line: broken at their blanks, and a word
        // too long alone cut with an ellipsis.
        {"long part names",
         Score({{"Solo Soprano, who also sings the part of the Queen of the Night in the second act"},
                {"Pianoforteandharpsichordandcelestaandorganandsynthesizerplayedbyoneplayerwhositsbehindtheorchestra"},
                {"Cello"}},
               8),
         {}},
    };
}

// The brace groups of the score, top to bottom.
std::vector<std::pair<int, int>> Braces(ScoreDocument* document) {
    std::vector<std::pair<int, int>> groups;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        const StaffRecord& record = *StaffRecordOf(document, staff);
        if (JoinsStaffBelow(record, GroupKind::Brace) && !JoinsStaffAbove(record, GroupKind::Brace))
            groups.emplace_back(staff, staff);
        if (JoinsStaffAbove(record, GroupKind::Brace) && !groups.empty()) groups.back().second = staff;
    }
    return groups;
}

// The labels of the score's first system between the left margin and the system,
// which stands in from the margin by the widest of them and a gap, never more than
// a third of the line between the margins; each a label's gap below the one above.
void CheckLabels(ScoreView* view, ScoreSystem* system, int32_t left, int32_t right) {
    ScoreDocument* document = view->document;
    int32_t indent = 0;
    int64_t above = INT32_MIN;  // the bottom of the label above
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        ScoreObject* label = GetStaffLabelObject(StaffRecordOf(document, staff));
        if (label == nullptr) continue;
        SetCurrentSystemAndMeasure(view, system, staff, 1, true);
        TextBoxBody& body = AsTextBox(label)->body;
        LogicalPoint at{};
        DecodeAnchors(view, label->subtype, &body.location, &at, 1);
        EXPECT_GE(at.x, left) << "label of staff " << staff;
        EXPECT_LE(at.x + std::abs(body.width), system->x) << "label of staff " << staff;
        indent = std::max(indent, std::abs(body.width) + kStaffLabelGap);
        EXPECT_GE(at.y - above, kStaffLabelGap) << "label of staff " << staff;
        above = at.y + std::abs(body.height);
    }
    EXPECT_EQ(system->x, left + indent);
    EXPECT_LE(indent, (right - left) / 3);
}

// Every page's systems between its margins, its texts inside them and over its first
// system, and the labels of the score's first system between the margin and it.
void CheckPages(ScoreView* view) {
    ScoreDocument* document = view->document;
    int index = 0;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get(), ++index) {
        SCOPED_TRACE("page " + std::to_string(index + 1));
        ShowPageInView(view, index);
        PageMargins margins;
        ASSERT_TRUE(GetPageMargins(page, &margins));
        const int32_t left = kLogicalOrigin + margins.logical[0];
        const int32_t top = kLogicalOrigin + margins.logical[1];
        const int32_t right = view->PageRight - margins.logical[2];
        const int32_t bottom = view->PageBottom - margins.logical[3];
        ScoreSystem* first = page->firstSystem.get();
        ASSERT_NE(first, nullptr);
        for (ScoreSystem* system = first; system != nullptr; system = system->next.get()) {
            SCOPED_TRACE("system at measure " + std::to_string(system->firstMeasure));
            EXPECT_GE(system->y, top);
            EXPECT_LE(system->y + LastShownStaffOffset(document, system) + pages::kStaffHeight, bottom);
            if (system->firstMeasure > 1) {
                EXPECT_EQ(system->x, left);
            }
            if (system->firstMeasure == 1) CheckLabels(view, system, left, right);
        }
        for (ScoreObject* item = page->margins->next.get(); item != nullptr; item = item->next.get()) {
            RecordRect box;
            if (!PageTextBox(view, item, &box)) continue;
            EXPECT_GE(box.left, left);
            EXPECT_LE(box.right, right);
            EXPECT_GE(box.top, kLogicalOrigin);
            if (box.top < first->y) {
                EXPECT_LE(box.bottom, first->y - pages::kStaffHeight);
            }

        }
    }
    ShowPageInView(view, 0);
}

// The first page's texts `lines`, in this order, each under the one before and
// starting where it does.
void CheckLines(ScoreView* view, const std::vector<std::string>& lines) {
    ScorePage* page = view->document->firstPage;
    ShowPageInView(view, 0);
    std::vector<RecordRect> boxes;
    for (const std::string& words : lines) {
        for (ScoreObject* item = page->margins->next.get(); item != nullptr; item = item->next.get()) {
            RecordRect box;
            const char* text = item->type == TypeCode(ObjectType::Text) ? TextObjectString(AsTextObject(item)) : nullptr;
            if (text != nullptr && words == text && PageTextBox(view, item, &box)) boxes.push_back(box);
        }
        ASSERT_EQ(boxes.size(), static_cast<size_t>(&words - lines.data() + 1)) << "no page text " << words;
    }
    for (size_t i = 1; i < boxes.size(); ++i) {
        EXPECT_GE(boxes[i].top, boxes[i - 1].bottom) << lines[i];
        EXPECT_EQ(boxes[i].left, boxes[i - 1].left) << lines[i];
    }
}

// The first page's text `words` centred between the page's edges (within a space).
void CheckCentred(ScoreView* view, const std::string& words) {
    ScorePage* page = view->document->firstPage;
    ShowPageInView(view, 0);
    for (ScoreObject* item = page->margins->next.get(); item != nullptr; item = item->next.get()) {
        RecordRect box;
        const char* text = item->type == TypeCode(ObjectType::Text) ? TextObjectString(AsTextObject(item)) : nullptr;
        if (text == nullptr || words != text || !PageTextBox(view, item, &box)) continue;
        EXPECT_NEAR(box.left + box.right, kLogicalOrigin + view->PageRight, 2 * 128) << words;
        return;
    }
    ADD_FAILURE() << "no page text " << words;
}

class ImportedPageGeometryTest : public testing::ProgramFixture {};

TEST_F(ImportedPageGeometryTest, PagesStandAsAnEngraverSetsThem) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (const Case& test : Cases()) {
        SCOPED_TRACE(test.name);
        const musicxml::MusicXmlConversion conversion = musicxml::ConvertMusicXml(
            std::vector<uint8_t>(test.xml.begin(), test.xml.end()), musicxml::MusicXmlForm::Plain);
        ASSERT_TRUE(conversion.ok) << conversion.error;
        ui::headless::ResetUi();
        const int defaultSize = ProgramPreferences().header.pageGeometry.staffSize;
        ScoreView* view = niff::OpenNiffScoreWindowFromMemory(conversion.niff, "case_XML");
        ASSERT_NE(view, nullptr);
        if (std::getenv("QL_PAGE_PICTURES") != nullptr) {
            std::string name = std::string("geometry_") + test.name;
            std::replace(name.begin(), name.end(), ' ', '_');
            EXPECT_TRUE(testing::SavePagePictures(view, name));
        }
        ScoreDocument* document = view->document;
        if (test.size >= 0) {
            EXPECT_EQ(document->header.pageGeometry.staffSize, test.size);
        } else {
            EXPECT_EQ(document->header.pageGeometry.staffSize > defaultSize, test.smallerStaff);
        }
        if (test.userUnitsPerInch > 0.0) {
            EXPECT_NEAR(view->UnitsPerInch, test.userUnitsPerInch, test.userUnitsPerInch / 100);
        }
        EXPECT_EQ(Braces(document), test.braces);
        CheckPages(view);
        if (!test.centred.empty()) CheckCentred(view, test.centred);
        if (!test.lines.empty()) CheckLines(view, test.lines);
        EXPECT_TRUE(testing::EngravingIsClean(view));
        if (test.smallerStaff) {
            // The largest staff size: the user is told that a system no longer fits.
            ui::headless::SetDialogScript(kStaffSizeDialog, [](ui::headless::DialogDriver& d) {
                d.SetChecked(staff_size_dialog::kFirstSize, true);
                d.Click(ui::kIdOk);
            });
            const size_t boxes = ui::headless::MessageBoxes().size();
            RunStaffSizeDialog(view);
            ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
            EXPECT_EQ(ui::headless::MessageBoxes().back().text, kSystemTallerThanPage);
            ui::headless::SetDialogScript(kStaffSizeDialog, {});
        }
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

// A song of `measures` measures: a voice with three verses on quarter notes (high
// A6 over ledger lines in measure `high`), and a piano whose left hand reaches
// far below its staff.
std::string Song(int measures, int high) {
    std::string voice, right;
    for (int m = 1; m <= measures; ++m) {
        const std::string number = "<measure number=\"" + std::to_string(m) + "\">";
        const std::string start =
            m == 1 ? "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type></time>"
                     "<staves>2</staves><clef number=\"2\"><sign>F</sign><line>4</line></clef></attributes>"
                   : "";
        voice += number + (m == 1 ? "<attributes><divisions>1</divisions><time><beats>4</beats><beat-type>4</beat-type>"
                                    "</time></attributes>"
                                  : "");
        for (int q = 0; q < 4; ++q) {
            voice += "<note><pitch><step>" + std::string(m == high ? "A" : "D") + "</step><octave>" +
                     (m == high ? "6" : "5") + "</octave></pitch><duration>1</duration><type>quarter</type>";
            for (int verse = 1; verse <= 3; ++verse)
                voice += "<lyric number=\"" + std::to_string(verse) + "\"><text>la</text></lyric>";
            voice += "</note>";
        }
        voice += "</measure>";
        right += number + start +
                 "<note><pitch><step>E</step><octave>4</octave></pitch><duration>4</duration><type>whole</type>"
                 "<staff>1</staff></note><backup><duration>4</duration></backup><note><pitch><step>E</step>"
                 "<octave>1</octave></pitch><duration>4</duration><type>whole</type><staff>2</staff></note></measure>";
    }
    return "<score-partwise><part-list><score-part id=\"V\"><part-name>Voice</part-name></score-part>"
           "<score-part id=\"P\"><part-name>Piano</part-name></score-part></part-list><part id=\"V\">" +
           voice + "</part><part id=\"P\">" + right + "</part></score-partwise>";
}

// The highest and lowest ink of a system's notes (heads and stems), page y.
std::pair<int64_t, int64_t> NotesSpan(ScoreDocument* document, const ScoreSystem* system) {
    int64_t top = INT64_MAX, bottom = INT64_MIN;
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) {
            MeasureCell* cell = ExistingMeasureCell(document, staff, m);
            for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice)
                for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) {
                    const int64_t y = system->y + StaffOffsetsOf(system)[staff] + SignedStep(*e) * 64;
                    top = std::min({top, y - 64, y + std::min<int>(e->stemLength, 0)});
                    bottom = std::max({bottom, y + 64, y + std::max<int>(e->stemLength, 0)});
                }
        }
    return {top, bottom};
}

// Staves and systems no closer than their room; every page but the last full.
void CheckRoom(ScoreView* view) {
    ScoreDocument* document = view->document;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        const ScoreSystem* above = nullptr;
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get()) {
            SCOPED_TRACE("system at measure " + std::to_string(system->firstMeasure));
            const std::vector<InkReach> rooms = StaffRoomsOf(view, system);
            const uint16_t* offsets = StaffOffsetsOf(system);
            for (int staff = 2; staff <= document->header.staffCount; ++staff)
                EXPECT_GE(offsets[staff] - offsets[staff - 1],
                          StaffDistanceFor(rooms[staff - 1].All(), rooms[staff].All()))
                    << "staff " << staff;
            if (above != nullptr) {
                EXPECT_GT(NotesSpan(document, system).first, NotesSpan(document, above).second + kStaffPaper);
                EXPECT_GE(system->y - pages::kStaffHeight - (above->y + LastShownStaffOffset(document, above)),
                          SystemRoomOf(view, above).All().below + kStaffPaper + SystemRoomOf(view, system).All().above);
            }
            above = system;
        }
        if (page->next.get() == nullptr) continue;
        // The first system of the next page does not stand on this one.
        ASSERT_TRUE(AddSystemToPage(view, page, true));
        EXPECT_FALSE(PageHoldsSystemsByRoom(view, page)) << "page " << page->pageNumber << " is not full";
        ASSERT_TRUE(MoveLastSystemToNextPage(view, page));
    }
}

// A score of measures alike: the systems after the first hold as many measures
// each, whatever page they stand on; the first (indented by the part names) no
// more, and the last more than a third as many (a few measures left over join the
// system before rather than stand stretched over a line) and no more than a third
// more. The pages between the first and the last hold as many
// systems each, and the first (under its heading) no more than two fewer than any.
void CheckEvenSystems(ScoreView* view) {
    std::vector<int> counts, pages;
    for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get()) {
        pages.push_back(0);
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get()) {
            counts.push_back(system->lastMeasure - system->firstMeasure + 1);
            ++pages.back();
        }
    }
    for (size_t p = 1; p < pages.size(); ++p) {
        if (p + 1 < pages.size()) {
            EXPECT_EQ(pages[p], pages[1]) << "page " << p + 1;
        }
        EXPECT_GE(pages[0], pages[p] - 2) << "page 1 beside page " << p + 1;
    }
    ASSERT_GE(counts.size(), 3u);
    const int full = counts[1];
    for (size_t i = 0; i < counts.size(); ++i) {
        if (i + 1 == counts.size()) {
            EXPECT_GT(counts[i] * 3, full) << "the last system";
            EXPECT_LE(counts[i], full + full / 3) << "the last system";
        } else if (i == 0) {
            EXPECT_LE(counts[i], full) << "system 1";
        } else {
            EXPECT_EQ(counts[i], full) << "system " << i + 1;
        }
    }
}

TEST_F(ImportedPageGeometryTest, EveryStaffHasTheRoomOfWhatItHolds) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    // A credit at the right, which the first system comes down past for the notes
    // high over it, stands beside the heading, not at the page's foot.
    const std::string credits = Credit(617, 1470, "center", "A Title", "valign=\"top\"") +
                                Credit(1150, 1400, "right", "Arranged by Someone", "valign=\"top\"");
    std::vector<std::pair<std::string, std::string>> scores{{"song", Song(40, 6)},
                                                            {"melody", Score({{"Flute"}}, 52)},
                                                            {"melody with credits", Score({{"Flute", 1, 6}}, 60, credits)}};
    for (const Case& test : Cases()) scores.emplace_back(test.name, test.xml);
    for (const auto& [name, xml] : scores) {
        SCOPED_TRACE(name);
        ScoreView* view = testing::ImportMusicXmlText(xml, "room_XML");
        ASSERT_NE(view, nullptr);
        ScoreDocument* document = view->document;
        CheckPages(view);
        CheckRoom(view);
        if (name == "song" || name.starts_with("melody")) CheckEvenSystems(view);
        EXPECT_TRUE(testing::EngravingIsClean(view));
        EXPECT_TRUE(testing::SavePagePictures(view, "room_" + name));
        if (name == "song") {
            // The third verse under the voice stands clear above the piano's notes.
            const ScoreSystem* system = document->firstPage->firstSystem.get();
            EXPECT_GT(StaffOffsetsOf(system)[2] - StaffOffsetsOf(system)[1],
                      document->header.lyricLevels[2] + pages::kStaffHeight);
            EXPECT_GT(document->header.pageCount, 1);
        }
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

// The labelled system of a new score after an edit: its beat map as a build gives it,
// its place and widths as spacing it again gives them, and no label over its signs.
void CheckRespaced(ScoreView* view, const std::string& step) {
    SCOPED_TRACE(step);
    ScoreDocument* document = view->document;
    ScorePage* page = document->firstPage;
    ScoreSystem* system = page->firstSystem.get();
    ASSERT_EQ(view->currentPage, page);
    const auto row = [&] {
        std::vector<int32_t> xs;
        for (int slot = 1; slot <= system->lastMeasure - system->firstMeasure + 2; ++slot) {
            const int cell = BeatMapCell(system->number, slot);
            xs.insert(xs.end(), {view->beatMap.slotX[cell], view->beatMap.timeX[cell], view->beatMap.contentX[cell]});
        }
        return xs;
    };
    const auto widths = [&] {
        std::vector<int32_t> all{system->x};
        for (int m = system->firstMeasure; m <= system->lastMeasure; ++m) all.push_back(MeasureRecordOf(document, m)->width);
        return all;
    };
    const std::vector<int32_t> shown = row();
    UpdateBeatMaps(view, 1);
    EXPECT_EQ(shown, row()) << "the beat map was left as it was before the edit";
    const std::vector<int32_t> spaced = widths();
    FormatSystem(view, page, system);
    const std::vector<int32_t> again = widths();
    ASSERT_EQ(spaced.size(), again.size());
    EXPECT_EQ(spaced[0], again[0]) << "the system does not stand at its indent";
    for (size_t i = 1; i < spaced.size(); ++i) EXPECT_NEAR(spaced[i], again[i], 4) << "measure " << i;
    PageMargins margins;
    ASSERT_TRUE(GetPageMargins(page, &margins));
    CheckLabels(view, system, kLogicalOrigin + margins.logical[0], view->PageRight - margins.logical[2]);
    for (const EngravingFinding& f : CheckEngraving(view))
        EXPECT_NE(f.kind, FindingKind::LabelOverSign) << DescribeFinding(f);
}

TEST_F(ImportedPageGeometryTest, LabelsEditedByHandRespaceTheFirstSystem) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = testing::isolation::NewScoreFromMenu(2);
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    const ScoreObjectClass* labels = FindObjectClass(ClassOfType(ObjectType::Label));
    const uint8_t type = TypeCode(ObjectType::Label);
    const auto typed = [](const std::string& text) {
        ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog, [text](ui::headless::DialogDriver& d) {
            d.Type(text_block_dialog::kText, text);
            d.PressEnter();
        });
    };
    const auto label = [&](int staff) { return GetStaffLabelObject(StaffRecordOf(document, staff)); };
    const ScopedDocumentContext context(view);
    ShowPageInView(view, 0);
    for (const auto& [staff, text] : std::vector<std::pair<int, std::string>>{{1, "Violoncello"}, {2, "Viola"}}) {
        SetCurrentMeasureQuick(view, staff, 1);
        view->pointerPoint = LogicalPoint{view->currentSystem->x + 512, view->staffY};
        typed(text);
        const UndoStep undo(document, view, UndoKind::Item, type, UndoVerb::Modify);
        ASSERT_NE(labels->CreateAtClick(nullptr, view), nullptr);
    }
    CheckRespaced(view, "two labels placed");
    typed("Vc.");
    {
        const UndoStep undo(document, view, UndoKind::Item, type, UndoVerb::Modify);
        EXPECT_EQ(labels->EditAttributes(label(1), view), 1);
    }
    CheckRespaced(view, "the widest label shortened");
    typed("Violoncello and Contrabass, the second desk, who play from the same part as the first desk");
    {
        const UndoStep undo(document, view, UndoKind::Item, type, UndoVerb::Modify);
        EXPECT_EQ(labels->EditAttributes(label(1), view), 1);
    }
    CheckRespaced(view, "a label too long for a third of the line broken into lines");
    typed("Vc.");
    {
        const UndoStep undo(document, view, UndoKind::Item, type, UndoVerb::Modify);
        EXPECT_EQ(labels->EditAttributes(label(1), view), 1);
    }
    {
        const UndoStep undo(document, view, UndoKind::Item, type, UndoVerb::Modify);
        EXPECT_EQ(labels->HandleDrop(nullptr, view, label(2), nullptr), 1);
    }
    ASSERT_EQ(label(2), nullptr);
    CheckRespaced(view, "a label removed");
    UndoCommand(document, view);
    ASSERT_NE(label(2), nullptr);
    CheckRespaced(view, "the removal undone");
    RedoCommand(document, view);
    ASSERT_EQ(label(2), nullptr);
    CheckRespaced(view, "the removal redone");
    ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog, {});
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
