// Scores a musician prints every day, imported from MusicXML and checked page by
// page by the engraving check: a song (voice with lyrics, piano), an orchestral
// excerpt, a 14/4 measure of triplets and 4:2, 4:1, 7:3 and 6:2 groups, and measures
// of values that crowd a measure (double-dotted values, breves, long notes in short
// measures, 32nds and 64ths filling a measure, short rests before the barline), and
// scores that crowd their columns (grace notes mid-measure, chords of accidentals and
// dots, long syllables on sixteenths, a measure of 128 notes), whose heads, signs and
// syllables are also checked apart on the page; and a file whose systems are filled
// by width whatever breaks it gives; a chant whose syllables stand under slurs;
// and two voices a second apart, the upper one's syllables under its heads set
// aside. Each page is kept as a picture in the test output folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/draw/glyph_metrics.h"
#include "core/draw/view_drawing.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "display/tests/painter/engraving_expect.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_import.h"
#include "layout/spacing/spacing_collect.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/beatmap/beat_map.h"
#include "objects/lyrics/lyric.h"
#include "platform/ui/headless.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

std::string Part(const std::string& id, const std::string& measures) {
    return "<part id=\"" + id + "\">" + measures + "</part>";
}

std::string Score(const std::vector<std::pair<std::string, std::string>>& parts, const std::string& parts_xml) {
    std::string list;
    for (const auto& [id, name] : parts)
        list += "<score-part id=\"" + id + "\"><part-name>" + name + "</part-name></score-part>";
    return "<score-partwise><part-list>" + list + "</part-list>" + parts_xml + "</score-partwise>";
}

std::string Attributes(int divisions, int beats, int type, const std::string& clef = "G2", int fifths = 0) {
    return "<attributes><divisions>" + std::to_string(divisions) + "</divisions><key><fifths>" +
           std::to_string(fifths) + "</fifths></key><time><beats>" + std::to_string(beats) + "</beats><beat-type>" +
           std::to_string(type) + "</beat-type></time><clef><sign>" + clef.substr(0, 1) + "</sign><line>" +
           clef.substr(1) + "</line></clef></attributes>";
}

// A note ("C5"; "R" for a rest) of a duration and type, with dots and what follows.
std::string Note(const std::string& pitch, int duration, const char* type, int dots = 0,
                 const std::string& after = "") {
    std::string body = pitch == "R" ? "<rest/>"
                                    : "<pitch><step>" + pitch.substr(0, 1) + "</step><octave>" + pitch.substr(1, 1) +
                                          "</octave></pitch>";
    std::string text = "<note>" + body + "<duration>" + std::to_string(duration) + "</duration><type>" + type +
                       "</type>";
    for (int i = 0; i < dots; ++i) text += "<dot/>";
    return text + after + "</note>";
}

std::string Lyric(const std::string& syllable, int verse = 1) {
    return "<lyric number=\"" + std::to_string(verse) + "\"><text>" + syllable + "</text></lyric>";
}

// A group of `count` notes of `type` played in the time of `normal` of them.
std::string Tuplet(int count, int normal, int duration, const char* type, const char* pitch) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string mark = i == 0 ? "<notations><tuplet type=\"start\"/></notations>"
                                 : i == count - 1 ? "<notations><tuplet type=\"stop\"/></notations>"
                                                  : "";
        text += "<note><pitch><step>" + std::string(pitch, 1) + "</step><octave>" + std::string(pitch + 1, 1) +
                "</octave></pitch><duration>" + std::to_string(duration) + "</duration><type>" + type +
                "</type><time-modification><actual-notes>" + std::to_string(count) +
                "</actual-notes><normal-notes>" + std::to_string(normal) + "</normal-notes></time-modification>" +
                mark + "</note>";
    }
    return text;
}

std::string Song() {
    const char* words[] = {"Ev", "ry", "morn", "ing", "the", "lark", "is", "sing", "ing", "high"};
    std::string voice, right, left;
    for (int m = 0; m < 8; ++m) {
        voice += "<measure>" + (m == 0 ? Attributes(2, 4, 4, "G2", 1) : std::string());
        for (int q = 0; q < 4; ++q)
            voice += Note(q % 2 ? "D5" : "B4", 2, "quarter", 0, Lyric(words[(m * 4 + q) % 10]) + Lyric("la", 2));
        voice += "</measure>";
        right += "<measure>" + (m == 0 ? Attributes(2, 4, 4, "G2", 1) : std::string()) +
                 Note("G4", 4, "half") + Note("A4", 2, "quarter") + Note("B4", 1, "eighth") + Note("C5", 1, "eighth") +
                 "</measure>";
        left += "<measure>" + (m == 0 ? Attributes(2, 4, 4, "F4", 1) : std::string()) + Note("G3", 8, "whole") +
                "</measure>";
    }
    return Score({{"V", "Voice"}, {"R", "Piano"}, {"L", "Piano"}}, Part("V", voice) + Part("R", right) + Part("L", left));
}

