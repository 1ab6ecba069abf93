// The model written as NIFF. Times are whole-note rationals; each staff of each
// system lists its measures, a measure-start slice then event slices in time order.
// Systems break at a new-system mark or every four measures; pages break where the
// file starts a new page (the import fills its pages by height).
#include "interchange/musicxml/musicxml_niff.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <array>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "interchange/musicxml/musicxml_barlines.h"
#include "interchange/musicxml/musicxml_chord_spans.h"
#include "interchange/musicxml/musicxml_lyric_lines.h"
#include "interchange/musicxml/musicxml_measures.h"
#include "interchange/musicxml/musicxml_notations.h"
#include "interchange/musicxml/musicxml_pedals.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/musicxml/musicxml_staff_voices.h"
#include "interchange/musicxml/musicxml_tempo.h"
#include "interchange/musicxml/musicxml_text.h"
#include "interchange/niff/niff_schema.h"
#include "interchange/niff/niff_writer.h"

namespace ql::musicxml {
namespace {

using niff::NiffField;
using niff::NiffWriter;

constexpr int kMeasuresPerSystem = 4;
constexpr int kPageWidth = 12240;   // Letter, at 1440 units to the inch
constexpr int kPageHeight = 15840;
constexpr double kDefaultStaffMillimetres = 7.0;
constexpr double kStaffTenths = 40;  // a staff's height in tenths
constexpr double kUnitsPerMillimetre = 1440 / 25.4;
constexpr int kCreditTop = 720;      // credits without a place: centred, a line apart
constexpr int kCreditLine = 360;
// The lines of a credit of several: a line of its font size and a fifth apart (at
// 12 points when the file gives no size), in NIFF units of 1/1440 inch.
constexpr double kLineOfSize = 1.2;
constexpr double kCreditPoints = 12;
constexpr double kUnitsPerPoint = 1440.0 / 72;
// Text alignment (tag 33's first byte): the point is the text's right end, or
// its middle (the reader takes 1 as the left end); its second byte: the point is
// the text's top, or its middle (the reader takes 2 as its baseline).
constexpr int kRightAligned = 2;
constexpr int kCentred = 3;
constexpr int kTopAligned = 1;
constexpr int kMiddleAligned = 3;
constexpr int kTagInvisible = 19;
constexpr int kTagVoice = 47;      // a stem's voice: the file's voice number
constexpr int kNumberingOff = 0;  // a `meas` chunk's first byte: no measure numbers
constexpr int kNoFont = -1;
constexpr int kTagCue = 26;        // a cue note: shown small, not played
constexpr int kTagGrace = 14;      // a grace note's distance from its note in staff spaces, < 0 before it
constexpr int kGraceSpaces = 2;    // staff spaces from one grace note's place to the next
constexpr int kMostGraceSpaces = 15;  // the farthest the score draws a note from its time
constexpr int kWavyArpeggio = 1;   // the arpeggio sign's shape
constexpr int kMiddleLine = 4;     // the staff step of a five-line staff's middle line
constexpr int kPercussionClef = 4; // the clef sign of percussion staves
constexpr int kAbove = 1;          // a mark's side of its staff

using Rational = WholeNotes;

Rational Reduce(int64_t num, int64_t den) { return ReducedWholeNotes(num, den); }

int StepIndex(char step) {
    static constexpr char kSteps[] = "CDEFGAB";
    for (int i = 0; i < 7; ++i)
        if (kSteps[i] == step) return i;
    return 0;
}

// The alteration the key signature gives a step.
int KeyAlter(int fifths, int stepIndex) {
    static constexpr int kSharpOrder[] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
    for (int i = 0; i < fifths; ++i)
        if (kSharpOrder[i] == stepIndex) return 1;
    for (int i = 0; i < -fifths; ++i)
        if (kSharpOrder[6 - i] == stepIndex) return -1;
    return 0;
}

struct Clef {
    int sign = 1;
    int line = 2;
    int octave = 0;
};

// A staff the file gives no clef whose notes are all unpitched has the percussion clef.
bool HoldsOnlyUnpitchedNotes(const MxlPart& part, int staff) {
    bool unpitched = false;
    for (const MxlMeasure& measure : part.measures)
        for (const MxlItem& item : measure.items) {
            if (item.kind == MxlItemKind::Clef && item.staff == staff) return false;
            if (item.kind != MxlItemKind::Note || item.note.staff != staff || item.note.rest) continue;
            if (!item.note.unpitched) return false;
            unpitched = true;
        }
    return unpitched;
}

// The diatonic number (octave * 7 + step) of the clef's line.
int ClefLineDiatonic(const Clef& clef) {
    const int base = clef.sign == 2 ? 3 * 7 + 3 : clef.sign == 3 ? 4 * 7 : 4 * 7 + 4;
    return base + 7 * clef.octave;
}

int StaffStep(const Clef& clef, char step, int octave) {
    return octave * 7 + StepIndex(step) - ClefLineDiatonic(clef) + 2 * (clef.line - 1);
}

int ClefOctaveCode(int change) {
    switch (change) {
    case 1: return 1;
    case -1: return 2;
    case 2: return 3;
    case -2: return 4;
    default: return 0;
    }
}

// Note value of a type with dots, in whole notes.
Rational TypeValue(int type, int dots) {
    int64_t num = type < 0 ? -type : 1;
    int64_t den = type < 0 ? 1 : type;
    num = num * ((int64_t{1} << (dots + 1)) - 1);
    den = den << dots;
    return Reduce(num, den);
}

// The longest value the score writes as one note: a whole with three dots.
constexpr Rational kLongestValue{15, 8};

bool Longer(const Rational& a, const Rational& b) {
    return a.num * b.den > b.num * a.den;
}

// True when one note, with up to three dots, shows the value (in divisions).
bool OneNoteShows(int64_t duration, int64_t whole) {
    const Rational value = Reduce(duration, whole);
    const bool powerOfTwo = value.den > 0 && (value.den & (value.den - 1)) == 0;
    return powerOfTwo && (value.num == 1 || value.num == 3 || value.num == 7 || value.num == 15) &&
           !Longer(value, kLongestValue);
}

constexpr size_t kMostParts = 16;

// The parts, largest first, of a value no single note shows, in divisions: each
// the largest plain value (whole to 256th) within what is left, with the dots that
// still fit while less than two wholes are left (a breve is two wholes). The value
// alone when one note shows it, and what the divisions cannot show stays with the
// last part.
std::vector<int64_t> SplitValue(int64_t duration, int divisions) {
    const int64_t whole = int64_t{4} * divisions;
    std::vector<int64_t> parts;
    int64_t left = duration;
    while (left > 0 && parts.size() < kMostParts) {
        if (OneNoteShows(left, whole)) {
            parts.push_back(left);
            return parts;
        }
        int64_t base = 0;
        for (int k = 0; k <= 8 && base == 0; ++k) {
            if (k > 0 && whole % (int64_t{1} << k) != 0) break;
            const int64_t value = whole >> k;
            if (value <= left) base = value;
        }
        if (base == 0) break;
        int64_t part = base;
        const bool dotted = left < 2 * whole;
        for (int dot = 1; dotted && dot <= 3 && base % (int64_t{1} << dot) == 0 && part + (base >> dot) <= left; ++dot)
            part += base >> dot;
        parts.push_back(part);
        left -= part;
    }
    if (left > 0 && parts.empty()) parts.push_back(left);
    else if (left > 0) parts.back() += left;
    return parts;
}

// The notes of a split value: tied one to the next (rests are not), with the
// note's lyrics, slur starts and articulations on the first part and its slur
// ends on the last.
void SplitNote(const MxlNote& note, const std::vector<int64_t>& parts, std::deque<MxlNote>& pieces) {
    for (size_t i = 0; i < parts.size(); ++i) {
        MxlNote piece = note;
        const bool first = i == 0;
        const bool last = i + 1 == parts.size();
        piece.duration = static_cast<int>(parts[i]);
        if (parts.size() > 1) piece.type = piece.dots = 0;  // each part shows its own value
        piece.tieStart = note.tieStart || (!last && !note.rest);
        piece.tieStop = note.tieStop || (!first && !note.rest);
        if (!first) piece.beamLeft = 0, piece.lyrics.clear(), piece.articulations.clear();
        if (!last) piece.beamRight = 0;
        std::erase_if(piece.slurs, [&](const MxlSlur& slur) { return slur.start ? !first : !last; });
        pieces.push_back(std::move(piece));
    }
}

int NoteShape(const Rational& value) {
    if (value.num >= 2 * value.den) return 1;
    if (value.num >= value.den) return 2;
    if (2 * value.num >= value.den) return 3;
    return 4;
}

// The NIFF shape of a note's head: its value's, or the file's own head (filled or
// open as the file says, else as its value is: a half note and longer open).
int HeadNiffShape(const MxlNote& note, const Rational& value) {
    if (note.head == 0) return NoteShape(value);
    // By kHead*: x and square, each filled and open.
    constexpr int kShapes[][2] = {{0, 0}, {7, 7}, {11, 12}};
    const bool filled = note.headFilled >= 0 ? note.headFilled == 1 : 2 * value.num < value.den;
    return kShapes[note.head][filled ? 0 : 1];
}

int RestShape(const Rational& value) {
    // breve 1, whole 2, half 3, quarter 4 ... 256th 10
    int64_t num = value.num, den = value.den;
    int shape = 2;
    if (num >= 2 * den) return 1;
    while (shape < 10 && num < den) {
        num *= 2;
        ++shape;
    }
    return shape;
}

class StringTable {
  public:
    explicit StringTable(ImportReport& lost) : lost_(lost) {}
    uint32_t Add(std::string_view utf8) {
        const uint32_t offset = static_cast<uint32_t>(bytes_.size());
        const std::string text = ToCodePage1252(utf8, lost_);
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
        return offset;
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    ImportReport& lost_;
    std::vector<uint8_t> bytes_{0};  // offset 0: the empty string
};

// Absolute units (1440 to the inch) of a length in tenths, by the score's scaling.
class Geometry {
  public:
    explicit Geometry(const MxlScore& score)
        : unitsPerTenth_(score.millimeters > 0 && score.tenths > 0
                             ? score.millimeters / score.tenths * kUnitsPerMillimetre
                             : kDefaultStaffMillimetres / kStaffTenths * kUnitsPerMillimetre),
          pageWidth_(score.pageWidth > 0 ? Units(score.pageWidth, 1) : kPageWidth),
          pageHeight_(score.pageHeight > 0 ? Units(score.pageHeight, 1) : kPageHeight) {}
    int Units(double tenths, int least) const {
        return static_cast<int>(std::clamp(tenths * unitsPerTenth_ + 0.5, static_cast<double>(least), 32767.0));
    }
    int staffHeight() const { return Units(kStaffTenths, 1); }
    int pageWidth() const { return pageWidth_; }
    int pageHeight() const { return pageHeight_; }

