// Scores grown at random (fixed seeds) one step at a time, as MusicXML imported the
// way the program imports a file: one to three parts, a staff of two voices (stems
// up and down, rests in both), verses of lyrics with hyphens and extenders, dynamics
// above and below, hairpins, slurs, ties, articulations, accidentals, dotted values,
// beamed eighths and sixteenths, rests, grace notes, chords with seconds, and now and
// then a crowded measure of sixteenths with accidentals in every voice. Each step
// adds a measure or marks on the notes already there; after every step every page
// is checked with nothing held back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/model/view.h"
#include "display/tests/painter/engraving_expect.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/musicxml_text_scores.h"
#include "shell/tests/program/page_pictures.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int kMeasureLength = 16;  // sixteenths in a 4/4 measure
constexpr int kVerses = 3;
constexpr int kMiddleLineG = 6;   // B4, in degrees above C4
constexpr int kMiddleLineF = -6;  // D3

struct GrownNote {
    int degree = 0;  // diatonic steps above C4
    int alter = 0;
    int length = 4;  // in sixteenths
    bool rest = false;
    std::array<std::string, kVerses> lyrics;  // the syllable of each verse, "" for none
    std::array<bool, kVerses> extend{};       // an extender runs on from the syllable
    std::string articulation, dynamic, wedge;  // "" for none; wedge "crescendo", "diminuendo", "stop"
    bool dynamicAbove = false, wedgeAbove = false;
    bool tieStart = false, tieStop = false, slurStart = false, slurStop = false;
    std::vector<int> chord;  // the degrees of the chord's other notes, above this one
    int grace = 0;           // a grace note before it, this many degrees off (0: none)
};

// A part is one staff of one or two voices; a measure holds each voice's notes.
struct GrownPart {
    const char* name;
    const char* clef;
    int low, high;  // the degrees its first voice sings between
    int voices;
    std::vector<std::array<std::vector<GrownNote>, 2>> measures;
};

// A note of the score, by where it is.
struct NotePlace {
    size_t part, measure;
    int voice;
    size_t index;
};

class GrowingScore {
  public:
    explicit GrowingScore(unsigned seed) : random_(seed) {
        static const GrownPart kinds[] = {{"Voice", "G2", 2, 11, 1, {}},
                                          {"Piano", "G2", 4, 12, 2, {}},
                                          {"Cello", "F4", -12, -3, 1, {}}};
        const int parts = Pick(1, 3);
        for (int p = 0; p < parts; ++p) parts_.push_back(kinds[(p + Pick(0, 2)) % 3]);
        AddMeasure();
    }

    // One step: a measure, or marks on the notes there are. What it did, in words.
    std::string Grow() {
        switch (Pick(0, 11)) {
            case 0: case 1: AddMeasure(); return "measure";
            case 2: AddVerse(); return "verse";
            case 3: AddDynamic(); return "dynamic";
            case 4: AddHairpin(); return "hairpin";
            case 5: AddSlur(); return "slur";
            case 6: AddTie(); return "tie";
            case 7: AddArticulation(); return "articulation";
            case 10: AddGrace(); return "grace";
            case 11: AddChord(); return "chord";
            default: AddAccidental(); return "accidental";
        }
    }

    std::string Xml() const;

  private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    GrownNote& At(const NotePlace& at) { return parts_[at.part].measures[at.measure][at.voice][at.index]; }

    void AddMeasure();
    std::vector<NotePlace> NotesOfAVoice(bool sungOnly);
    void AddVerse();
    void AddDynamic();
    void AddHairpin();
    void AddSlur();
    void AddTie();
    void AddArticulation();
    void AddAccidental();
    void AddGrace();
    void AddChord();

    std::mt19937 random_;
    std::vector<GrownPart> parts_;
};

// A beat's rhythms in sixteenths, and the rhythms that fill two beats or more.
const std::vector<std::vector<int>> kBeatRhythms = {{4}, {2, 2}, {1, 1, 2}, {2, 1, 1}, {1, 1, 1, 1}, {3, 1}};
const std::vector<std::vector<int>> kLongRhythms = {{8}, {6, 2}, {12}, {16}};