std::string Orchestra() {
    const char* names[] = {"Flute", "Oboe", "Clarinet", "Bassoon", "Horn", "Violin I", "Violin II", "Viola", "Cello"};
    std::vector<std::pair<std::string, std::string>> parts;
    std::string xml;
    for (int p = 0; p < 9; ++p) {
        const std::string id = "P" + std::to_string(p);
        parts.push_back({id, names[p]});
        const std::string clef = p == 3 || p == 8 ? "F4" : p == 7 ? "C3" : "G2";
        const std::string pitch = p == 3 || p == 8 ? "D3" : p == 7 ? "C4" : "A4";
        std::string measures;
        for (int m = 0; m < 6; ++m) {
            measures += "<measure>" + (m == 0 ? Attributes(4, 3, 4, clef, -2) : std::string());
            if ((m + p) % 3 == 0)
                measures += Note(pitch, 12, "half", 1);
            else if ((m + p) % 3 == 1)
                measures += Note(pitch, 4, "quarter") + Note("R", 4, "quarter") + Note(pitch, 2, "eighth") +
                            Note(pitch, 2, "eighth");
            else
                for (int s = 0; s < 12; ++s) measures += Note(pitch, 1, "16th");
            measures += "</measure>";
        }
        xml += Part(id, measures);
    }
    return Score(parts, xml);
}

// 14/4 at 1680 to the quarter: three triplets of eighths, then 4:2 eighths, 4:1
// sixteenths, 7:3 eighths, 6:2 sixteenths, three sixteenths, a whole and a dotted half.
std::string TupletMeasure() {
    const std::string measure = "<measure>" + Attributes(1680, 14, 4) + Tuplet(3, 2, 560, "eighth", "C5") +
                                Tuplet(3, 2, 560, "eighth", "D5") + Tuplet(3, 2, 560, "eighth", "E5") +
                                Tuplet(4, 2, 420, "eighth", "F5") + Tuplet(4, 1, 105, "16th", "G5") +
                                Tuplet(7, 3, 360, "eighth", "A4") + Tuplet(6, 2, 140, "16th", "B4") +
                                Note("C5", 420, "16th") + Note("C5", 420, "16th") + Note("C5", 420, "16th") +
                                Note("D5", 6720, "whole") + Note("E5", 5040, "half", 1) + "</measure>";
    return Score({{"P", "Flute"}}, Part("P", measure));
}

// Values that crowd a measure: double dots, a breve, long notes in short measures,
// 32nds and 64ths filling 4/4, and short rests up to the barline.
std::string CrowdedMeasures() {
    std::string m = "<measure>" + Attributes(32, 4, 4) + Note("C5", 112, "half", 2) + Note("D5", 16, "eighth") +
                    "</measure>";
    m += "<measure>" + Note("E5", 56, "quarter", 2) + Note("R", 8, "16th") + Note("F5", 56, "quarter", 2) +
         Note("R", 4, "32nd") + Note("R", 4, "32nd") + "</measure>";
    m += "<measure><attributes><time><beats>4</beats><beat-type>2</beat-type></time></attributes>" +
         Note("G4", 256, "breve") + "</measure>";
    m += "<measure><attributes><time><beats>2</beats><beat-type>8</beat-type></time></attributes>" +
         Note("A4", 32, "quarter") + "</measure>";
    m += "<measure><attributes><time><beats>1</beats><beat-type>4</beat-type></time></attributes>" +
         Note("B4", 24, "eighth", 1) + Note("R", 4, "32nd") + Note("R", 2, "64th") + Note("R", 2, "64th") + "</measure>";
    m += "<measure><attributes><time><beats>4</beats><beat-type>4</beat-type></time></attributes>";
    for (int i = 0; i < 32; ++i) m += Note(i % 2 ? "C6" : "A5", 4, "32nd");
    m += "</measure><measure>";
    for (int i = 0; i < 64; ++i) m += Note(i % 2 ? "F5" : "D5", 2, "64th");
    m += "</measure><measure>" + Note("C5", 64, "half") + Note("D5", 48, "quarter", 1) + Note("R", 8, "16th") +
         Note("R", 4, "32nd") + Note("R", 2, "64th") + Note("R", 2, "64th") + "</measure>";
    return Score({{"P", "Oboe"}}, Part("P", m));
}