  private:
    double unitsPerTenth_;
    int pageWidth_;
    int pageHeight_;
};

// A tuplet group of one voice in a measure: its ID, members and ratio.
struct TupletGroup {
    int id = 0;
    int members = 0;
    int actual = 0;
    int normal = 0;
    int unit = 4;       // the denominator of the normal type
    bool marked = false;  // opened by a tuplet start, so a tuplet stop closes it
    int look = 0;         // its mark's grouping code
    bool written = false; // its first chunk carries the count and the ratio
};

struct Event {
    int64_t time = 0;  // in divisions of the measure
    int order = 0;
    const MxlItem* item = nullptr;
    std::vector<const MxlNote*> chord;  // notes and rests
    int tuplet = -1;                     // its tuplet group in the measure
    bool fillsMeasure = false;           // a part of a rest that stands for the whole measure
};

// The events of one staff's measure as they are gathered: chords (the notes of a
// chord that stand on this staff), rests, and the other items. A value no note
// shows is split into parts, each chord note into the parts of its chord. A rest
// that stands for the whole measure is written as the rests that fill it; when
// it is all the staff has in the measure it is left out, and the measure shows
// its whole-measure rest.
class StaffEvents {
  public:
    StaffEvents(int divisions, int64_t measureDivisions) : divisions_(divisions), measureDivisions_(measureDivisions) {}

    // Closes the chord being gathered: the next note starts a chord of its own.
    void EndChord() { chord_.clear(); }
    // A note or rest of this staff starting at `at` (a chord note: at its chord's time).
    void Add(const MxlNote& note, int64_t at) {
        const bool joins = note.chord && !chord_.empty() && !note.rest && !events[chord_.front()].chord.front()->rest;
        if (joins && chord_.size() == 1) {
            events[chord_.front()].chord.push_back(&note);
        } else if (joins) {
            const size_t first = pieces_.size();
            SplitNote(note, parts_, pieces_);
            for (size_t i = 0; i < chord_.size(); ++i) events[chord_[i]].chord.push_back(&pieces_[first + i]);
        } else {
            Start(note, at);
        }
    }
    void AddItem(const MxlItem& item, int64_t at) { events.push_back({at, order_++, &item, {}}); }
    void DropLoneMeasureRests() {
        const bool lone = std::all_of(events.begin(), events.end(), [](const Event& e) { return e.item != nullptr || e.fillsMeasure; });
        if (lone) std::erase_if(events, [](const Event& e) { return e.fillsMeasure; });
    }

    std::vector<Event> events;

  private:
    void Start(const MxlNote& note, int64_t at) {
        chord_.clear();
        const MxlNote* source = &note;
        const bool fills = FillsMeasure(note, at, measureDivisions_);
        if (fills) {
            MxlNote& rest = pieces_.emplace_back(note);
            rest.measureRest = false;
            rest.type = 0;
            rest.dots = 0;
            if (measureDivisions_ > 0) rest.duration = static_cast<int>(measureDivisions_);
            source = &rest;
        }
        const bool longerThanANote = source->type == 0 || Longer(TypeValue(source->type, source->dots), kLongestValue);
        const bool split = longerThanANote && !source->measureRest && source->duration > 0;
        parts_ = split ? SplitValue(source->duration, divisions_) : std::vector<int64_t>{};
        if (parts_.size() > 1) {
            const size_t first = pieces_.size();
            SplitNote(*source, parts_, pieces_);
            for (size_t i = 0; i < parts_.size(); ++i) {
                chord_.push_back(events.size());
                events.push_back({at, order_++, nullptr, {&pieces_[first + i]}});
                at += parts_[i];
            }
        } else {
            chord_.push_back(events.size());
            events.push_back({at, order_++, nullptr, {source}});
        }
        for (const size_t index : chord_) events[index].fillsMeasure = fills;
    }