// A measure of every part; one in ten is crowded: sixteenths throughout, every
// other one with a sharp or a flat.
void GrowingScore::AddMeasure() {
    const bool crowded = Chance(10);
    for (GrownPart& part : parts_) {
        std::array<std::vector<GrownNote>, 2> measure;
        for (int voice = 0; voice < part.voices; ++voice) {
            const int shift = voice == 0 ? 0 : -4;  // the second voice sings lower
            for (int filled = 0; filled < kMeasureLength && crowded; ++filled) {
                GrownNote note;
                note.length = 1;
                note.degree = Pick(part.low, part.high) + shift;
                note.alter = filled % 2 == 0 ? 0 : Chance(50) ? 1 : -1;
                measure[static_cast<size_t>(voice)].push_back(note);
            }
            for (int filled = crowded ? kMeasureLength : 0; filled < kMeasureLength;) {
                const bool lng = filled % 8 == 0 && Chance(30);
                auto rhythms = lng ? kLongRhythms : kBeatRhythms;
                std::vector<int> rhythm = rhythms[static_cast<size_t>(Pick(0, static_cast<int>(rhythms.size()) - 1))];
                int total = 0;
                for (int length : rhythm) total += length;
                if (filled + total > kMeasureLength) rhythm = {4}, total = 4;
                for (int length : rhythm) {
                    GrownNote note;
                    note.length = length;
                    note.rest = Chance(12);
                    note.degree = Pick(part.low, part.high) + shift;
                    measure[static_cast<size_t>(voice)].push_back(note);
                }
                filled += total;
            }
        }
        part.measures.push_back(measure);
    }
}

// The notes of a voice chosen at random, in order through the score: the notes that
// may carry a syllable when `sungOnly` (a part's first voice).
std::vector<NotePlace> GrowingScore::NotesOfAVoice(bool sungOnly) {
    const size_t part = static_cast<size_t>(Pick(0, static_cast<int>(parts_.size()) - 1));
    const int voice = sungOnly ? 0 : Pick(0, parts_[part].voices - 1);
    std::vector<NotePlace> notes;
    for (size_t m = 0; m < parts_[part].measures.size(); ++m)
        for (size_t i = 0; i < parts_[part].measures[m][voice].size(); ++i)
            if (!parts_[part].measures[m][voice][i].rest) notes.push_back({part, m, voice, i});
    return notes;
}

// A verse of syllables under a run of notes: words of one to three syllables joined
// by hyphens, and now and then a word's last syllable held over the next notes by an
// extender.
void GrowingScore::AddVerse() {
    static const char* const kSyllables[] = {"la", "mor", "ning", "Hal", "le", "lu", "jah", "glo", "ri", "a",
                                             "sing", "through", "bright", "o", "ver"};
    std::vector<NotePlace> notes = NotesOfAVoice(true);
    if (notes.empty()) return;
    const int verse = Pick(0, kVerses - 1);
    size_t at = static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 1));
    const size_t end = std::min(notes.size(), at + static_cast<size_t>(Pick(2, 12)));
    while (at < end) {
        const int word = Pick(1, 3);
        for (int s = 0; s < word && at < end; ++s, ++at)
            At(notes[at]).lyrics[static_cast<size_t>(verse)] =
                std::string(kSyllables[Pick(0, 14)]) + (s + 1 < word ? "-" : "");
        if (at < end && Chance(30)) {
            At(notes[at - 1]).extend[static_cast<size_t>(verse)] = true;
            for (int held = Pick(1, 2); held > 0 && at < end; --held, ++at)
                At(notes[at]).lyrics[static_cast<size_t>(verse)].clear();
        }
    }
}

void GrowingScore::AddDynamic() {
    static const char* const kDynamics[] = {"pp", "p", "mp", "mf", "f", "ff", "sf", "fp"};
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.empty()) return;
    GrownNote& note = At(notes[static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 1))]);
    note.dynamic = kDynamics[Pick(0, 7)];
    note.dynamicAbove = Chance(30);
}

// A hairpin from one note to a later one of its voice, not inside another hairpin.
void GrowingScore::AddHairpin() {
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.size() < 2) return;
    const size_t from = static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 2));
    const size_t to = std::min(notes.size() - 1, from + static_cast<size_t>(Pick(1, 6)));
    for (size_t i = from; i <= to; ++i)
        if (!At(notes[i]).wedge.empty()) return;
    At(notes[from]).wedge = Chance(50) ? "crescendo" : "diminuendo";
    At(notes[to]).wedge = "stop";
    At(notes[from]).wedgeAbove = At(notes[to]).wedgeAbove = Chance(25);
}