// A note of any pitch ("F#4", "Bb5", "C5"): an accidental shown for an alter, a grace
// note (no duration) when `duration` is 0, and `after` inside the note.
std::string Pitch(const std::string& pitch, int duration, const char* type, const std::string& after = "",
                  bool chord = false) {
    const int alter = pitch.size() == 3 ? (pitch[1] == '#' ? 1 : -1) : 0;
    std::string text = "<note>" + std::string(duration == 0 ? "<grace/>" : "") + (chord ? "<chord/>" : "") +
                       "<pitch><step>" + pitch.substr(0, 1) + "</step>" +
                       (alter != 0 ? "<alter>" + std::to_string(alter) + "</alter>" : "") + "<octave>" +
                       pitch.substr(pitch.size() - 1) + "</octave></pitch>";
    if (duration > 0) text += "<duration>" + std::to_string(duration) + "</duration>";
    text += "<type>" + std::string(type) + "</type>";
    if (alter != 0) text += alter > 0 ? "<accidental>sharp</accidental>" : "<accidental>flat</accidental>";
    return text + after + "</note>";
}

// Grace notes with accidentals before the second, third and fourth beats.
std::string GracesMidMeasure() {
    std::string m;
    for (int i = 0; i < 4; ++i) {
        m += "<measure>" + (i == 0 ? Attributes(2, 4, 4) : std::string()) + Pitch("C5", 2, "quarter");
        for (const char* pitch : {"F#5", "Bb4", "C#5"}) m += Pitch(pitch, 0, "16th") + Pitch("D5", 2, "quarter");
        m += "</measure>";
    }
    return Score({{"P", "Flute"}}, Part("P", m));
}

// Dotted chords whose every note has an accidental, after sixteenths.
std::string AccidentalChords() {
    std::string m;
    for (int i = 0; i < 4; ++i) {
        m += "<measure>" + (i == 0 ? Attributes(4, 2, 4) : std::string());
        for (int beat = 0; beat < 2; ++beat)
            m += Pitch("E5", 1, "16th") + Pitch("F#4", 3, "eighth", "<dot/>") + Pitch("Ab4", 3, "eighth", "<dot/>", true) +
                 Pitch("C#5", 3, "eighth", "<dot/>", true) + Pitch("Eb5", 3, "eighth", "<dot/>", true);
        m += "</measure>";
    }
    return Score({{"P", "Piano"}}, Part("P", m));
}

// Long syllables, hyphens included, on sixteenths.
std::string LongSyllables() {
    const char* words[] = {"Con-", "stan-", "ti-", "no-", "po-", "li-", "ta-", "nis-", "che", "Klang-", "far-", "ben"};
    std::string m;
    for (int i = 0; i < 3; ++i) {
        m += "<measure>" + (i == 0 ? Attributes(4, 2, 4) : std::string());
        for (int n = 0; n < 8; ++n) m += Note(n % 2 ? "E5" : "C5", 1, "16th", 0, Lyric(words[(i * 8 + n) % 12]));
        m += "</measure>";
    }
    return Score({{"V", "Voice"}}, Part("V", m));
}

// Three measures of quarters, then one of 128 notes (32 chords of four 32nds), then
// three of quarters and one of sixteenths, each with an accidental: the file gives
// no breaks.
std::string CrowdedMeasures128() {
    const std::string quarters =
        "<measure>" + Note("C5", 8, "quarter") + Note("D5", 8, "quarter") + Note("E5", 8, "quarter") +
        Note("F5", 8, "quarter") + "</measure>";
    std::string m = "<measure>" + Attributes(8, 4, 4) + Note("C5", 8, "quarter") + Note("D5", 8, "quarter") +
                    Note("E5", 8, "quarter") + Note("F5", 8, "quarter") + "</measure>" + quarters + quarters + "<measure>";
    for (int n = 0; n < 32; ++n)
        m += Pitch("F4", 1, "32nd") + Pitch("A4", 1, "32nd", "", true) + Pitch("C5", 1, "32nd", "", true) +
             Pitch("E5", 1, "32nd", "", true);
    m += "</measure>" + quarters + quarters + quarters + "<measure>";
    for (int n = 0; n < 16; ++n) m += Pitch(n % 2 ? "Bb4" : "F#5", 2, "16th");
    m += "</measure>";
    return Score({{"P", "Violin"}}, Part("P", m));
}