    int divisions_;
    int64_t measureDivisions_;  // -1 when the divisions cannot count it
    std::deque<MxlNote> pieces_;
    std::vector<size_t> chord_;    // the events of the chord being gathered (its parts)
    std::vector<int64_t> parts_;   // the chord's parts, when its value is split
    int order_ = 0;
};

struct StaffState {
    Clef clef;
    bool clefChanged = true;
    int lines = 5;
    std::map<std::pair<int, int>, int> ties;  // (voice, key number) -> open tie ID
    std::map<int, int> beams; // voice -> open beam group ID
    // (voice, slur number) -> open slur ID: other programs number the slurs of each
    // voice on their own, so one number may be open in two voices at once.
    std::map<std::pair<int, int>, int> slurs;
    std::map<int, std::pair<int, int>> wedges;   // wedge number -> open ID and kind
    std::map<int, std::array<int, 3>> octaves;   // octave shift number -> open ID, side, size
    int ending = 0;                              // the open ending's ID, 0 when none
    int pedalLine = 0;                           // the open pedal bracket's ID, 0 when none
    uint32_t endingText = 0;
};

// Octaves from the pitch a note sounds to where it is written, under the staff's
// open octave signs: an octave sign above (8va, 15ma) writes its notes lower.
int WrittenOctaveShift(const StaffState& state) {
    constexpr int kTwoOctaves = 15;
    int shift = 0;
    for (const auto& [number, sign] : state.octaves) {
        const int octaves = sign[2] == kTwoOctaves ? 2 : 1;
        shift += sign[1] == kAbove ? -octaves : octaves;
    }
    return shift;
}

// The stem of a chord the file gives none for, when its notes lie on both sides
// of the middle line (each would take its own way, and the chord would fall
// apart): the way the note furthest from the line asks for, up (1) for one below
// it; 0 when the notes agree.
int ChordStem(const std::vector<int>& steps) {
    constexpr int kMiddleLine = 4;
    constexpr int kUp = 1, kDown = 2;
    const auto [low, high] = std::minmax_element(steps.begin(), steps.end());
    if (steps.empty() || *high < kMiddleLine || *low >= kMiddleLine) return 0;
    return kMiddleLine - *low > *high - kMiddleLine ? kUp : kDown;
}

// A mark's side of its staff (1 above, 2 below) as its logical placement; nothing
// when the file does not say.
void WriteSide(NiffWriter& out, int side) {
    constexpr int kLogicalPlacement = 22;
    if (side != 0) out.Tag(kLogicalPlacement, {0, side, 0});
}

struct PartState {
    int divisions = 1;
    int staves = 1;
    int fifths = 0;
    bool keyChanged = true;
    int beats = 4, beatType = 4, symbol = 0;
    bool timeChanged = true;
};

class Converter {
  public:
    Converter(const MxlScore& score, ImportReport& skipped)
        : score_(score), skipped_(skipped), geometry_(score), strings_(skipped), lyricLines_(score) {}
    std::vector<uint8_t> Run(std::string& error);

  private:
    template <size_t N>
    void Chunk(NiffWriter& out, const char (&id)[N], std::initializer_list<NiffField> fixed = {}) {
        used_.insert(std::string(id, 4));
        out.BeginChunk(id, fixed);
    }
    // Beam, tie, slur and tuplet IDs are 16-bit and need only be unique while their
    // group is open: a long score takes them round again from 1.
    int NextId() {
        nextId_ = nextId_ % INT16_MAX + 1;
        return nextId_;
    }
    NiffField Whole(int64_t divisionsTime, int divisions);
    void WriteStaff(NiffWriter& out, int part, int staff, int firstMeasure, int endMeasure);
    void WriteMeasure(NiffWriter& out, int part, int staff, int measure, bool systemStart);
    void WriteChord(NiffWriter& out, const Event& event, int staff, const StaffVoices& voices, PartState& part,
                    StaffState& state, std::map<int, int>& shown, int divisions, TupletGroup* tuplet);
    void WriteTuplet(NiffWriter& out, TupletGroup& group);
    void WriteLineNode(NiffWriter& out, const MxlItem& item, StaffState& state);
    void WriteEndingNode(NiffWriter& out, const MxlItem& item, StaffState& state);
    void WriteSlurs(NiffWriter& out, const Event& event, StaffState& state);
    void WriteBarline(NiffWriter& out, size_t front);
    void WritePedal(NiffWriter& out, const MxlItem& pedal, StaffState& state);
    void WriteTempo(NiffWriter& out, const MxlItem& tempo, int measure, const Rational& at);
    std::vector<TupletGroup> GroupTuplets(std::vector<Event>& events);
    void WritePageTexts(NiffWriter& out, int page);
    void AddCreators(std::vector<MxlCredit>& credits);