// A slur over two or more notes of a voice, not over another slur's ends.
void GrowingScore::AddSlur() {
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.size() < 2) return;
    const size_t from = static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 2));
    const size_t to = std::min(notes.size() - 1, from + static_cast<size_t>(Pick(1, 5)));
    bool open = false;  // a slur that starts before `from` and has not ended
    for (size_t i = 0; i < from; ++i) open = (open || At(notes[i]).slurStart) && !At(notes[i]).slurStop;
    for (size_t i = from; i <= to; ++i) open = open || At(notes[i]).slurStart || At(notes[i]).slurStop;
    if (open) return;
    At(notes[from]).slurStart = true;
    At(notes[to]).slurStop = true;
}

// A note tied to the next of its voice, which takes its pitch.
void GrowingScore::AddTie() {
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.size() < 2) return;
    const size_t from = static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 2));
    GrownNote& first = At(notes[from]);
    GrownNote& second = At(notes[from + 1]);
    first.tieStart = second.tieStop = true;
    second.degree = first.degree;
    second.alter = first.alter;
}

void GrowingScore::AddArticulation() {
    static const char* const kMarks[] = {"staccato", "accent", "tenuto", "strong-accent"};
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.empty()) return;
    At(notes[static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 1))]).articulation = kMarks[Pick(0, 3)];
}

// A sharp or a flat, and on a tied pair on both notes.
void GrowingScore::AddAccidental() {
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.empty()) return;
    const size_t at = static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 1));
    const int alter = Chance(50) ? 1 : -1;
    for (size_t i = at; i < notes.size(); ++i) {
        At(notes[i]).alter = alter;
        if (!At(notes[i]).tieStart) break;
    }
    for (size_t i = at; i > 0 && At(notes[i]).tieStop; --i) At(notes[i - 1]).alter = alter;
}

// A grace note a step or two below or above a note that has none.
void GrowingScore::AddGrace() {
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.empty()) return;
    GrownNote& note = At(notes[static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 1))]);
    if (note.tieStop) return;
    note.grace = Pick(0, 1) == 0 ? Pick(-2, -1) : Pick(1, 2);
}

// Notes added to a note that is not tied: a second above it (beside its head), now
// and then with a third or a fifth.
void GrowingScore::AddChord() {
    std::vector<NotePlace> notes = NotesOfAVoice(false);
    if (notes.empty()) return;
    GrownNote& note = At(notes[static_cast<size_t>(Pick(0, static_cast<int>(notes.size()) - 1))]);
    if (note.tieStart || note.tieStop || !note.chord.empty()) return;
    note.chord.push_back(1);
    if (Chance(40)) note.chord.push_back(Pick(0, 1) == 0 ? 2 : 4);
}

const char* TypeOf(int length) {
    switch (length) {
        case 1: return "16th";
        case 2: case 3: return "eighth";
        case 4: case 6: return "quarter";
        case 8: case 12: return "half";
        default: return "whole";
    }
}

std::string DirectionXml(const std::string& type, bool above) {
    return std::string("<direction placement=\"") + (above ? "above" : "below") + "\"><direction-type>" + type +
           "</direction-type></direction>";
}

// The beams and stems of a voice's notes: each beat's eighths and sixteenths beamed
// together when two or more notes of it stand side by side; a staff's two voices
// have their stems up and down, and a beamed group of a voice alone has all its
// stems one way, down when its notes lie on or above the middle line (`middle`, in
// degrees) on the whole, as files write them. Other notes' stems are the program's.
std::vector<std::string> BeamsOf(const std::vector<GrownNote>& notes, int voice, int voices, int middle) {
    std::vector<std::string> beams(notes.size());
    for (size_t k = 0; k < notes.size() && voices == 2; ++k)
        if (!notes[k].rest) beams[k] = voice == 0 ? "<stem>up</stem>" : "<stem>down</stem>";
    const auto beam = [&](size_t first, size_t last) {  // notes first..last, two or more
        int sum = 0;
        for (size_t k = first; k <= last; ++k) sum += notes[k].degree - middle;
        for (size_t k = first; k <= last && last > first; ++k) {
            if (voices == 1) beams[k] = sum >= 0 ? "<stem>down</stem>" : "<stem>up</stem>";
            beams[k] += std::string("<beam number=\"1\">") + (k == first ? "begin" : k == last ? "end" : "continue") +
                        "</beam>";
            if (notes[k].length != 1) continue;
            const bool left = k > first && notes[k - 1].length == 1;
            const bool right = k < last && notes[k + 1].length == 1;
            const char* level2 = left && right ? "continue" : left ? "end" : right ? "begin"
                                 : k == first ? "forward hook" : "backward hook";
            beams[k] += std::string("<beam number=\"2\">") + level2 + "</beam>";
        }
    };
    size_t first = 0;
    int firstBeat = -1;  // the beat of the run being gathered, -1 for none
    for (size_t i = 0, time = 0; i < notes.size(); time += static_cast<size_t>(notes[i].length), ++i) {
        const int beat = static_cast<int>(time) / 4;
        const bool beamable = !notes[i].rest && notes[i].length < 4;
        if (firstBeat >= 0 && (!beamable || beat != firstBeat)) beam(first, i - 1), firstBeat = -1;
        if (beamable && firstBeat < 0) first = i, firstBeat = beat;
    }
    if (firstBeat >= 0) beam(first, notes.size() - 1);
    return beams;
}