// Nine measures of quarters, a system each by the file's breaks.
std::string OneMeasureSystems() {
    std::string m;
    for (int i = 0; i < 9; ++i)
        m += "<measure>" + std::string(i == 0 ? Attributes(2, 4, 4) : "<print new-system=\"yes\"/>") +
             Note("G4", 2, "quarter") + Note("A4", 2, "quarter") + Note("B4", 2, "quarter") + Note("C5", 2, "quarter") +
             "</measure>";
    return Score({{"P", "Oboe"}}, Part("P", m));
}

// Where a note's ink stands in its measure, from the beat map: its head moved by its
// nudge, and its accidental where the sign is drawn.
struct InkSpan {
    int left;
    int right;
};

// How far a syllable's centre may stand from its note head's.
constexpr int kSyllableOffCentre = 32;

// Every staff's columns, as the page shows them: the heads, accidentals and grace
// notes of one time end before those of the next begin, each syllable stands
// centred under its head, and the syllables of each verse line of a staff end
// before the next syllable begins.
::testing::AssertionResult ColumnsStandApart(ScoreView* view) {
    ScoreDocument* document = view->document;
    const int head = GlyphMetricOf(*document, kBlackHeadCode).advance;
    std::string failures;
    const auto fail = [&](int measure, int staff, const std::string& what) {
        failures += "\n  measure " + std::to_string(measure) + " staff " + std::to_string(staff) + ": " + what;
    };
    PaintEachPage(view, [&](ScorePage* page, int, platform::DcHandle, const std::function<void()>&) {
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get())
            for (int m = system->firstMeasure; m <= system->lastMeasure; ++m)
                for (int staff = 1; staff <= document->header.staffCount; ++staff) {
                    MeasureCell* cell = FindMeasureCell(document, staff, m);
                    std::map<int, InkSpan> times;
                    std::map<int, std::vector<std::pair<int, InkSpan>>> lines;  // by verse
                    for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice)
                        for (const EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr && !IsHeadSentinel(*e);
                             e = NextEvent(e)) {
                            const int x = SlotTickToX(view, system, m - system->firstMeasure + 1, e->time) + e->nudge * 16;
                            const ScoreObject* sign = AccidentalOfNote(*e);
                            InkSpan span{x + std::min<int>(sign != nullptr ? AccidentalOffset(sign) : 0, 0), x + head};
                            auto [it, fresh] = times.emplace(e->time, span);
                            it->second = {std::min(it->second.left, span.left), std::max(it->second.right, span.right)};
                            const ScoreObject* a = GetEventAttachment(e);
                            for (a = a != nullptr ? a->next.get() : nullptr; a != nullptr; a = a->next.get()) {
                                if (a->type != TypeCode(ObjectType::Lyric)) continue;
                                const TextObject* lyric = AsTextObject(a);
                                const int centre = x + LyricXOffset(lyric);
                                if (std::abs(centre - (x + head / 2)) > kSyllableOffCentre)
                                    fail(m, staff, "syllable at tick " + std::to_string(e->time) + " centred " +
                                                       std::to_string(centre - x - head / 2) + " off its head");
                                lines[LyricVerse(lyric)].push_back(
                                    {e->time, {centre - lyric->body.width / 2, centre + lyric->body.width / 2}});
                            }
                        }
                    for (auto it = times.begin(); it != times.end() && std::next(it) != times.end(); ++it)
                        if (it->second.right > std::next(it)->second.left)
                            fail(m, staff, "tick " + std::to_string(it->first) + " reaches " +
                                               std::to_string(it->second.right) + ", tick " +
                                               std::to_string(std::next(it)->first) + " begins at " +
                                               std::to_string(std::next(it)->second.left));
                    for (auto& [verse, syllables] : lines) {
                        std::sort(syllables.begin(), syllables.end(),
                                  [](const auto& a, const auto& b) { return a.first < b.first; });
                        for (size_t i = 1; i < syllables.size(); ++i)
                            if (syllables[i - 1].second.right > syllables[i].second.left)
                                fail(m, staff, "syllable at tick " + std::to_string(syllables[i].first) + " of verse " +
                                                   std::to_string(verse) + " over the one before");
                    }
                }
        return true;
    });
    if (failures.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "columns over one another:" << failures;
}

// The measure counts of the score's systems, in order.
std::vector<int> SystemSizes(ScoreView* view) {
    std::vector<int> sizes;
    for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get())
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            sizes.push_back(s->lastMeasure - s->firstMeasure + 1);
    return sizes;
}