    const MxlScore& score_;
    ImportReport& skipped_;
    Geometry geometry_;
    StringTable strings_;
    LyricLines lyricLines_;
    int writingPart_ = 0;  // the part whose measure is being written
    const ChordSpans* chordSpans_ = nullptr;  // the chords of the measure being written
    std::set<std::string> used_;
    std::vector<Rational> measureStart_;
    std::vector<MxlBarline> barlines_;  // the barline in front of each measure, and after the last
    // Tempo marks written, by measure and time: the parts that each give one at
    // a time have it written once, from the first.
    std::set<std::tuple<int, int64_t, int64_t>> temposWritten_;
    std::vector<std::vector<PartState>> partAt_;  // per measure, per part, the state at its start
    std::vector<std::vector<StaffState>> staves_; // per part, per staff
    std::vector<PartState> parts_;
    bool timeUnwritten_ = false;  // the file has no time signature: the one written is not shown
    int nextId_ = 0;
};

NiffField Converter::Whole(int64_t time, int divisions) {
    const Rational value = Reduce(time, int64_t{4} * divisions);
    if (value.num > 32767 || value.den > 32767) {
        skipped_.Count("time not representable");
        return NiffField::Rational(0, 1);
    }
    return NiffField::Rational(static_cast<int16_t>(value.num), static_cast<int16_t>(value.den));
}

void Converter::WriteChord(NiffWriter& out, const Event& event, int staff, const StaffVoices& voices, PartState& part,
                           StaffState& state, std::map<int, int>& shown, int divisions, TupletGroup* tuplet) {
    const MxlNote& first = *event.chord.front();
    auto valueOf = [&](const MxlNote& note) {
        if (note.type != 0 && !note.measureRest) return TypeValue(note.type, note.dots);
        return Reduce(note.duration, int64_t{4} * divisions);
    };
    auto field = [&](const Rational& value) {
        if (value.num > 32767 || value.den > 32767 || value.num <= 0) {
            skipped_.Count("note value not representable");
            return NiffField::Rational(1, 4);
        }
        return NiffField::Rational(static_cast<int16_t>(value.num), static_cast<int16_t>(value.den));
    };
    if (first.rest) {
        const Rational value = valueOf(first);
        const int step = first.displayStep ? StaffStep(state.clef, first.displayStep, first.displayOctave) : 4;
        Chunk(out, "rest", {RestShape(value), std::clamp(step, -128, 127), field(value)});
        out.Tag(kTagVoice, {first.voice});  // as a chord's stem names its voice
        if (first.hidden) out.Tag(kTagInvisible);
        out.EndChunk();
        if (tuplet != nullptr) WriteTuplet(out, *tuplet);
        return;
    }
    // A chord of notes the file does not show has its stem and beams invisible too.
    const bool hidden = std::all_of(event.chord.begin(), event.chord.end(), [](const MxlNote* n) { return n->hidden; });
    // Under an octave sign the notes stand where they are written; the file gives
    // the pitches they sound.
    const int shift = WrittenOctaveShift(state);
    std::vector<int> steps;
    for (const MxlNote* note : event.chord) {
        const bool onMiddleLine = note->unpitched && note->step == 0;
        steps.push_back(onMiddleLine ? kMiddleLine : StaffStep(state.clef, note->step, note->octave + shift));
    }
    // A chord's stem: the file's, else its voice's side beside another voice, else
    // up for grace notes and the side its notes ask for for others. A stem the
    // file says is none is not drawn.
    const int voiceStem = first.stem != kStemNotGiven ? first.stem : voices.StemOf(first.voice);
    const int stem = voiceStem != kStemNotGiven ? voiceStem : first.grace ? kStemUp : ChordStem(steps);
    // A chord on two staves is drawn as a chord on each staff, each with its own
    // stem in the chord's direction and the chord's beams, which the file gives
    // one of its notes: each staff's parts are beamed among themselves.
    const ChordSpan* span = chordSpans_ != nullptr ? chordSpans_->Of(&first) : nullptr;
    const bool stemHidden = hidden || stem == kStemNone;
    const MxlNote& beams = span != nullptr ? *span->beams : first;
    Chunk(out, "stem");
    if (stem == kStemUp || stem == kStemDown) out.Tag(22, {0, stem, 0});
    if (stemHidden) out.Tag(kTagInvisible);
    out.Tag(kTagVoice, {first.voice});
    out.EndChunk();
    if (beams.beamLeft > 0 || beams.beamRight > 0) {
        // Grace notes beam among themselves, inside a beam of their voice too.
        const int beamKey = first.grace ? -first.voice : first.voice;
        int& group = state.beams[beamKey];
        if (group == 0 || beams.beamLeft == 0) group = NextId();
        Chunk(out, "beam", {std::min(beams.beamLeft, 4), std::min(beams.beamRight, 4)});
        out.Tag(18, {group});
        if (hidden) out.Tag(kTagInvisible);
        out.EndChunk();
        if (beams.beamRight == 0) state.beams.erase(beamKey);
    }
    if (tuplet != nullptr) WriteTuplet(out, *tuplet);
    WriteSlurs(out, event, state);
    for (size_t i = 0; i < event.chord.size(); ++i) {
        const MxlNote* note = event.chord[i];
        const Rational value = valueOf(*note);
        const int step = steps[i];
        Chunk(out, "note", {HeadNiffShape(*note, value), std::clamp(step, -128, 127), field(value)});
        if (note->hidden) out.Tag(kTagInvisible);
        if (note->cue) out.Tag(kTagCue);
        if (note->grace) {
            const int spaces = std::clamp(note->graceOffset * kGraceSpaces, -kMostGraceSpaces, kMostGraceSpaces);
            out.Tag(kTagGrace, {NiffField::Rational(static_cast<int16_t>(spaces), 1)});
        }
        out.EndChunk();
        const int written = (note->octave + shift) * 7 + StepIndex(note->step);
        auto found = shown.find(written);
        const int inForce = found != shown.end() ? found->second : KeyAlter(part.fifths, StepIndex(note->step));
        int code = note->accidental;
        if (code == 0 && note->alter != inForce) code = note->alter + 3;
        if (code != 0) {
            Chunk(out, "acdl", {code});
            out.EndChunk();
        }
        for (const int articulation : note->articulations) {
            Chunk(out, "artc", {articulation});
            out.EndChunk();
        }
        for (const int ornament : note->ornaments) {
            Chunk(out, "ornm", {ornament});
            out.EndChunk();
        }
        shown[written] = note->alter;
        const int diatonic = note->octave * 7 + StepIndex(note->step);
        const int pitch = staff * 1000 + diatonic * 8 + note->alter + 2;
        const std::pair<int, int> key{note->voice, pitch};
        auto open = state.ties.find(key);
        // A tie may end in another voice than its own.
        if (note->tieStop && open == state.ties.end())
            open = std::find_if(state.ties.begin(), state.ties.end(),
                                [&](const auto& entry) { return entry.first.second == pitch; });
        // A note that starts a tie while its voice's tie of its pitch is still open
        // ends that one too: some programs write only "start" on the middle notes of
        // a chain of ties.
        if (note->tieStop || note->tieStart) {
            if (open != state.ties.end()) {
                Chunk(out, "tie ");
                out.Tag(18, {open->second});
                if (note->tieSide != 0) out.Tag(44, {note->tieSide});
                out.EndChunk();
                state.ties.erase(open);
            }
        }
        if (note->tieStart) {
            const int id = NextId();
            Chunk(out, "tie ");
            out.Tag(18, {id});
            if (note->tieSide != 0) out.Tag(44, {note->tieSide});
            out.EndChunk();
            state.ties[key] = id;
        }
        for (const auto& [verse, text] : note->lyrics) {
            const int line = lyricLines_.LineOf(writingPart_, note->voice, verse);
            if (line < 0) {
                skipped_.Count(kLyricsPastTheLastLine);
                continue;
            }
            Chunk(out, "lyrc", {strings_.Add(text), line});
            out.EndChunk();
        }
    }
    // The arpeggio sign follows the chord's last note: it spans the chord.
    if (std::any_of(event.chord.begin(), event.chord.end(), [](const MxlNote* n) { return n->arpeggio; })) {
        Chunk(out, "arpg", {kWavyArpeggio});
        out.EndChunk();
    }
}

void Converter::WriteTuplet(NiffWriter& out, TupletGroup& group) {
    Chunk(out, "tupl");
    out.Tag(18, {group.id});
    if (!group.written) {
        // The score draws one bracket over the run of its tuplet notes of one
        // ratio: a group whose notes are not each of the ratio's unit (a quarter
        // and an eighth of a triplet) shares it with the next, and shows its number.
        const bool bracketed = group.look == kTupletBracket || group.look == kTupletCurve;
        if (bracketed && group.members != group.actual) {
            skipped_.Count("tuplet bracket over notes of unequal values (its number shown)");
            group.look = kTupletNumberAlone;
        }
        out.Tag(28, {std::min(group.members, int{INT16_MAX})});
        out.Tag(45, {NiffField::Rational(static_cast<int16_t>(group.actual), static_cast<int16_t>(group.unit)),
                     NiffField::Rational(static_cast<int16_t>(group.normal), static_cast<int16_t>(group.unit)),
                     group.look});
        group.written = true;
    }
    out.EndChunk();
}

// A hairpin's or octave sign's start (with its count of two nodes) or end, at
// the event slice of its direction.
void Converter::WriteLineNode(NiffWriter& out, const MxlItem& item, StaffState& state) {
    const bool wedge = item.kind == MxlItemKind::Wedge;
    const std::string name = wedge ? "wedge" : "octave shift";
    const bool open = wedge ? state.wedges.contains(item.line) : state.octaves.contains(item.line);
    if (item.value != 0 && open) return skipped_.Count(name + " started again before its end");
    if (item.value == 0 && !open) return skipped_.Count(name + " end without its start");
    const int id = item.value != 0 ? NextId() : wedge ? state.wedges[item.line].first : state.octaves[item.line][0];
    if (wedge) {
        const int kind = item.value != 0 ? item.value : state.wedges[item.line].second;
        Chunk(out, "hrpn", {kind});
        if (item.value != 0) WriteSide(out, item.side);
    } else {
        const std::array<int, 3> shift = item.value != 0 ? std::array<int, 3>{id, item.value, item.extra}
                                                         : state.octaves[item.line];
        Chunk(out, "octv", {shift[2] == 15 ? 2 : 1, shift[1], 0, uint32_t{0}});
    }
    out.Tag(18, {id});
    if (item.value != 0) out.Tag(28, {2});
    out.EndChunk();
    if (item.value == 0 && wedge) state.wedges.erase(item.line);
    else if (item.value == 0) state.octaves.erase(item.line);
    else if (wedge) state.wedges[item.line] = {id, item.value};
    else state.octaves[item.line] = {id, item.value, item.extra};
}

// An ending's start (its start hook and passes) or end: a stop draws the end hook
// too, a discontinue leaves it open.
void Converter::WriteEndingNode(NiffWriter& out, const MxlItem& item, StaffState& state) {
    const bool start = item.value == 1;
    if (start && state.ending != 0) return skipped_.Count("ending started again before its end");
    if (!start && state.ending == 0) return skipped_.Count("ending end without its start");
    if (start) {
        state.ending = NextId();
        state.endingText = strings_.Add(item.text);
    }
    Chunk(out, "altg", {start || item.value == 3 ? 1 : 3, state.endingText});
    out.Tag(18, {state.ending});
    if (start) out.Tag(28, {2});
    out.EndChunk();
    if (!start) state.ending = 0;
}

// Slurs that end at the chord first, then those that start there (a number may
// end and start again on one chord).
void Converter::WriteSlurs(NiffWriter& out, const Event& event, StaffState& state) {
    for (const bool starting : {false, true}) {
        for (const MxlNote* note : event.chord) {
            for (const MxlSlur& slur : note->slurs) {
                if (slur.start != starting) continue;
                auto open = state.slurs.find({note->voice, slur.number});
                // A slur may end in another voice than its own.
                if (!starting && open == state.slurs.end())
                    open = std::find_if(state.slurs.begin(), state.slurs.end(),
                                        [&](const auto& entry) { return entry.first.second == slur.number; });
                if (!starting && open == state.slurs.end()) {
                    skipped_.Count("slur end without its start");
                    continue;
                }
                if (starting && open != state.slurs.end()) {
                    skipped_.Count("slur started again before its end");
                    continue;
                }
                const int id = starting ? NextId() : open->second;
                Chunk(out, "slur");
                out.Tag(18, {id});
                if (starting) out.Tag(28, {2});
                if (slur.side != 0) out.Tag(44, {slur.side});
                out.EndChunk();
                if (starting) state.slurs[{note->voice, slur.number}] = id;
                else state.slurs.erase(open);
            }
        }
    }
}

// Sorts the measure's chords and rests into tuplet groups per voice: a group opens
// at a tuplet start (or at the first note of a time modification without one) and
// closes at a tuplet stop, at its last member when it was not marked, at a note
// of the voice outside it, and at the barline. A nested tuplet is written as a
// group of its own with the ratio its notes give (the product of the ratios), so
// every note keeps its time: the outer group is closed before it and continued
// after it by a group of the outer ratio. Each nesting is counted as a skip.
std::vector<TupletGroup> Converter::GroupTuplets(std::vector<Event>& events) {
    std::vector<TupletGroup> groups;
    std::map<int, int> open;             // voice -> group
    std::map<int, TupletGroup> outside;  // voice -> the group a nested one interrupted
    for (Event& event : events) {
        if (event.item != nullptr || event.chord.front()->grace) continue;  // a grace note is in no group
        const MxlNote& first = *event.chord.front();
        auto current = open.find(first.voice);
        if (first.tupletActual <= 0 || first.tupletNormal <= 0) {
            if (current != open.end()) open.erase(current);
            outside.erase(first.voice);
            continue;
        }
        const int type = first.tupletNormalType != 0 ? first.tupletNormalType : first.type;
        const int unit = type > 0 ? type : type < 0 ? 1 : 4;
        if (current != open.end()) {
            const TupletGroup& group = groups[static_cast<size_t>(current->second)];
            const bool sameRatio = group.actual == first.tupletActual && group.normal == first.tupletNormal;
            if (!sameRatio && group.marked && first.tupletStart) {
                skipped_.Count("nested tuplet");
                outside[first.voice] = group;
            }
            if (!sameRatio || (first.tupletStart && group.members > 0)) {
                open.erase(current);
                current = open.end();
            }
        }
        if (current == open.end()) {
            TupletGroup group;
            group.id = NextId();
            group.actual = first.tupletActual;
            group.normal = first.tupletNormal;
            group.unit = unit;
            group.marked = first.tupletStart;
            group.look = first.tupletLook;
            // The rest of an interrupted group closes at its own stop.
            const auto interrupted = outside.find(first.voice);
            if (interrupted != outside.end() && interrupted->second.actual == group.actual &&
                interrupted->second.normal == group.normal) {
                group.marked = group.marked || interrupted->second.marked;
                outside.erase(interrupted);
            }
            current = open.emplace(first.voice, static_cast<int>(groups.size())).first;
            groups.push_back(group);
        }
        TupletGroup& group = groups[static_cast<size_t>(current->second)];
        ++group.members;
        event.tuplet = current->second;
        if (first.tupletStop || (!group.marked && group.members >= group.actual)) open.erase(current);
    }
    return groups;
}

void Converter::WriteMeasure(NiffWriter& out, int partIndex, int staff, int measure, bool systemStart) {
    const MxlPart& part = score_.parts[partIndex];
    writingPart_ = partIndex;
    PartState state = partAt_[measure][partIndex];
    StaffState& staffState = staves_[partIndex][staff - 1];
    const Rational start = measureStart_[measure];
    WriteBarline(out, static_cast<size_t>(measure));
    Chunk(out, "tmsl", {1, NiffField::Rational(static_cast<int16_t>(std::min<int64_t>(start.num, 32767)),
                                               static_cast<int16_t>(std::min<int64_t>(start.den, 32767)))});
    out.EndChunk();
    if (measure == 0 && partIndex == 0 && staff == 1 && score_.measureNumbering == 0) {
        Chunk(out, "meas", {kNumberingOff, 0, 0, kNoFont, 0, 0, 0});  // the file hides the numbers
        out.EndChunk();
    }
    if (measure >= static_cast<int>(part.measures.size())) return;
    const MxlMeasure& content = part.measures[measure];
    if (content.divisions != 0) state.divisions = content.divisions;
    const ChordSpans spans(content);
    chordSpans_ = &spans;

    // The events of this staff in time order (document order at equal times).
    const Rational length = Reduce(measureStart_[measure + 1].num * start.den - start.num * measureStart_[measure + 1].den,
                                   start.den * measureStart_[measure + 1].den);
    const int64_t whole = int64_t{4} * state.divisions;
    const int64_t measureDivisions = whole % length.den == 0 ? length.num * (whole / length.den) : -1;
    StaffEvents staffEvents(state.divisions, measureDivisions);
    std::vector<Event>& events = staffEvents.events;
    int64_t cursor = 0;
    int64_t chordStart = 0;
    for (const MxlItem& item : content.items) {
        switch (item.kind) {
        case MxlItemKind::Backup:
        case MxlItemKind::Forward:
            // Ends a chord: chord notes after it (a file's error) stand where it starts.
            chordStart = cursor;
            staffEvents.EndChord();
            cursor = item.kind == MxlItemKind::Forward ? cursor + item.amount : std::max<int64_t>(0, cursor - item.amount);
            break;
        case MxlItemKind::Note:
            // A chord's notes each stand on the staff they name, at the chord's time.
            if (!item.note.chord) {
                chordStart = cursor;
                staffEvents.EndChord();
                cursor += item.note.duration;
            }
            if (item.note.staff == staff) staffEvents.Add(item.note, chordStart);
            break;
        case MxlItemKind::NewSystem: break;
        case MxlItemKind::ChordSymbol:
        case MxlItemKind::Dynamic:
        case MxlItemKind::Words:
        case MxlItemKind::Rehearsal:
        case MxlItemKind::Tempo:
            // At the file's offset from its place among the notes.
            if (item.staff == staff) staffEvents.AddItem(item, OffsetTime(cursor, item.amount, measureDivisions));
            break;
        default:
            if (item.staff == staff || item.kind == MxlItemKind::Key || item.kind == MxlItemKind::Time)
                staffEvents.AddItem(item, cursor);
            break;
        }
    }
    staffEvents.DropLoneMeasureRests();
    // The signatures at the measure's start come first there, whatever stands
    // before them (a left barline's ending, a direction).
    const auto rank = [](const Event& e) {
        const bool signature = e.item != nullptr && (e.item->kind == MxlItemKind::Clef || e.item->kind == MxlItemKind::Key ||
                                                     e.item->kind == MxlItemKind::Time);
        return e.time == 0 && signature ? 0 : 1;
    };
    // Grace notes stand at their places about their note: those before it first,
    // those after it last (slurs to and from them open before they close).
    const auto place = [](const Event& e) {
        return e.item == nullptr && !e.chord.empty() && e.chord.front()->grace ? e.chord.front()->graceOffset : 0;
    };
    std::stable_sort(events.begin(), events.end(), [&](const Event& a, const Event& b) {
        if (a.time != b.time) return a.time < b.time;
        return rank(a) != rank(b) ? rank(a) < rank(b) : place(a) < place(b);
    });
    std::vector<TupletGroup> tuplets = GroupTuplets(events);

    // Signatures at the measure's start.
    size_t next = 0;
    for (; next < events.size() && events[next].time == 0 && events[next].item != nullptr; ++next) {
        const MxlItem& item = *events[next].item;
        if (item.kind == MxlItemKind::Clef) {
            staffState.clef = {item.value, item.line, item.extra};
            staffState.clefChanged = true;
        } else if (item.kind == MxlItemKind::Key) {
            state.keyChanged = state.keyChanged || state.fifths != item.value;
            state.fifths = item.value;
        } else if (item.kind == MxlItemKind::Time) {
            state.timeChanged = true;
            state.beats = item.line, state.beatType = item.extra, state.symbol = item.symbol;
        } else {
            break;
        }
    }
    if (systemStart || staffState.clefChanged) {
        Chunk(out, "clef", {staffState.clef.sign, 2 * (staffState.clef.line - 1), ClefOctaveCode(staffState.clef.octave)});
        out.EndChunk();
    }
    if (systemStart || state.keyChanged) {
        Chunk(out, "keys", {state.fifths >= 0 ? state.fifths : 7 - state.fifths});
        out.EndChunk();
    }
    if (measure == 0 || state.timeChanged) {
        if (state.symbol == 1) Chunk(out, "time", {-1, 0x80});
        else if (state.symbol == 2) Chunk(out, "time", {2, 0x80});
        else Chunk(out, "time", {state.beats, state.beatType});
        if (timeUnwritten_) out.Tag(kTagInvisible);
        out.EndChunk();
    }
    staffState.clefChanged = false;
    state.keyChanged = state.timeChanged = false;

    std::map<int, int> shown;  // diatonic number -> alteration in force this measure
    StaffVoices voices;
    for (const Event& event : events)
        if (event.item == nullptr)
            for (const MxlNote* note : event.chord)
                if (!note->hidden) voices.Add(note->voice);
    int64_t slice = -1;
    for (; next < events.size(); ++next) {
        const Event& event = events[next];
        if (event.item != nullptr && event.item->kind == MxlItemKind::Time) {
            // A measure holds one time signature: a change inside it governs
            // from the next barline.
            state.timeChanged = true;
            state.beats = event.item->line, state.beatType = event.item->extra, state.symbol = event.item->symbol;
            continue;
        }
        // An ending's end at the barline goes with the measure's last slice.
        const bool endingEnd = event.item != nullptr && event.item->kind == MxlItemKind::Ending && event.item->value != 1;
        if (event.time != slice && !(endingEnd && slice >= 0)) {
            slice = event.time;
            Chunk(out, "tmsl", {2, Whole(slice, state.divisions)});
            out.EndChunk();
        }
        if (event.item == nullptr) {
            WriteChord(out, event, staff, voices, state, staffState, shown, state.divisions,
                       event.tuplet >= 0 ? &tuplets[static_cast<size_t>(event.tuplet)] : nullptr);
            continue;
        }
        const MxlItem& item = *event.item;
        switch (item.kind) {
        case MxlItemKind::Clef:
            staffState.clef = {item.value, item.line, item.extra};
            Chunk(out, "clef", {item.value, 2 * (item.line - 1), ClefOctaveCode(item.extra)});
            out.EndChunk();
            break;
        case MxlItemKind::Dynamic:
            Chunk(out, "dynm", {item.value});
            WriteSide(out, item.side);
            out.EndChunk();
            break;
        case MxlItemKind::Words:
            Chunk(out, "text", {strings_.Add(item.text)});
            WriteSide(out, item.side);
            out.EndChunk();
            break;
        case MxlItemKind::Rehearsal:
            Chunk(out, "rhrs", {strings_.Add(item.text), item.value});
            out.EndChunk();
            break;
        case MxlItemKind::Ending: WriteEndingNode(out, item, staffState); break;
        case MxlItemKind::Pedal: WritePedal(out, item, staffState); break;
        case MxlItemKind::ChordSymbol:
            Chunk(out, "chrd", {strings_.Add(item.text)});
            WriteSide(out, kAbove);  // over the staff, where a player reads it
            out.EndChunk();
            break;
        case MxlItemKind::Tempo: WriteTempo(out, item, measure, Reduce(event.time, int64_t{4} * state.divisions)); break;
        case MxlItemKind::Wedge:
        case MxlItemKind::OctaveShift: WriteLineNode(out, item, staffState); break;
        case MxlItemKind::Key:
            state.fifths = item.value;
            Chunk(out, "keys", {item.value >= 0 ? item.value : 7 - item.value});
            out.EndChunk();
            break;

        default: break;
        }
    }
    if (slice < 0) {
        // A measure with nothing in it (its whole-measure rest shows) still holds
        // its time: an empty slice tells it from the closing measure start some
        // writers put after a staff's last measure, which the NIFF import drops.
        Chunk(out, "tmsl", {2, Whole(0, state.divisions)});
        out.EndChunk();
    }
    if (staff == 1) partAt_[measure + 1][partIndex] = state;
    chordSpans_ = nullptr;
}

void Converter::WriteStaff(NiffWriter& out, int part, int staff, int firstMeasure, int endMeasure) {
    out.BeginList("staf");
    Chunk(out, "sthd");
    out.Tag(32, {part});
    if (staff > 1) out.Tag(47, {staff - 1});
    out.Tag(17, {geometry_.staffHeight()});
    if (staves_[part][staff - 1].lines != 5) out.Tag(29, {staves_[part][staff - 1].lines});
    out.EndChunk();
    for (int measure = firstMeasure; measure < endMeasure; ++measure)
        WriteMeasure(out, part, staff, measure, measure == firstMeasure);
    // The barline after the last measure, with a measure start at the score's end
    // that the NIFF import keeps it from.
    const size_t last = static_cast<size_t>(endMeasure);
    if (last + 1 == barlines_.size() && !NiffChunksOf(barlines_[last]).Plain()) {
        WriteBarline(out, last);
        const Rational end = measureStart_[last];
        Chunk(out, "tmsl", {1, NiffField::Rational(static_cast<int16_t>(end.num), static_cast<int16_t>(end.den))});
        out.EndChunk();
    }
    out.EndList();
}

// A tempo mark with no words of its own: the direction's words are a text of
// their own.
void Converter::WriteTempo(NiffWriter& out, const MxlItem& tempo, int measure, const Rational& at) {
    if (!temposWritten_.emplace(measure, at.num, at.den).second) return;
    const NiffTempoBeat beat = NiffTempoBeatOf(tempo);
    Chunk(out, "tmpo", {uint32_t{0}, NiffField::Rational(static_cast<int16_t>(beat.num), static_cast<int16_t>(beat.den)),
                        beat.perMinute});
    if (!beat.shown) out.Tag(kTagInvisible);
    out.EndChunk();
}

// A pedal direction: a release before a press (a change does both), each a pedal
// mark when the file shows the sign, and the ends of the pedal line. The score
// plays the marks; a line alone is shown and not played, counted.
void Converter::WritePedal(NiffWriter& out, const MxlItem& pedal, StaffState& state) {
    constexpr int kDownShape = 1, kUpShape = 2, kLineStart = 3, kLineEnd = 4;
    const bool line = (pedal.symbol & kPedalLine) != 0;
    const bool sign = (pedal.symbol & kPedalSign) != 0;
    const auto node = [&](int shape, int id, int nodes) {
        Chunk(out, "pdlp", {shape});
        out.Tag(18, {id});
        out.Tag(28, {nodes});
        out.EndChunk();
    };
    if (line && !sign) skipped_.Count("pedal line without its sign (shown, not played)");
    for (const bool down : {false, true}) {
        if (pedal.value == (down ? kPedalUp : kPedalDown)) continue;
        if (sign) node(down ? kDownShape : kUpShape, NextId(), 1);
        if (!line) continue;
        if (down == (state.pedalLine != 0)) {
            skipped_.Count(down ? "pedal line started again before its end" : "pedal line end without its start");
            continue;
        }
        if (down) state.pedalLine = NextId();
        node(down ? kLineStart : kLineEnd, state.pedalLine, 2);
        if (!down) state.pedalLine = 0;
    }
}

// The barline in front of measure `front` as the chunks the measure start after
// them takes its barline from.
void Converter::WriteBarline(NiffWriter& out, size_t front) {
    constexpr int kRepeatDots = 10;  // the repeat sign's graphic code
    constexpr int kThroughStaff = 1;
    const NiffBarlineChunks chunks = NiffChunksOf(barlines_[front]);
    for (const int kind : chunks.repeatKinds) {
        Chunk(out, "rept", {kRepeatDots, kind});
        out.EndChunk();
    }
    for (const int type : chunks.lineTypes) {
        Chunk(out, "barl", {type, kThroughStaff, 1});
        out.EndChunk();
    }
}

// The credits of a page at their places (from the page's top left); without
// credits, the work's or movement's title centred at the top of the first page.
void Converter::WritePageTexts(NiffWriter& out, int page) {
    std::vector<MxlCredit> credits;
    for (const MxlCredit& credit : score_.credits)
        if (credit.page == page && !credit.text.empty()) credits.push_back(credit);
    if (page == 1 && score_.credits.empty()) {
        MxlCredit title;
        title.text = !score_.workTitle.empty() ? score_.workTitle : score_.movementTitle;
        title.centred = true;
        if (!title.text.empty()) credits.push_back(title);
    }
    if (page == 1) AddCreators(credits);
    int unplaced = 0;
    for (const MxlCredit& credit : credits) {
        // A credit of several lines is a text per line, a line of its size apart:
        // the first at its place when its top stands there, the last when its foot
        // does, the middle one when its middle does.
        const std::vector<std::string> lines = TextLines(credit.text);
        const int step = static_cast<int>(kLineOfSize * (credit.fontSize > 0 ? credit.fontSize : kCreditPoints) *
                                          kUnitsPerPoint);
        const double first = credit.top ? 0.0 : credit.middle ? -(lines.size() - 1) / 2.0 : -(lines.size() - 1.0);
        for (size_t n = 0; n < lines.size(); ++n) {
            if (lines[n].empty()) {
                if (!credit.placed) ++unplaced;
                continue;
            }
            Chunk(out, "text", {strings_.Add(lines[n])});
            out.Tag(3, {"pghd"});
            const int down = static_cast<int>((first + static_cast<double>(n)) * step);
            if (credit.placed)
                out.Tag(1, {geometry_.Units(credit.x, 0),
                            geometry_.pageHeight() - geometry_.Units(credit.y, 0) + down});
            else
                out.Tag(1, {credit.centred ? geometry_.pageWidth() / 2 : credit.right ? geometry_.pageWidth() : 0,
                            kCreditTop + kCreditLine * unplaced++});
            const int across = credit.centred ? kCentred : credit.right ? kRightAligned : 0;
            const int vertical = credit.top ? kTopAligned : credit.middle ? kMiddleAligned : 0;
            if (across != 0 || vertical != 0) out.Tag(33, {across, vertical, 0, 0});
            out.EndChunk();
        }
    }
}

// The composer, arranger, lyricist and poet the file names that no credit of the
// first page prints: under the title, the composer and arranger at the right, the
// writers of the words at the left. Creators of other kinds are counted.
void Converter::AddCreators(std::vector<MxlCredit>& credits) {
    for (const auto& [type, name] : score_.creators) {
        const bool right = type == "composer" || type == "arranger";
        if (!right && type != "lyricist" && type != "poet") {
            skipped_.Count("creator of another kind (" + type + ")");
            continue;
        }
        const bool printed = std::any_of(score_.credits.begin(), score_.credits.end(), [&](const MxlCredit& credit) {
            return credit.page == 1 && credit.text.find(name) != std::string::npos;
        });
        if (printed) continue;
        MxlCredit creator;
        creator.text = name;
        creator.right = right;
        credits.push_back(creator);
    }
}

std::vector<uint8_t> Converter::Run(std::string& error) {
    // Staves per part, staff lines, and the measures' lengths.
    size_t measures = 0;
    int totalStaves = 0;
    for (const MxlPart& part : score_.parts) {
        measures = std::max(measures, part.measures.size());
        int staves = 1;
        for (const MxlMeasure& measure : part.measures) staves = std::max(staves, measure.staves);
        std::vector<StaffState> states(staves);
        for (const MxlMeasure& measure : part.measures)
            for (size_t s = 0; s < measure.staffLines.size() && s < states.size(); ++s)
                if (measure.staffLines[s] != 0 && states[s].lines == 5) states[s].lines = measure.staffLines[s];
        for (int s = 1; s <= staves; ++s)
            if (HoldsOnlyUnpitchedNotes(part, s)) states[static_cast<size_t>(s - 1)].clef.sign = kPercussionClef;
        staves_.push_back(std::move(states));
        totalStaves += staves;
    }
    if (totalStaves > kMaxStaves) {
        error = "more than " + std::to_string(kMaxStaves) + " staves";
        return {};
    }
    if (measures == 0) {
        error = "the score has no measures";
        return {};
    }
    const MeasurePlan plan = PlanMeasures(score_);
    timeUnwritten_ = plan.signatureUnwritten;
    measureStart_.assign(measures + 1, Rational{});
    for (size_t m = 0; m < measures; ++m) {
        const Rational& start = measureStart_[m];
        const Rational& length = plan.lengths[m];
        measureStart_[m + 1] = Reduce(start.num * length.den + length.num * start.den, start.den * length.den);
        if (measureStart_[m + 1].num > 32767 || measureStart_[m + 1].den > 32767) {
            error = "measure " + std::to_string(m + 2) + " starts at a time that cannot be written";
            return {};
        }
    }
    // A score without a time signature is written with its first full measure's.
    PartState first;
    if (plan.beats != 0) first.beats = plan.beats, first.beatType = plan.beatType;
    partAt_.assign(measures + 1, std::vector<PartState>(score_.parts.size(), first));

    // System and page breaks.
    std::vector<int> systemStarts{0};
    std::vector<bool> startsPage{true};  // by system
    for (size_t m = 1; m < measures; ++m) {
        bool mark = false;
        bool page = false;
        for (const MxlPart& part : score_.parts)
            if (m < part.measures.size())
                for (const MxlItem& item : part.measures[m].items)
                    if (item.kind == MxlItemKind::NewSystem) {
                        mark = true;
                        page = page || item.value == 1;
                    }
        if (mark || static_cast<int>(m) - systemStarts.back() >= kMeasuresPerSystem) {
            systemStarts.push_back(static_cast<int>(m));
            startsPage.push_back(page);
        }
    }
    systemStarts.push_back(static_cast<int>(measures));
    // A thick and a thin line begin a system only: inside one the score draws them plain.
    barlines_ = BarlinesBetweenMeasures(score_, measures);
    for (size_t m = 1; m < measures; ++m)
        if (NiffChunksOf(barlines_[m]).lineTypes == std::vector<int>{kNiffThickLine, kNiffThinLine} &&
            !std::binary_search(systemStarts.begin(), systemStarts.end(), static_cast<int>(m)))
            skipped_.Count("heavy-light barline inside a system");

    NiffWriter data;
    data.BeginList("data");
    const int systems = static_cast<int>(systemStarts.size()) - 1;
    int pages = 0;
    for (int system = 0; system < systems; ++system) {
        if (startsPage[static_cast<size_t>(system)]) {
            if (system > 0) data.EndList();
            data.BeginList("page");
            Chunk(data, "pghd");
            data.Tag(48, {geometry_.pageWidth()});
            data.Tag(17, {geometry_.pageHeight()});
            data.EndChunk();
            WritePageTexts(data, ++pages);
        }
        data.BeginList("syst");
        Chunk(data, "syhd");
        data.EndChunk();
        // Groups name the score's staves from 1; a part of several staves has its
        // brace also inside a group of parts.
        int staffNumber = 1;
        for (size_t p = 0; p < score_.parts.size(); ++p) {
            const int staves = static_cast<int>(staves_[p].size());
            const MxlPart& part = score_.parts[p];
            const bool group = part.groupBracket != 0 && part.groupEnd >= static_cast<int>(p);
            if (group) {
                int last = staffNumber;
                for (int q = static_cast<int>(p); q <= part.groupEnd; ++q) last += static_cast<int>(staves_[q].size());
                Chunk(data, "stfg", {part.groupBracket, staffNumber, last - 1});
                data.EndChunk();
            }
            if (staves > 1 && !(group && part.groupBracket == 2 && part.groupEnd == static_cast<int>(p))) {
                Chunk(data, "stfg", {2, staffNumber, staffNumber + staves - 1});
                data.EndChunk();
            }
            staffNumber += staves;
        }
        for (size_t p = 0; p < score_.parts.size(); ++p)
            for (int staff = 1; staff <= static_cast<int>(staves_[p].size()); ++staff)
                WriteStaff(data, static_cast<int>(p), staff, systemStarts[system], systemStarts[system + 1]);
        data.EndList();
    }
    data.EndList();  // page
    data.EndList();  // data
    for (const MxlCredit& credit : score_.credits)
        if (credit.page > pages) skipped_.Count("credit on a page after the last");

    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("INFO");
    out.BeginChunk("ISFT");
    out.Text(std::string_view("ql-mxl2niff\0", 12));
    out.EndChunk();
    out.EndList();
    out.BeginList("setp");
    Chunk(out, "nnfo", {"6b", 0, 1, 1440, 480});
    out.EndChunk();
    std::vector<uint32_t> nameOffsets;
    for (const MxlPart& part : score_.parts) {
        nameOffsets.push_back(strings_.Add(part.name));
        nameOffsets.push_back(strings_.Add(part.abbreviation));
    }
    used_.insert("part");
    used_.insert("clt ");
    used_.insert("stbl");
    out.BeginChunk("clt ");
    for (const niff::NiffChunkRecord& record : niff::BuiltInNiffChunkSchema()) {
        const char id[4] = {static_cast<char>(record.id[0]), static_cast<char>(record.id[1]),
                            static_cast<char>(record.id[2]), static_cast<char>(record.id[3])};
        if (record.fixedSize < 0 || !used_.contains(std::string(id, 4))) continue;
        const uint8_t entry[8] = {static_cast<uint8_t>(id[0]), static_cast<uint8_t>(id[1]), static_cast<uint8_t>(id[2]),
                                  static_cast<uint8_t>(id[3]), 0, 0, static_cast<uint8_t>(record.fixedSize >> 8),
                                  static_cast<uint8_t>(record.fixedSize)};
        out.Bytes(entry);
    }
    out.EndChunk();
    out.BeginChunk("stbl");
    out.Bytes(strings_.bytes());
    out.EndChunk();
    out.BeginList("prts");
    for (size_t p = 0; p < score_.parts.size(); ++p) {
        const MxlPart& part = score_.parts[p];
        out.BeginChunk("part", {static_cast<int>(p), nameOffsets[2 * p], nameOffsets[2 * p + 1],
                                static_cast<int>(staves_[p].size()), part.midiChannel - 1, -1,
                                std::clamp(-part.transpose, -127, 127)});
        out.EndChunk();
    }
    out.EndList();
    out.EndList();
    out.Bytes(data.bytes());
    out.EndList();
    return out.Take();
}

}  // namespace

std::vector<uint8_t> WriteScoreAsNiff(const MxlScore& score, ImportReport& skipped, std::string& error) {
    Converter converter(score, skipped);
    return converter.Run(error);
}

}  // namespace ql::musicxml