std::string PitchXml(int degree, int alter) {
    static const char kSteps[] = "CDEFGAB";
    return std::string("<pitch><step>") + kSteps[(degree + 28) % 7] + "</step>" +
           (alter != 0 ? "<alter>" + std::to_string(alter) + "</alter>" : "") + "<octave>" +
           std::to_string((degree + 28) / 7) + "</octave></pitch>";
}

std::string NoteXml(const GrownNote& note, int voice, const std::string& stemAndBeams) {
    std::string text;
    if (!note.dynamic.empty()) text += DirectionXml("<dynamics><" + note.dynamic + "/></dynamics>", note.dynamicAbove);
    if (!note.wedge.empty()) text += DirectionXml("<wedge type=\"" + note.wedge + "\"/>", note.wedgeAbove);
    const std::string stem = voice == 0 ? "<stem>up</stem>" : "<stem>down</stem>";
    if (note.grace != 0 && !note.rest)
        text += "<note><grace slash=\"yes\"/>" + PitchXml(note.degree + note.grace, 0) + "<voice>" +
                std::to_string(voice + 1) + "</voice><type>eighth</type>" + stem + "</note>";
    text += "<note>";
    if (note.rest) {
        text += "<rest/>";
    } else {
        text += PitchXml(note.degree, note.alter);
    }
    text += "<duration>" + std::to_string(note.length) + "</duration>";
    if (note.tieStop) text += "<tie type=\"stop\"/>";
    if (note.tieStart) text += "<tie type=\"start\"/>";
    text += "<voice>" + std::to_string(voice + 1) + "</voice><type>" + TypeOf(note.length) + "</type>";
    if (note.length == 3 || note.length == 6 || note.length == 12) text += "<dot/>";
    if (note.alter != 0 && !note.rest && !note.tieStop) text += note.alter > 0 ? "<accidental>sharp</accidental>"
                                                                               : "<accidental>flat</accidental>";
    text += stemAndBeams;
    std::string notations;
    if (note.tieStop) notations += "<tied type=\"stop\"/>";
    if (note.tieStart) notations += "<tied type=\"start\"/>";
    if (note.slurStop) notations += "<slur type=\"stop\" number=\"1\"/>";
    if (note.slurStart) notations += "<slur type=\"start\" number=\"1\"/>";
    if (!note.articulation.empty()) notations += "<articulations><" + note.articulation + "/></articulations>";
    if (!notations.empty()) text += "<notations>" + notations + "</notations>";
    for (int verse = 0; verse < kVerses; ++verse) {
        const std::string& syllable = note.lyrics[static_cast<size_t>(verse)];
        if (syllable.empty()) continue;
        const bool hyphen = syllable.back() == '-';
        text += "<lyric number=\"" + std::to_string(verse + 1) + "\"><syllabic>" + (hyphen ? "begin" : "single") +
                "</syllabic><text>" + (hyphen ? syllable.substr(0, syllable.size() - 1) : syllable) + "</text>" +
                (note.extend[static_cast<size_t>(verse)] ? "<extend/>" : "") + "</lyric>";
    }
    text += "</note>";
    // The chord's other notes: its stem, without beams of their own.
    const size_t stemEnd = stemAndBeams.find("</stem>");
    for (int above : note.rest ? std::vector<int>{} : note.chord)
        text += "<note><chord/>" + PitchXml(note.degree + above, 0) + "<duration>" +
                std::to_string(note.length) + "</duration><voice>" + std::to_string(voice + 1) +
                "</voice><type>" + TypeOf(note.length) + "</type>" +
                (note.length == 3 || note.length == 6 || note.length == 12 ? "<dot/>" : "") +
                (stemEnd != std::string::npos ? stemAndBeams.substr(0, stemEnd + 7) : "") +
                "</note>";
    return text;
}