class EngravingScoresTest : public testing::ProgramFixture {
  protected:
    ScoreView* Import(const std::string& xml, const std::string& title) {
        return testing::ImportMusicXmlText(xml, title);
    }
};

// The clef and the key changing together inside a measure: the key signature
// stands after the new clef.
std::string ClefAndKeyChange() {
    const std::string change =
        "<attributes><key><fifths>-2</fifths></key><clef><sign>F</sign><line>4</line></clef></attributes>";
    const std::string measure = "<measure number=\"1\">" + Attributes(2, 3, 4) + Note("F4", 3, "quarter", 1) +
                                change + Note("F3", 3, "quarter", 1) + "</measure>";
    return Score({{"P1", "Cello"}}, Part("P1", measure));
}

// A chant of low notes, stems up, whose melismas are slurred under their heads:
// the syllables stand clear under the slurs.
std::string SlurredSyllables() {
    const char* pitches[] = {"G4", "F4", "D4", "F4", "E4", "F4", "G4", "F4"};
    std::string measures;
    for (int m = 0; m < 3; ++m) {
        measures += "<measure>" + (m == 0 ? Attributes(1, 8, 4) : std::string());
        for (int n = 0; n < 8; ++n) {
            const std::string slur = n == 2 || n == 5 ? "<notations><slur type=\"start\" placement=\"below\"/></notations>"
                                     : n == 4 || n == 7 ? "<notations><slur type=\"stop\"/></notations>"
                                                        : "";
            const std::string syllable = n == 0 || n == 2 || n == 5 ? Lyric(n == 0 ? "Quem" : "que-") : "";
            measures += Note(pitches[n], 1, "quarter", 0, "<stem>up</stem>" + slur + syllable);
        }
        measures += "</measure>";
    }
    return Score({{"P1", "Chant"}}, Part("P1", measures));
}

// Long syllables on sixteenths of the upper of two voices, every other one a second
// above the lower voice (its head set right of the stem, the syllable under it) and
// the others a sixth above: the syllables under the heads set aside stand clear of
// the next ones.
std::string SyllablesUnderHeadsSetAside() {
    const auto note = [](const char* pitch, int voice, const char* stem, const std::string& after) {
        return std::string("<note><pitch><step>") + pitch[0] + "</step><octave>" + pitch[1] +
               "</octave></pitch><duration>1</duration><voice>" + std::to_string(voice) +
               "</voice><type>16th</type><stem>" + stem + "</stem>" + after + "</note>";
    };
    const char* words[] = {"Mor-", "ning", "glo-", "ry,", "ever-", "more", "shi-", "ning"};
    std::string measures;
    for (int m = 0; m < 2; ++m) {
        measures += "<measure>" + (m == 0 ? Attributes(4, 2, 4) : std::string());
        for (int n = 0; n < 8; ++n) measures += note(n % 2 ? "B4" : "A4", 1, "up", Lyric(words[n]));
        measures += "<backup><duration>8</duration></backup>";
        for (int n = 0; n < 8; ++n) measures += note(n % 2 ? "D4" : "G4", 2, "down", "");
        measures += "</measure>";
    }
    return Score({{"P1", "Voice"}}, Part("P1", measures));
}

// Two voices on one staff a second apart on every beat (above and below the middle
// line, stems up and down): no head of one prints over the other's.
std::string VoicesASecondApart() {
    const auto note = [](const char* pitch, int voice, const char* stem) {
        return std::string("<note><pitch><step>") + pitch[0] + "</step><octave>" + pitch[1] +
               "</octave></pitch><duration>1</duration><voice>" + std::to_string(voice) +
               "</voice><type>quarter</type><stem>" + stem + "</stem></note>";
    };
    const char* upper[] = {"C5", "B4", "A4", "G4"};
    const char* lower[] = {"B4", "A4", "G4", "F4"};
    std::string measures;
    for (int m = 0; m < 2; ++m) {
        measures += "<measure>" + (m == 0 ? Attributes(1, 4, 4) : std::string());
        for (const char* pitch : upper) measures += note(pitch, 1, "up");
        measures += "<backup><duration>4</duration></backup>";
        for (const char* pitch : lower) measures += note(pitch, 2, "down");
        measures += "</measure>";
    }
    return Score({{"P1", "Organ"}}, Part("P1", measures));
}