std::string GrowingScore::Xml() const {
    std::string list, body;
    for (size_t p = 0; p < parts_.size(); ++p) {
        const std::string id = "P" + std::to_string(p + 1);
        const GrownPart& part = parts_[p];
        list += "<score-part id=\"" + id + "\"><part-name>" + part.name + "</part-name></score-part>";
        body += "<part id=\"" + id + "\">";
        for (size_t m = 0; m < part.measures.size(); ++m) {
            body += "<measure number=\"" + std::to_string(m + 1) + "\">";
            if (m == 0)
                body += std::string("<attributes><divisions>4</divisions><key><fifths>0</fifths></key><time><beats>4"
                                    "</beats><beat-type>4</beat-type></time><clef><sign>") +
                        part.clef[0] + "</sign><line>" + part.clef[1] + "</line></clef></attributes>";
            for (int voice = 0; voice < part.voices; ++voice) {
                if (voice > 0) body += "<backup><duration>" + std::to_string(kMeasureLength) + "</duration></backup>";
                const std::vector<GrownNote>& notes = part.measures[m][static_cast<size_t>(voice)];
                const int middle = part.clef[0] == 'G' ? kMiddleLineG : kMiddleLineF;
                const std::vector<std::string> beams = BeamsOf(notes, voice, part.voices, middle);
                for (size_t i = 0; i < notes.size(); ++i) body += NoteXml(notes[i], voice, beams[i]);
            }
            body += "</measure>";
        }
        body += "</part>";
    }
    return "<score-partwise><part-list>" + list + "</part-list>" + body + "</score-partwise>";
}

// A seed and the steps it grows its score by.
struct Growth {
    unsigned seed;
    int steps;
};
void PrintTo(const Growth& growth, std::ostream* out) { *out << "seed " << growth.seed << ", " << growth.steps << " steps"; }

class GrowingScoresTest : public testing::ProgramFixture,
                          public ::testing::WithParamInterface<Growth> {};
TEST_P(GrowingScoresTest, EveryStepPrintsWithoutFindings) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const unsigned seed = GetParam().seed;
    GrowingScore score(seed);
    for (int step = 0; step < GetParam().steps; ++step) {
        const std::string did = step == 0 ? "measure" : score.Grow();
        const std::string xml = score.Xml();
        ScoreView* view = testing::ImportMusicXmlText(xml, "grown_XML");
        ASSERT_NE(view, nullptr) << "seed " << seed << " step " << step;
        const ::testing::AssertionResult clean = testing::EngravingIsClean(view);
        if (!clean) testing::SavePagePictures(view, "grown_" + std::to_string(seed));
        ForceCloseScoreWindow(view->ViewWindow);
        Pump();
        ASSERT_TRUE(clean) << "seed " << seed << " step " << step << " (" << did << "):\n" << xml;
    }
}

// Each seed its own case, forty steps each, so that CTest spreads them: scores of
// one to three parts, their steps covering every kind of growth. The seeds after 22
// grow slurs and ties across another voice, past grace notes and on to the next
// system over its beams, marks beside slurs, and extender lines that stop before
// the next syllable wherever it stands.
INSTANTIATE_TEST_SUITE_P(Seeds, GrowingScoresTest,
                         ::testing::Values(Growth{1, 40}, Growth{2, 40}, Growth{3, 40},
                                           Growth{4, 40}, Growth{5, 40}, Growth{6, 40},
                                           Growth{8, 40}, Growth{9, 40}, Growth{10, 40},
                                           Growth{11, 40}, Growth{12, 40}, Growth{13, 40},
                                           Growth{14, 40}, Growth{15, 40}, Growth{16, 40},
                                           Growth{17, 40}, Growth{18, 40},
                                           Growth{19, 40}, Growth{20, 40}, Growth{21, 40},
                                           Growth{22, 40}, Growth{7, 40}, Growth{27, 40},
                                           Growth{29, 40}, Growth{45, 40}, Growth{56, 40},
                                           Growth{67, 40}, Growth{71, 40}, Growth{74, 40},
                                           Growth{104, 40}, Growth{111, 40}, Growth{120, 40},
                                           Growth{130, 40}, Growth{160, 40}, Growth{164, 40},
                                           Growth{184, 40}, Growth{190, 40}, Growth{198, 40},
                                           Growth{324, 40}, Growth{552, 40}, Growth{572, 40},
                                           Growth{275, 40}, Growth{315, 40},
                                           Growth{329, 40},
                                           Growth{375, 40},
                                           Growth{570, 40},
                                           Growth{438, 40}, Growth{418, 40}, Growth{447, 40}));

}  // namespace
}  // namespace ql