// Words the file places near the end of the last measure, longer than the room
// left there: they end by the system's end, inside the margin.
std::string WordsAtTheEnd() {
    std::string words;
    for (const char* y : {"-140", "-160"})
        words += std::string("<direction placement=\"below\"><direction-type><words default-x=\"100\" default-y=\"") +
                 y + "\">words placed near the end of the last measure</words></direction-type></direction>";
    const std::string measures = "<measure number=\"1\">" + Attributes(1, 4, 4) + Note("F4", 4, "whole") +
                                 "</measure><measure number=\"2\">" + Note("R", 4, "whole") + words + "</measure>";
    return Score({{"P1", "Voice"}}, Part("P1", measures));
}

// A first staff of six lines, as a lute's or a guitar's tablature: its top line
// stays inside the top margin.
std::string SixLineStaff() {
    const std::string lines = "<attributes><staff-details><staff-lines>6</staff-lines></staff-details></attributes>";
    const std::string measure = "<measure number=\"1\">" + Attributes(1, 4, 4) + lines + Note("E4", 4, "whole") +
                                "</measure>";
    return Score({{"P1", "Lute"}, {"P2", "Voice"}},
                 Part("P1", measure) + Part("P2", "<measure number=\"1\">" + Attributes(1, 4, 4) +
                                                      Note("C5", 4, "whole") + "</measure>"));
}

// A dynamic under a whole note that carries an accent below: it stands clear of
// the accent.
std::string DynamicUnderAnAccent() {
    const std::string dynamic =
        "<direction placement=\"below\"><direction-type><dynamics><fp/></dynamics></direction-type>"
        "<offset>3</offset></direction>";
    const std::string accent = "<notations><articulations><accent placement=\"below\"/></articulations></notations>";
    const std::string measure = "<measure number=\"1\">" + Attributes(8, 4, 4, "G2", -4) + dynamic +
                                Note("F4", 32, "whole", 0, accent) + "</measure>";
    return Score({{"P1", "Voice"}}, Part("P1", measure));
}

// Slurs above beamed groups of sixteenths rising from under the staff to its top
// and falling back a little, four measures to a system: each curve passes over the
// high heads, not through them.
std::string SlursOverRisingLines() {
    const char* pitches[] = {"C4", "E4", "A4", "C5", "E5", "A5", "E5", "C5"};
    std::string measures;
    for (int m = 0; m < 8; ++m) {
        measures += "<measure>" + (m == 0 ? Attributes(4, 4, 4) : std::string());
        for (int n = 0; n < 16; ++n) {
            const char* beam = n % 4 == 0 ? "begin" : n % 4 == 3 ? "end" : "continue";
            const std::string beams = std::string("<beam number=\"1\">") + beam + "</beam><beam number=\"2\">" +
                                      beam + "</beam>";
            const std::string slur = n % 8 == 0   ? "<notations><slur type=\"start\" placement=\"above\"/></notations>"
                                     : n % 8 == 7 ? "<notations><slur type=\"stop\"/></notations>"
                                                  : "";
            measures += Note(pitches[n % 8], 1, "16th", 0, beams + slur);
        }
        measures += "</measure>";
    }
    return Score({{"P1", "Piano"}}, Part("P1", measures));
}

// A slur above from a note that carries a turn above it: the slur starts outside
// the turn.
std::string SlurFromATurn() {
    const std::string start =
        "<notations><slur type=\"start\" placement=\"above\"/><ornaments><turn placement=\"above\"/></ornaments>"
        "</notations>";
    std::string measures;
    for (int m = 0; m < 4; ++m)
        measures += "<measure>" + (m == 0 ? Attributes(1, 3, 4, "G2", -3) : std::string()) +
                    Note("B4", 1, "quarter", 0, start) +
                    Note("E5", 1, "quarter", 0, "<notations><slur type=\"stop\"/></notations>") +
                    Note("R", 1, "quarter") + "</measure>";
    return Score({{"P1", "Voice"}}, Part("P1", measures));
}

// Low notes tied under their heads, with syllables: the syllables stand clear under
// the ties.
std::string TiedLowNotesWithSyllables() {
    const std::string start = "<tie type=\"start\"/><notations><tied type=\"start\"/></notations>";
    const std::string stop = "<tie type=\"stop\"/><notations><tied type=\"stop\"/></notations>";
    std::string measures;
    for (int m = 0; m < 4; ++m)
        measures += "<measure>" + (m == 0 ? Attributes(1, 4, 4) : std::string()) +
                    Note("C4", 1, "quarter", 0, "<stem>up</stem>" + start + Lyric("falling")) +
                    Note("C4", 1, "quarter", 0, "<stem>up</stem>" + stop) +
                    Note("E4", 2, "half", 0, Lyric("down")) + "</measure>";
    return Score({{"P1", "Voice"}}, Part("P1", measures));
}

// Chords of one voice across three staves, beamed with stems up, whose stems stand
// on a different staff from chord to chord: no staff gets rests among them.
std::string ChordsAcrossThreeStaves() {
    const auto note = [](const char* pitch, int staff, bool chord, const std::string& beam) {
        return std::string("<note>") + (chord ? "<chord/>" : "") + "<pitch><step>" + pitch[0] + "</step><octave>" +
               pitch[1] + "</octave></pitch><duration>1</duration><voice>1</voice><type>eighth</type>" +
               (chord ? "" : "<stem>up</stem>") + "<staff>" + std::to_string(staff) + "</staff>" +
               (beam.empty() ? "" : "<beam number=\"1\">" + beam + "</beam>") + "</note>";
    };
    // Each chord by the staff its stem stands on; the others follow it.
    const int stemStaff[] = {1, 2, 3};
    const char* beams[] = {"begin", "continue", "end"};
    const char* pitches[][2] = {{"C5", "G4"}, {"E4", "C4"}, {"G3", "C3"}};
    std::string notes;
    for (int c = 0; c < 3; ++c) {
        const int first = stemStaff[c];
        notes += note(pitches[first - 1][0], first, false, beams[c]) + note(pitches[first - 1][1], first, true, "");
        for (int staff = 1; staff <= 3; ++staff)
            if (staff != first)
                notes += note(pitches[staff - 1][0], staff, true, "") + note(pitches[staff - 1][1], staff, true, "");
    }
    const std::string attributes =
        "<attributes><divisions>2</divisions><time><beats>3</beats><beat-type>8</beat-type></time><staves>3</staves>"
        "<clef number=\"1\"><sign>G</sign><line>2</line></clef><clef number=\"2\"><sign>G</sign><line>2</line>"
        "</clef><clef number=\"3\"><sign>F</sign><line>4</line></clef></attributes>";
    return Score({{"P1", "Organ"}}, Part("P1", "<measure number=\"1\">" + attributes + notes + "</measure>"));
}

// An octave sign over three eighths, ended before a trilled note: its end hook
// stands clear of the trill.
std::string OctaveSignBeforeATrill() {
    const auto shift = [](const char* type) {
        return std::string("<direction placement=\"above\"><direction-type><octave-shift size=\"8\" type=\"") + type +
               "\"/></direction-type></direction>";
    };
    const std::string trill = "<notations><ornaments><trill-mark/></ornaments></notations>";
    std::string measures;
    for (int m = 0; m < 4; ++m)
        measures += "<measure>" + (m == 0 ? Attributes(2, 4, 4) : std::string()) + shift("down") +
                    Note("F5", 1, "eighth") + Note("F5", 1, "eighth") + Note("F5", 1, "eighth") + shift("stop") +
                    Note("F4", 1, "eighth", 0, trill) + Note("F4", 4, "half") + "</measure>";
    return Score({{"P1", "Flute"}}, Part("P1", measures));
}

// Low notes with syllables under an octave-lower sign: the syllables stand clear
// under its line and hook.
std::string SyllablesUnderAnOctaveLine() {
    const auto shift = [](const char* type) {
        return std::string("<direction placement=\"below\"><direction-type><octave-shift size=\"8\" type=\"") +
               type + "\"/></direction-type></direction>";
    };
    const char* words[] = {"oct", "ave", "shift", "ed"};
    std::string measures;
    for (int m = 0; m < 4; ++m) {
        measures += "<measure>" + (m == 0 ? Attributes(1, 4, 4) : std::string()) + shift("up");
        for (int n = 0; n < 4; ++n)
            measures += (n == 2 ? shift("stop") : std::string()) + Note("C4", 1, "quarter", 0, Lyric(words[n]));
        measures += "</measure>";
    }
    return Score({{"P1", "Voice"}}, Part("P1", measures));
}

// High notes tied over every barline, their ties above: the measure numbers at the
// barlines stand clear above the ties, and the system above gives them room.
std::string TiesUnderMeasureNumbers() {
    const std::string start = "<tie type=\"start\"/><notations><tied type=\"start\" orientation=\"over\"/></notations>";
    const std::string stop = "<tie type=\"stop\"/><notations><tied type=\"stop\"/></notations>";
    std::string measures;
    for (int m = 0; m < 16; ++m)
        measures += "<measure>" + (m == 0 ? Attributes(1, 4, 4) : std::string()) +
                    Note("A5", 1, "quarter", 0, "<stem>down</stem>" + (m > 0 ? stop : std::string())) +
                    Note("C6", 1, "quarter", 0, "<stem>down</stem>") +
                    Note("A5", 2, "half", 0, "<stem>down</stem>" + (m < 15 ? start : std::string())) + "</measure>";
    return Score({{"P1", "Flute"}, {"P2", "Oboe"}}, Part("P1", measures) + Part("P2", measures));
}

// Slurs above from the second beat of each measure to the second of the next, over
// a high accented fourth beat, and a dynamic above each measure's first beat: a
// slur carried on to the next system clears the accents before the break, and the
// dynamic at the next system's start stands clear of the slur's piece carried there.
std::string SlursAcrossSystemsOverAccents() {
    const std::string accent = "<articulations><accent placement=\"above\"/></articulations>";
    const std::string dynamic =
        "<direction placement=\"above\"><direction-type><dynamics><mf/></dynamics></direction-type></direction>";
    const std::string start = "<slur type=\"start\" placement=\"above\"/>";
    std::string measures;
    for (int m = 0; m < 12; ++m)
        measures += "<measure>" + (m == 0 ? Attributes(1, 4, 4) : std::string()) + dynamic + Note("G4", 1, "quarter") +
                    Note("G4", 1, "quarter", 0,
                         "<notations>" + std::string(m > 0 ? "<slur type=\"stop\"/>" : "") +
                             (m < 11 ? start : "") + "</notations>") +
                    Note("E5", 1, "quarter") + Note("A5", 1, "quarter", 0, "<notations>" + accent + "</notations>") +
                    "</measure>";
    return Score({{"P1", "Violin"}}, Part("P1", measures));
}

TEST_F(EngravingScoresTest, EverydayScoresPrintWithoutFindings) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const struct {
        const char* name;
        std::string xml;
    } scores[] = {
        {"song", Song()},
        {"orchestra", Orchestra()},
        {"tuplets", TupletMeasure()},
        {"crowded", CrowdedMeasures()},
        {"changes", ClefAndKeyChange()},
        {"words_at_the_end", WordsAtTheEnd()},
        {"six_lines", SixLineStaff()},
        {"dynamic_under_an_accent", DynamicUnderAnAccent()},
        {"slurs_over_rising_lines", SlursOverRisingLines()},
        {"slur_from_a_turn", SlurFromATurn()},
        {"tied_low_notes_with_syllables", TiedLowNotesWithSyllables()},
        {"chords_across_three_staves", ChordsAcrossThreeStaves()},
        {"octave_sign_before_a_trill", OctaveSignBeforeATrill()},
        {"syllables_under_an_octave_line", SyllablesUnderAnOctaveLine()},
        {"ties_under_measure_numbers", TiesUnderMeasureNumbers()},
        {"slurs_across_systems_over_accents", SlursAcrossSystemsOverAccents()},
        // Scores that crowd their columns with heads, accidentals, grace notes and
        // syllables, whatever the file's breaks.
        {"graces", GracesMidMeasure()},
        {"accidental_chords", AccidentalChords()},
        {"syllables", LongSyllables()},
        {"crowded_128", CrowdedMeasures128()},
        {"slurred_syllables", SlurredSyllables()},
        {"seconds", VoicesASecondApart()},
        {"syllables_under_heads_set_aside", SyllablesUnderHeadsSetAside()},
    };
    for (const auto& score : scores) {
        SCOPED_TRACE(score.name);
        ScoreView* view = Import(score.xml, std::string(score.name) + "_XML");
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(testing::SavePagePictures(view, std::string("engraving_") + score.name));
        EXPECT_TRUE(testing::EngravingIsClean(view));
        EXPECT_TRUE(ColumnsStandApart(view));
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
    }
}

// An imported score's systems are filled by width, whatever breaks the file gives,
// and its last system is not left with one measure while the one before has room.
TEST_F(EngravingScoresTest, ImportedSystemsAreFilledByWidth) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = Import(OneMeasureSystems(), "one_measure_systems_XML");
    ASSERT_NE(view, nullptr);
    const std::vector<int> sizes = SystemSizes(view);
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_LE(sizes.size(), 3u);
    EXPECT_GT(sizes.back(), 1);
    EXPECT_TRUE(testing::EngravingIsClean(view));
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

}  // namespace
}  // namespace ql
