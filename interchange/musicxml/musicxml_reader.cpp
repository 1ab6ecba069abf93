// The streaming MusicXML reader: expat events drive a small state machine that
// fills the model. Element names outside the converted set are counted once per
// occurrence (their content is not looked at); numbers out of range skip their
// item with a count (a note's time is kept). Parts and measures are read only in
// their place and a part once; others are left out with a count.
#include "interchange/musicxml/musicxml_reader.h"

#include <expat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <set>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/objects/dynamic_marks.h"
#include "interchange/musicxml/musicxml_barlines.h"
#include "interchange/musicxml/musicxml_harmony.h"
#include "interchange/musicxml/musicxml_notations.h"
#include "interchange/musicxml/musicxml_pedals.h"
#include "interchange/musicxml/musicxml_tempo.h"

namespace ql::musicxml {
namespace {

constexpr int kMaxAlter = 2;          // a double sharp or flat
constexpr int kMostVerses = 4;
constexpr size_t kMaxVoiceName = 40;  // the part of a voice's text that tells voices apart

// Elements read, or containers whose children are read.
const std::unordered_set<std::string_view>& ConvertedElements() {
    static const std::unordered_set<std::string_view> names = {
        "score-partwise", "score-timewise", "part-list", "score-part", "part-name", "part-abbreviation",
        "part-group", "group-symbol", "midi-instrument", "midi-channel", "transpose", "chromatic",
        "octave-change", "part", "measure", "attributes", "divisions", "key", "fifths", "time", "beats",
        "beat-type", "staves", "clef", "sign", "line", "clef-octave-change", "staff-details", "staff-lines",
        "note", "pitch", "step", "alter", "octave", "rest", "display-step", "display-octave", "chord",
        "duration", "type", "dot", "voice", "staff", "accidental", "stem", "beam", "tie", "notations",
        "tied", "lyric", "syllabic", "text", "backup", "forward", "direction", "direction-type",
        "dynamics", "words", "print", "credit", "credit-words", "work", "work-title", "movement-title",
        "identification", "defaults", "scaling", "page-layout", "grace", "score-instrument",
        "instrument-name", "millimeters", "tenths", "page-height", "page-width", "mode", "cancel",
        "midi-program", "midi-unpitched", "volume", "pan", "encoding", "software", "encoding-date",
        "miscellaneous", "miscellaneous-field",  // notes about the file, as its encoding: nothing to show
        "creator", "rights", "supports", "encoder", "page-margins", "left-margin", "right-margin",
        "top-margin", "bottom-margin", "system-layout", "staff-layout", "work-number", "measure-numbering",
        "system-margins", "system-distance", "top-system-distance", "staff-distance", "instrument", "slur",
        "tuplet", "tuplet-actual", "tuplet-normal", "tuplet-number", "tuplet-type", "tuplet-dot",
        "time-modification", "actual-notes", "normal-notes", "normal-type", "normal-dot", "credit-type",
        "wedge", "octave-shift", "articulations", "barline", "ending", "elision", "technical", "ornaments",
        "arpeggiate", "cue", "bar-style", "repeat", "metronome", "beat-unit", "beat-unit-dot", "per-minute", "sound", "harmony", "root", "root-step",
        "root-alter", "kind", "bass", "bass-step", "bass-alter", "pedal", "rehearsal", "notehead"};
    return names;
}

// The whole number a trimmed text writes, else -1: a text that names rather than
// numbers is no error.
int PlainNumber(std::string_view text) {
    int value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size() && value >= 0 ? value : -1;
}

int AccidentalCode(std::string_view name) {
    if (name == "flat-flat" || name == "double-flat") return 1;
    if (name == "flat") return 2;
    if (name == "natural") return 3;
    if (name == "sharp") return 4;
    if (name == "double-sharp" || name == "sharp-sharp") return 5;
    return 0;
}

int TypeValue(std::string_view name) {
    static constexpr std::pair<std::string_view, int> kTypes[] = {
        {"maxima", -8}, {"long", -4}, {"breve", -2}, {"whole", 1}, {"half", 2}, {"quarter", 4}, {"eighth", 8},
        {"16th", 16}, {"32nd", 32}, {"64th", 64}, {"128th", 128}, {"256th", 256}};
    for (const auto& [text, value] : kTypes)
        if (name == text) return value;
    return 0;
}

// The NIFF code of a dynamic element by its letters; 0 for one the score cannot
// show or NIFF cannot name (counted by the caller).
int DynamicCode(std::string_view name) {
    const DynamicSign* mark = DynamicOfLetters(name);
    return mark != nullptr ? mark->niffCodes[0] : 0;
}

class Reader {
  public:
    Reader(MxlScore& score, ImportReport& skipped) : score_(score), skipped_(skipped) {}
    bool Run(std::span<const uint8_t> bytes, std::string& error);

  private:
    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        static_cast<Reader*>(self)->Start(name, attributes);
    }
    static void XMLCALL OnEnd(void* self, const XML_Char* name) { static_cast<Reader*>(self)->End(name); }
    static void XMLCALL OnText(void* self, const XML_Char* text, int length) {
        static_cast<Reader*>(self)->Text(text, length);
    }
    static void XMLCALL OnEntityDecl(void* self, const XML_Char* name, int, const XML_Char*, int,
                                     const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*) {
        static_cast<Reader*>(self)->Fail(std::string("entity declarations are not accepted (\"") + name + "\")");
    }
    static int XMLCALL OnUnknownEncoding(void* self, const XML_Char* name, XML_Encoding*) {
        static_cast<Reader*>(self)->unknownEncoding_ = name;
        return XML_STATUS_ERROR;
    }
    // A named entity the document leaves to its external DTD, which is never read.
    static void XMLCALL OnSkippedEntity(void* self, const XML_Char*, int parameter) {
        if (parameter == 0) static_cast<Reader*>(self)->skipped_.Count(kExternalEntities);
    }

    void Start(std::string_view name, const XML_Char** attributes);
    void End(std::string_view name);
    void Text(const char* text, int length);
    void Fail(std::string message);
    const char* Attribute(const XML_Char** attributes, const char* name) const;
    // A whole number in [low, high], else the item is marked bad and counted.
    bool Number(std::string_view text, int low, int high, int& out);
    // A decimal number in [low, high] for sizes and positions; else counted, and
    // `out` keeps its value.
    bool Decimal(std::string_view text, double low, double high, double& out);
    std::string_view Parent(int up = 1) const {
        return stack_.size() > static_cast<size_t>(up) ? std::string_view(stack_[stack_.size() - 1 - up])
                                                       : std::string_view();
    }
    // The measure being read: null outside one, and never past what its part holds.
    MxlMeasure* Measure();
    MxlMeasure* DirectiveHome();
    void StartPart(const XML_Char** attributes);
    void StartMeasure(const XML_Char** attributes);
    void AddItem(MxlItem item);
    void PlaceNoteDynamics(const MxlNote& note);
    // A measure counts its durations in one unit: the divisions in force where it
    // starts, or, where the file changes them after some durations, a common
    // multiple of the old and the new in which the durations read so far are
    // recounted and those after are read.
    void EnterMeasureDivisions();
    void ChangeDivisions(int divisions);
    void CountDuration(int& duration);
    // Counts the element as `kind` and leaves it and its content out.
    void Refuse(std::string_view kind) {
        skipped_.Count(kind);
        skipDepth_ = 1;
    }
    // The voice of the note from its text: a number from 1 to 16, else the
    // part's next free voice, the same one for each use of the text.
    int VoiceOf(const std::string& text);
    // The verse of a lyric from its number: the number when it is one, else (a
    // name, as "verse1" or "1a") the part's verses by their names' order of
    // appearance, the same one for each use of the name.
    int VerseOf(std::string_view text);
    void EndLyric();
    void EndHarmony();

    MxlScore& score_;
    ImportReport& skipped_;
    XML_Parser parser_ = nullptr;
    std::string error_;
    std::string unknownEncoding_;
    std::vector<std::string> stack_;
    int skipDepth_ = 0;  // >0 inside an element that is not converted
    std::string text_;
    bool timewise_ = false;
    int listPart_ = -1;        // the part-list entry being read
    int part_ = -1;            // the part whose music is being read
    int measure_ = -1;         // its measure
    int timewiseMeasures_ = 0;
    bool timewiseImplicit_ = false;
    std::vector<int> partMeasures_;
    std::vector<int> statedDivisions_;  // per part: the file's divisions in force, 0 before any
    // Parts read: in a partwise score the parts met so far, in a timewise one the
    // parts of the current measure. A part is read once.
    std::vector<bool> partsRead_;
    std::set<std::string> unlisted_;   // ids of parts the part list does not name
    std::vector<std::map<std::string, int>> voiceNames_;  // per part: voice text -> voice
    std::vector<std::map<std::string, int>> verseNames_;  // per part: verse name -> verse
    std::vector<std::set<int>> voicesUsed_;               // per part: the voices of its notes so far
    bool nameHidden_ = false;  // the part name being read has print-object="no"
    std::string lyricText_;    // the syllables of the lyric being read, joined at elisions
    bool bad_ = false;         // a number of the current item was out of range
    MxlItem item_;             // the note, clef, time or direction being read
    int clefStaff_ = 1;
    int staffDetails_ = 1;
    int lyricVerse_ = 1;
    std::string syllabic_;
    bool lyricExtends_ = false;  // an extender line starts at the lyric's syllable
    std::vector<int> openGroups_;  // part-group numbers: their first part
    std::vector<int> groupSymbols_;
    std::vector<MxlItem> directions_;
    std::vector<MxlItem> noteDynamics_;  // the dynamics in the <notations> of the note being read
    int directionSide_ = 0;   // the direction's placement: 1 above, 2 below, 0 not given
    int markSide_ = 0;        // the side of the direction's mark being read
    bool directive_ = false;  // the direction is a directive: it speaks for the whole score
    int rehearsalFrame_ = 0;  // the frame of the rehearsal mark being read (MxlItem::value)
    // The directives' words read so far, by measure: a file that gives one in each
    // part (as a tempo word) has it printed once, over the first part that gives it.
    std::set<std::pair<int, std::string>> directiveWords_;
    bool leftBarline_ = false; // the barline being read starts its measure
    TempoReading tempo_;       // the direction's metronome mark and sound tempo
    MxlHarmony harmony_;       // the chord symbol being read
    std::vector<MxlHarmony> stacked_;  // the chords of the harmony read before it
    std::string creatorType_;  // the type of the creator being read
    MxlCredit credit_;         // the credit being read: its page, then each words' place
    std::set<std::pair<int, std::string>> percussionSounds_;  // (part, instrument id) counted
};

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// 1 above, 2 below, 0 otherwise, from a placement or orientation attribute.
int SideOf(const char* value) {
    if (value == nullptr) return 0;
    if (std::strcmp(value, "above") == 0 || std::strcmp(value, "over") == 0) return 1;
    if (std::strcmp(value, "below") == 0 || std::strcmp(value, "under") == 0) return 2;
    return 0;
}

// A note head's shape by its name: 0 the plain head, -1 one the score cannot draw
// (its stems do not yet meet the diamond, slash and triangle heads as they should).
int HeadShape(std::string_view name) {
    constexpr std::pair<std::string_view, int> kShapes[] = {
        {"normal", 0}, {"x", kHeadX}, {"square", kHeadSquare}, {"rectangle", kHeadSquare}};
    for (const auto& [shape, code] : kShapes)
        if (shape == name) return code;
    return -1;
}

// A rehearsal mark's frame by its enclosure: a box unless the file asks for none
// or a round one.
int RehearsalFrame(const char* enclosure) {
    constexpr int kBox = 1, kCircle = 2;
    if (enclosure == nullptr) return kBox;
    const std::string_view shape = enclosure;
    if (shape == "none") return 0;
    return shape == "circle" || shape == "oval" || shape == "ellipse" ? kCircle : kBox;
}

// The side of a direction's mark: its own placement, else its direction's, else
// the side of the staff its default-y (tenths up from the top line) lies on.
int DirectionMarkSide(const char* placement, int directionSide, const char* defaultY) {
    constexpr double kStaffTenths = 40.0;
    if (const int side = SideOf(placement); side != 0) return side;
    if (directionSide != 0 || defaultY == nullptr) return directionSide;
    const double y = std::strtod(defaultY, nullptr);
    return y > 0.0 ? 1 : y < -kStaffTenths ? 2 : 0;
}

void Reader::Fail(std::string message) {
    if (!error_.empty()) return;
    error_ = "line " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
             std::to_string(XML_GetCurrentColumnNumber(parser_) + 1) + ": " + std::move(message);
    XML_StopParser(parser_, XML_FALSE);
}

const char* Reader::Attribute(const XML_Char** attributes, const char* name) const {
    for (int i = 0; attributes[i] != nullptr; i += 2)
        if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
    return nullptr;
}

bool Reader::Number(std::string_view text, int low, int high, int& out) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    // Decimal values written as whole numbers ("2.0") are accepted.
    const size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    if (point != std::string_view::npos && text.substr(point + 1).find_first_not_of('0') != std::string_view::npos)
        whole = {};
    int value = 0;
    const auto [end, status] = std::from_chars(whole.data(), whole.data() + whole.size(), value);
    if (whole.empty() || status != std::errc() || end != whole.data() + whole.size() || value < low || value > high) {
        bad_ = true;
        skipped_.Count("out-of-range number in <" + stack_.back() + ">");
        return false;
    }
    out = value;
    return true;
}

bool Reader::Decimal(std::string_view text, double low, double high, double& out) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || status != std::errc() || end != text.data() + text.size() || !(value >= low && value <= high)) {
        skipped_.Count("out-of-range number in <" + stack_.back() + ">");
        return false;
    }
    out = value;
    return true;
}

// Where the words of the direction being read stand when it is a directive at its
// measure's start in a later part: the first part's measure, over the top of the
// system as a tempo word is. Null otherwise (its own part keeps it).
MxlMeasure* Reader::DirectiveHome() {
    const MxlMeasure* own = Measure();
    if (!directive_ || part_ <= 0 || own == nullptr) return nullptr;
    for (const MxlItem& item : own->items)
        if ((item.kind == MxlItemKind::Note && !item.note.grace) ||
            item.kind == MxlItemKind::Forward)
            return nullptr;
    std::vector<MxlMeasure>& first = score_.parts.front().measures;
    return static_cast<size_t>(measure_) < first.size() ? &first[static_cast<size_t>(measure_)]
                                                        : nullptr;
}

MxlMeasure* Reader::Measure() {
    if (part_ < 0 || measure_ < 0 || static_cast<size_t>(part_) >= score_.parts.size()) return nullptr;
    std::vector<MxlMeasure>& measures = score_.parts[static_cast<size_t>(part_)].measures;
    return static_cast<size_t>(measure_) < measures.size() ? &measures[static_cast<size_t>(measure_)] : nullptr;
}

// A part's music: in a partwise score directly in the score, in a timewise one
// directly in one of its measures, and once there. A part the part list does not
// name is left out and reported.
void Reader::StartPart(const XML_Char** attributes) {
    const bool placed = timewise_ ? stack_.size() == 3 && Parent() == "measure" && measure_ >= 0 : stack_.size() == 2;
    if (!placed) return Refuse(kPartsOutOfPlace);
    const char* id = Attribute(attributes, "id");
    int found = -1;
    for (size_t p = 0; p < score_.parts.size() && id != nullptr; ++p)
        if (score_.parts[p].id == id) found = static_cast<int>(p);
    if (found < 0) {
        if (unlisted_.insert(id != nullptr ? std::string(id).substr(0, 40) : std::string()).second)
            skipped_.Count(kUnlistedParts);
        skipDepth_ = 1;
        return;
    }
    if (partsRead_[static_cast<size_t>(found)]) return Refuse(kRepeatedParts);
    partsRead_[static_cast<size_t>(found)] = true;
    part_ = found;
    if (!timewise_) return;
    std::vector<MxlMeasure>& measures = score_.parts[static_cast<size_t>(part_)].measures;
    if (measures.size() <= static_cast<size_t>(measure_)) measures.resize(static_cast<size_t>(measure_) + 1);
    measures[static_cast<size_t>(measure_)].implicit = timewiseImplicit_;
    EnterMeasureDivisions();
}

// A measure: in a partwise score directly in a part being read, in a timewise one
// directly in the score (its parts follow inside it).
void Reader::StartMeasure(const XML_Char** attributes) {
    const bool placed = timewise_ ? stack_.size() == 2 : stack_.size() == 3 && Parent() == "part" && part_ >= 0;
    if (!placed) return Refuse(kMeasuresOutOfPlace);
    int& counter = timewise_ ? timewiseMeasures_ : partMeasures_[static_cast<size_t>(part_)];
    measure_ = counter++;
    if (measure_ >= kMaxMeasures)
        return Fail("the score has more than " + std::to_string(kMaxMeasures) + " measures, more than a score can hold");
    const char* implicit = Attribute(attributes, "implicit");
    const bool isImplicit = implicit != nullptr && std::strcmp(implicit, "yes") == 0;
    if (timewise_) {
        timewiseImplicit_ = isImplicit;
        std::fill(partsRead_.begin(), partsRead_.end(), false);
        return;
    }
    std::vector<MxlMeasure>& measures = score_.parts[static_cast<size_t>(part_)].measures;
    if (measures.size() <= static_cast<size_t>(measure_)) measures.resize(static_cast<size_t>(measure_) + 1);
    measures[static_cast<size_t>(measure_)].implicit = isImplicit;
    EnterMeasureDivisions();
}

void Reader::EnterMeasureDivisions() {
    MxlMeasure* measure = Measure();
    if (measure != nullptr) measure->divisions = statedDivisions_[static_cast<size_t>(part_)];
}

void Reader::ChangeDivisions(int divisions) {
    constexpr int64_t kMostCounted = int64_t{1} << 28;  // a duration recounted stays well inside an int
    MxlMeasure* measure = Measure();
    statedDivisions_[static_cast<size_t>(part_)] = divisions;
    const int unit = measure->divisions != 0 ? measure->divisions : 1;
    int64_t longest = 0;
    for (const MxlItem& item : measure->items) longest = std::max<int64_t>({longest, item.amount, item.note.duration});
    const int64_t common = std::lcm(int64_t{unit}, int64_t{divisions});
    if (longest == 0 || unit == divisions || longest * (common / unit) > kMostCounted) {
        measure->divisions = divisions;
        return;
    }
    const int factor = static_cast<int>(common / unit);
    for (MxlItem& item : measure->items) {
        item.amount *= factor;
        item.note.duration *= factor;
    }
    measure->divisions = static_cast<int>(common);
}

void Reader::CountDuration(int& duration) {
    const MxlMeasure* measure = Measure();
    const int stated = part_ >= 0 ? statedDivisions_[static_cast<size_t>(part_)] : 0;
    if (measure != nullptr && stated != 0 && measure->divisions > stated) duration *= measure->divisions / stated;
}

int Reader::VoiceOf(const std::string& text) {
    if (part_ < 0) return 1;
    std::set<int>& used = voicesUsed_[static_cast<size_t>(part_)];
    const std::string_view trimmed = Trimmed(text);
    const int voice = PlainNumber(trimmed);
    if (voice >= 1 && voice <= kMaxVoices) return voice;
    const auto [named, added] = voiceNames_[static_cast<size_t>(part_)].emplace(trimmed.substr(0, kMaxVoiceName), 0);
    if (added) {
        skipped_.Count(kVoicesWithoutNumber);
        int free = 1;
        while (free < kMaxVoices && used.contains(free)) ++free;
        named->second = free;
        used.insert(free);
    }
    return named->second;
}

int Reader::VerseOf(std::string_view text) {
    const std::string_view trimmed = Trimmed(text);
    const int verse = PlainNumber(trimmed);
    if (verse >= 1 || part_ < 0) return verse;
    std::map<std::string, int>& names = verseNames_[static_cast<size_t>(part_)];
    const int next = static_cast<int>(names.size()) + 1;
    return names.emplace(trimmed.substr(0, kMaxVoiceName), next).first->second;
}

// The lyric's syllables (two or more when elided) as one text under the note,
// with a hyphen after a syllable that begins or continues a word, and "_" after one
// that ends a word and starts a melisma's extender line. A note gives each
// verse one syllable: a lyric whose verse the note already has (files tell verses
// apart by name as well as by number) takes the next verse the note leaves free.
void Reader::EndLyric() {
    if (lyricText_.empty()) return;
    const auto& lyrics = item_.note.lyrics;
    while (lyricVerse_ >= 1 && std::any_of(lyrics.begin(), lyrics.end(), [&](const auto& lyric) {
               return lyric.first == lyricVerse_;
           }))
        ++lyricVerse_;
    if (lyricVerse_ < 1 || lyricVerse_ > kMostVerses) return skipped_.Count("lyric verse above 4");
    const bool hyphen = syllabic_ == "begin" || syllabic_ == "middle";
    item_.note.lyrics.emplace_back(lyricVerse_, lyricText_ + (hyphen ? "-" : lyricExtends_ ? "_" : ""));
}

// The chord symbols of a harmony at their place among the notes, moved by its
// offset: one per chord it stacks, in the file's order. One without a root (a
// function or a numeral) is counted, and one of a kind the score does not hold is
// written as a text, counted.
void Reader::EndHarmony() {
    stacked_.push_back(harmony_);
    if (bad_) return stacked_.clear();
    for (const MxlHarmony& chord : stacked_) {
        if (chord.root == 0) {
            skipped_.Count("chord symbol without a root");
            continue;
        }
        const ChordSymbolText symbol = ChordSymbolTextOf(chord);
        if (!symbol.held) skipped_.Count("chord symbol of another kind (shown as a text)");
        item_.text = symbol.text;
        AddItem(item_);
    }
    stacked_.clear();
}

void Reader::AddItem(MxlItem item) {
    if (MxlMeasure* measure = Measure()) measure->items.push_back(std::move(item));
}

// The dynamics a note carries stand on its staff at its time: before the note, or
// before the first note of the chord it belongs to.
void Reader::PlaceNoteDynamics(const MxlNote& note) {
    MxlMeasure* measure = Measure();
    if (measure != nullptr && !noteDynamics_.empty()) {
        auto at = measure->items.end();
        for (auto it = measure->items.rbegin(); note.chord && it != measure->items.rend(); ++it)
            if (it->kind == MxlItemKind::Note && !it->note.chord && !it->note.grace) {
                at = std::prev(it.base());
                break;
            }
        for (MxlItem& mark : noteDynamics_) {
            mark.staff = note.staff;
            at = std::next(measure->items.insert(at, mark));
        }
    }
    noteDynamics_.clear();
}

void Reader::Start(std::string_view name, const XML_Char** attributes) {
    stack_.emplace_back(name);
    if (stack_.size() > static_cast<size_t>(kMaxXmlDepth))
        return Fail("elements nested deeper than " + std::to_string(kMaxXmlDepth) + " levels");
    text_.clear();
    if (skipDepth_ > 0) {
        ++skipDepth_;
        return;
    }
    if (stack_.size() == 1) {
        if (name != "score-partwise" && name != "score-timewise")
            return Fail("not a MusicXML score (the document is <" + std::string(name) + ">)");
        timewise_ = name == "score-timewise";
        return;
    }
    if (IsNoteMarkGroup(Parent()) || (name == "fermata" && Parent() == "notations")) {
        const char* length = Attribute(attributes, "long");
        if (!AddNoteMark(item_.note, Parent(), name, length != nullptr && std::strcmp(length, "yes") == 0))
            skipped_.Count(std::string(name));
        skipDepth_ = 1;
        return;
    }
    if (name == "unpitched" && Parent() == "note") {
        item_.note.unpitched = true;  // at its display step, else on the middle line
        item_.note.step = 0;
        return;
    }
    if (name == "degree" && Parent() == "harmony") return Refuse("chord symbol degree (left out)");
    if (name == "offset" && (Parent() == "harmony" || Parent() == "direction")) return;
    // A melisma's extender line starts at the syllable of a lyric whose extend has no
    // type or starts; one that continues or stops it adds nothing.
    if (name == "extend" && Parent() == "lyric") {
        const char* type = Attribute(attributes, "type");
        lyricExtends_ = lyricExtends_ || type == nullptr || std::strcmp(type, "start") == 0;
        return;
    }
    if ((name == "group-name" || name == "group-abbreviation") && Parent() == "part-group")
        return Refuse(kPartGroupNames);
    if (!ConvertedElements().contains(name) && Parent() != "dynamics") {
        skipDepth_ = 1;
        skipped_.Count(std::string(name));
        return;
    }
    if (name == "score-part" && Parent() == "part-list") {
        const char* id = Attribute(attributes, "id");
        for (const MxlPart& listed : score_.parts)
            if (id != nullptr && listed.id == id) return Refuse(kRepeatedListIds);
        if (score_.parts.size() >= static_cast<size_t>(kMaxStaves)) return Fail("more than 44 parts");
        MxlPart part;
        if (id != nullptr) part.id = id;
        score_.parts.push_back(std::move(part));
        partMeasures_.push_back(0);
        statedDivisions_.push_back(0);
        partsRead_.push_back(false);
        voiceNames_.emplace_back();
        verseNames_.emplace_back();
        voicesUsed_.emplace_back();
        listPart_ = static_cast<int>(score_.parts.size()) - 1;
        for (size_t g = 0; g < openGroups_.size(); ++g)
            if (openGroups_[g] == -2) openGroups_[g] = static_cast<int>(score_.parts.size()) - 1;
    } else if (name == "part-group" && Parent() == "part-list") {
        const char* type = Attribute(attributes, "type");
        if (type != nullptr && std::strcmp(type, "start") == 0) {
            openGroups_.push_back(-2);  // its first part is the next one
            groupSymbols_.push_back(0);
        } else if (type != nullptr && std::strcmp(type, "stop") == 0 && !openGroups_.empty()) {
            const int first = openGroups_.back();
            const int symbol = groupSymbols_.back();
            openGroups_.pop_back();
            groupSymbols_.pop_back();
            if (first >= 0 && symbol != 0) {
                score_.parts[first].groupBracket = symbol;
                score_.parts[first].groupEnd = static_cast<int>(score_.parts.size()) - 1;
            }
        }
    } else if (name == "part") {
        StartPart(attributes);
    } else if (name == "measure") {
        StartMeasure(attributes);
    } else if (name == "note") {
        item_ = MxlItem{};
        noteDynamics_.clear();
        bad_ = false;
        const char* printed = Attribute(attributes, "print-object");
        item_.note.hidden = printed != nullptr && std::strcmp(printed, "no") == 0;
    } else if (name == "backup" || name == "forward") {
        item_ = MxlItem{};
        item_.kind = name == "backup" ? MxlItemKind::Backup : MxlItemKind::Forward;
        bad_ = false;
    } else if (name == "clef") {
        item_ = MxlItem{};
        item_.kind = MxlItemKind::Clef;
        bad_ = false;
        clefStaff_ = 1;
        if (const char* number = Attribute(attributes, "number")) Number(number, 1, kMaxPartStaves, clefStaff_);
        item_.staff = clefStaff_;
    } else if (name == "time") {
        score_.timeWritten = true;
        item_ = MxlItem{};
        item_.kind = MxlItemKind::Time;
        bad_ = false;
        if (const char* symbol = Attribute(attributes, "symbol")) {
            if (std::strcmp(symbol, "common") == 0) item_.symbol = 1;
            if (std::strcmp(symbol, "cut") == 0) item_.symbol = 2;
        }
    } else if (name == "key") {
        item_ = MxlItem{};
        item_.kind = MxlItemKind::Key;
        bad_ = false;
    } else if (name == "transpose" && part_ >= 0) {
        score_.parts[part_].transpose = 0;  // each transpose element states it whole
    } else if (name == "staff-details") {
        staffDetails_ = 1;
        if (const char* number = Attribute(attributes, "number")) Number(number, 1, kMaxPartStaves, staffDetails_);
    } else if (name == "direction") {
        directions_.clear();
        item_ = MxlItem{};
        bad_ = false;
        directionSide_ = SideOf(Attribute(attributes, "placement"));
        tempo_.StartDirection();
        const char* directive = Attribute(attributes, "directive");
        directive_ = directive != nullptr && std::strcmp(directive, "yes") == 0;
    } else if (name == "part-name" || name == "part-abbreviation") {
        const char* printed = Attribute(attributes, "print-object");
        nameHidden_ = printed != nullptr && std::strcmp(printed, "no") == 0;
    } else if (name == "lyric") {
        lyricVerse_ = 1;
        syllabic_.clear();
        lyricText_.clear();
        lyricExtends_ = false;
        if (const char* number = Attribute(attributes, "number")) lyricVerse_ = VerseOf(number);
    } else if (name == "print") {
        const char* system = Attribute(attributes, "new-system");
        const char* page = Attribute(attributes, "new-page");
        const bool newPage = page && std::strcmp(page, "yes") == 0;
        if ((system && std::strcmp(system, "yes") == 0) || newPage) {
            MxlItem item;
            item.kind = MxlItemKind::NewSystem;
            item.value = newPage ? 1 : 0;
            AddItem(item);
        }
    } else if (name == "tied" && Parent() == "notations") {
        item_.note.tieSide = SideOf(Attribute(attributes, "orientation"));
        if (item_.note.tieSide == 0) item_.note.tieSide = SideOf(Attribute(attributes, "placement"));
        const char* type = Attribute(attributes, "type");
        if (type && std::strcmp(type, "start") == 0) item_.note.tieStart = true;
        if (type && std::strcmp(type, "stop") == 0) item_.note.tieStop = true;
    } else if (name == "slur" && Parent() == "notations") {
        const char* type = Attribute(attributes, "type");
        MxlSlur slur;
        slur.start = type != nullptr && std::strcmp(type, "start") == 0;
        slur.side = SideOf(Attribute(attributes, "placement"));
        if (const char* number = Attribute(attributes, "number")) {
            const bool wasBad = bad_;
            const bool known = Number(number, 1, 16, slur.number);
            bad_ = wasBad;
            if (!known) return;
        }
        if (slur.start || (type != nullptr && std::strcmp(type, "stop") == 0)) item_.note.slurs.push_back(slur);
    }
    if (name == "dynamics" && Parent() == "notations") markSide_ = SideOf(Attribute(attributes, "placement"));
    if (Parent() == "direction-type")
        markSide_ = DirectionMarkSide(Attribute(attributes, "placement"), directionSide_,
                                      Attribute(attributes, "default-y"));
    if (name == "rehearsal") rehearsalFrame_ = RehearsalFrame(Attribute(attributes, "enclosure"));
    if (name == "notehead" && Parent() == "note") {
        const char* filled = Attribute(attributes, "filled");
        item_.note.headFilled = filled == nullptr ? -1 : std::strcmp(filled, "no") != 0;
    }
    if ((name == "wedge" || name == "octave-shift") && Parent() == "direction-type") {
        const char* type = Attribute(attributes, "type");
        const std::string_view kind = type != nullptr ? type : "";
        MxlItem mark;
        mark.kind = name == "wedge" ? MxlItemKind::Wedge : MxlItemKind::OctaveShift;
        mark.side = markSide_;
        mark.line = 1;
        mark.extra = 8;
        const bool wasBad = bad_;
        const char* number = Attribute(attributes, "number");
        const char* size = Attribute(attributes, "size");
        const bool known = (number == nullptr || Number(number, 1, 16, mark.line)) &&
                           (size == nullptr || Number(size, 8, 15, mark.extra));
        bad_ = wasBad;
        if (kind == "crescendo" || kind == "down") mark.value = 1;
        else if (kind == "diminuendo" || kind == "up") mark.value = 2;
        else if (kind != "stop") return skipped_.Count(std::string(name) + " " + std::string(kind.substr(0, 20)));
        if (known && mark.kind == MxlItemKind::OctaveShift && mark.extra != 8 && mark.extra != 15) {
            skipped_.Count("octave-shift of another size");
        } else if (known) {
            directions_.push_back(mark);
        }
    } else if (name == "pedal" && Parent() == "direction-type") {
        if (std::optional<MxlItem> pedal = PedalItem(Attribute(attributes, "type"), Attribute(attributes, "line"),
                                                     Attribute(attributes, "sign"), skipped_)) {
            pedal->side = markSide_;
            directions_.push_back(*pedal);
        }
    } else if (name == "ending" && Parent() == "barline") {
        const char* type = Attribute(attributes, "type");
        const char* number = Attribute(attributes, "number");
        const std::string_view kind = type != nullptr ? type : "";
        MxlItem ending;
        ending.kind = MxlItemKind::Ending;
        ending.value = kind == "start" ? 1 : kind == "stop" ? 2 : kind == "discontinue" ? 3 : 0;
        // "1, 2" as the passes the ending is played on, "1. 2. ".
        for (const char* c = number; c != nullptr && *c != 0 && ending.text.size() < 24; ++c)
            if (*c >= '1' && *c <= '9' && (c[1] < '0' || c[1] > '9') && (c == number || c[-1] < '0' || c[-1] > '9'))
                ending.text += std::string(1, *c) + ". ";
        if (ending.value == 0 || (ending.value == 1 && ending.text.empty()))
            skipped_.Count("ending " + std::string(kind.substr(0, 20)));
        else
            AddItem(ending);
    } else if (name == "metronome" && Parent() == "direction-type") {
        const char* printed = Attribute(attributes, "print-object");
        tempo_.StartMetronome(printed == nullptr || std::strcmp(printed, "no") != 0);
    } else if (name == "beat-unit-dot" && Parent() == "metronome") {
        tempo_.BeatUnitDot();
    } else if (name == "sound" && (Parent() == "direction" || Parent() == "measure")) {
        const char* tempo = Attribute(attributes, "tempo");
        double quarters = 0;
        if (tempo == nullptr || !Decimal(tempo, 1, 999, quarters)) return;
        if (Parent() == "direction") return tempo_.SoundTempo(quarters);
        TempoReading own;
        own.SoundTempo(quarters);
        if (const std::optional<MxlItem> item = own.EndDirection(skipped_)) AddItem(*item);
    } else if (name == "harmony") {
        item_ = MxlItem{};
        item_.kind = MxlItemKind::ChordSymbol;
        bad_ = false;
        harmony_ = MxlHarmony{};
        stacked_.clear();
    } else if (name == "root" && Parent() == "harmony" && (harmony_.root != 0 || !harmony_.kind.empty())) {
        // A harmony may stack chords (a polychord): each root starts the next.
        stacked_.push_back(std::exchange(harmony_, MxlHarmony{}));
    } else if (name == "kind" && Parent() == "harmony") {
        const char* text = Attribute(attributes, "text");
        harmony_.kindText = text != nullptr ? std::string(text).substr(0, 20) : std::string();
    } else if (name == "barline") {
        const char* location = Attribute(attributes, "location");
        if (location != nullptr && std::strcmp(location, "middle") == 0) return Refuse("barline inside a measure");
        leftBarline_ = location != nullptr && std::strcmp(location, "left") == 0;
    } else if (name == "repeat" && Parent() == "barline" && Measure() != nullptr) {
        MxlBarline& barline = leftBarline_ ? Measure()->left : Measure()->right;
        const char* direction = Attribute(attributes, "direction");
        const char* times = Attribute(attributes, "times");
        if (direction != nullptr && std::strcmp(direction, "forward") == 0) barline.repeatStart = true;
        else if (direction != nullptr && std::strcmp(direction, "backward") == 0) barline.repeatEnd = true;
        if (times != nullptr && Trimmed(times) != "2") skipped_.Count("repeat played other than twice");
    } else if (name == "tuplet" && Parent() == "notations") {
        const char* type = Attribute(attributes, "type");
        if (type && std::strcmp(type, "start") == 0) {
            item_.note.tupletStart = true;
            item_.note.tupletLook = TupletLook(Attribute(attributes, "bracket"), Attribute(attributes, "line-shape"),
                                               Attribute(attributes, "show-number"),
                                               Attribute(attributes, "show-type"), skipped_);
        }
        if (type && std::strcmp(type, "stop") == 0) item_.note.tupletStop = true;
    } else if (name == "creator" && Parent() == "identification") {
        const char* type = Attribute(attributes, "type");
        creatorType_ = type != nullptr ? std::string(type).substr(0, 20) : std::string();
    } else if (name == "credit" && stack_.size() == 2) {
        credit_ = MxlCredit{};
        if (const char* page = Attribute(attributes, "page")) {
            const bool wasBad = bad_;
            if (!Number(page, 1, 9999, credit_.page)) credit_.page = 0;
            bad_ = wasBad;
        }
    } else if (name == "credit-words") {
        credit_.placed = false;
        credit_.centred = false;
        const char* x = Attribute(attributes, "default-x");
        const char* y = Attribute(attributes, "default-y");
        if (x != nullptr && y != nullptr)
            credit_.placed = Decimal(x, -1e5, 1e5, credit_.x) && Decimal(y, -1e5, 1e5, credit_.y);
        // halign sets which end of the text stands at its place; justify sets its
        // lines against one another, and stands for halign when that is missing.
        const char* justify = Attribute(attributes, "justify");
        const char* halign = Attribute(attributes, "halign");
        const char* side = halign != nullptr ? halign : justify;
        credit_.centred = side != nullptr && std::strcmp(side, "center") == 0;
        credit_.right = side != nullptr && std::strcmp(side, "right") == 0;
        const char* valign = Attribute(attributes, "valign");
        credit_.top = valign != nullptr && std::strcmp(valign, "top") == 0;
        credit_.middle = valign != nullptr && std::strcmp(valign, "middle") == 0;
        // A size in points; a named size ("large") is left to the score's style.
        credit_.fontSize = 0;
        if (const char* size = Attribute(attributes, "font-size")) {
            const bool wasBad = bad_;
            if (!Decimal(size, 1, 500, credit_.fontSize)) credit_.fontSize = 0;
            bad_ = wasBad;
        }
    } else if (name == "grace") {
        item_.note.grace = true;
        const char* slash = Attribute(attributes, "slash");
        if (slash != nullptr && std::strcmp(slash, "yes") == 0) skipped_.Count("grace note slash");
    } else if (name == "arpeggiate" && Parent() == "notations") {
        item_.note.arpeggio = true;
        if (Attribute(attributes, "direction") != nullptr) skipped_.Count("arpeggio arrow");
    } else if (name == "instrument" && Parent() == "note" && item_.note.unpitched) {
        // The score plays a percussion note by its staff place, not by the file's
        // instrument: each instrument of a part is counted once.
        const char* id = Attribute(attributes, "id");
        if (percussionSounds_.emplace(part_, id != nullptr ? id : "").second)
            skipped_.Count("sounds of percussion instruments");
    } else if (name == "chord" && Parent() == "note") {
        item_.note.chord = true;
    } else if (name == "cue" && Parent() == "note") {
        item_.note.cue = true;
    } else if (name == "type" && Parent() == "note") {
        const char* size = Attribute(attributes, "size");
        if (size != nullptr && (std::strcmp(size, "cue") == 0 || std::strcmp(size, "grace-cue") == 0))
            item_.note.cue = true;
    } else if (name == "rest" && Parent() == "note") {
        item_.note.rest = true;
        const char* measure = Attribute(attributes, "measure");
        item_.note.measureRest = measure && std::strcmp(measure, "yes") == 0;
    } else if (name == "dot" && Parent() == "note") {
        if (item_.note.dots < 3) ++item_.note.dots;
    }
}

void Reader::Text(const char* text, int length) {
    if (skipDepth_ > 0) return;
    if (text_.size() + static_cast<size_t>(length) > kMaxXmlText)
        return Fail("a text longer than " + std::to_string(kMaxXmlText / 1024) + " KiB");
    text_.append(text, static_cast<size_t>(length));
}

void Reader::End(std::string_view name) {
    if (!error_.empty()) return;
    if (skipDepth_ > 0) {
        --skipDepth_;
        stack_.pop_back();
        return;
    }
    const std::string_view parent = Parent();
    MxlNote& note = item_.note;
    // The part-list entry being read, else the part whose music is being read.
    MxlPart* part = listPart_ >= 0 ? &score_.parts[listPart_] : part_ >= 0 ? &score_.parts[part_] : nullptr;
    if (name == "score-part") listPart_ = -1;

    if (part == nullptr && (name == "part-name" || name == "part-abbreviation" || name == "midi-channel" ||
                            name == "chromatic" || name == "octave-change")) {
        // outside any part: nothing to fill
    } else if (name == "part-name" && parent == "score-part") part->name = nameHidden_ ? std::string() : text_;
    else if (name == "part-abbreviation" && parent == "score-part") part->abbreviation = nameHidden_ ? std::string() : text_;
    else if (name == "midi-channel" && parent == "midi-instrument") Number(text_, 1, 16, part->midiChannel);
    else if (name == "group-symbol" && !groupSymbols_.empty())
        groupSymbols_.back() = text_ == "brace" ? 2 : text_ == "bracket" ? 3 : 0;
    else if (name == "work-title") score_.workTitle = text_;
    else if (name == "movement-title") score_.movementTitle = text_;
    else if (name == "creator" && parent == "identification" && !Trimmed(text_).empty())
        score_.creators.emplace_back(creatorType_, Trimmed(text_));
    else if (name == "measure-numbering" && score_.measureNumbering < 0)
        score_.measureNumbering = Trimmed(text_) == "none" ? 0 : 1;
    else if (name == "credit-words") {
        credit_.text = text_;
        if (credit_.page >= 1) score_.credits.push_back(credit_);
    } else if (name == "millimeters" && parent == "scaling") Decimal(text_, 0.01, 1000, score_.millimeters);
    else if (name == "tenths" && parent == "scaling") Decimal(text_, 0.01, 10000, score_.tenths);
    else if ((name == "page-height" || name == "page-width") && parent == "page-layout" && Parent(2) == "defaults")
        Decimal(text_, 1, 100000, name == "page-height" ? score_.pageHeight : score_.pageWidth);
    else if (Measure() == nullptr) {
        // the remaining elements belong to a measure
    } else if (name == "divisions") {
        int divisions = 0;
        if (Number(text_, 1, 16383, divisions)) ChangeDivisions(divisions);
    } else if (name == "bar-style" && parent == "barline") {
        if (const std::optional<MxlBarStyle> style = BarStyleOf(Trimmed(text_)))
            (leftBarline_ ? Measure()->left : Measure()->right).style = *style;
        else
            skipped_.Count("barline " + std::string(Trimmed(text_).substr(0, 20)));
    } else if (name == "staves") {
        int staves = 0;
        if (Number(text_, 1, 64, staves)) {
            if (staves > kMaxPartStaves) return Fail("more than four staves in one part");
            Measure()->staves = staves;
        }
    } else if (name == "staff-lines") {
        int lines = 0;
        if (Number(text_, 1, 6, lines)) {
            std::vector<int>& staffLines = Measure()->staffLines;
            if (staffLines.size() < static_cast<size_t>(staffDetails_)) staffLines.resize(staffDetails_);
            staffLines[staffDetails_ - 1] = lines;
        }
    } else if (name == "chromatic" && parent == "transpose") {
        int chromatic = 0;
        if (Number(text_, -11, 11, chromatic)) part->transpose += chromatic;
    } else if (name == "octave-change" && parent == "transpose") {
        int octaves = 0;
        if (Number(text_, -4, 4, octaves)) part->transpose += 12 * octaves;
    } else if (name == "fifths") Number(text_, -7, 7, item_.value);
    else if (name == "beats") Number(text_, 1, 99, item_.line);
    else if (name == "beat-type") {
        if (Number(text_, 1, 64, item_.extra) && (item_.extra & (item_.extra - 1)) != 0) {
            bad_ = true;
            skipped_.Count("out-of-range number in <beat-type>");
        }
    } else if (name == "sign") item_.value = text_ == "G" ? 1 : text_ == "F" ? 2 : text_ == "C" ? 3 : text_ == "percussion" ? 4 : 0;
    else if (name == "line" && parent == "clef") Number(text_, 1, 5, item_.line);
    else if (name == "clef-octave-change") Number(text_, -2, 2, item_.extra);
    else if (name == "key" || name == "time" || name == "clef") {
        if (name == "clef" && item_.value == 0) {
            skipped_.Count("clef");
        } else if (name == "time" && item_.symbol == 0 && (item_.line == 0) != (item_.extra == 0)) {
            skipped_.Count(kHalfTimeSignatures);  // a signature needs both numbers
        } else if (!bad_ && !(name == "time" && item_.line == 0 && item_.symbol == 0)) {
            if (name == "clef" && item_.line == 0) item_.line = item_.value == 2 ? 4 : item_.value == 3 ? 3 : 2;
            AddItem(item_);
        }
    } else if ((name == "step" && parent == "pitch") || (name == "display-step" && parent == "unpitched")) {
        note.step = text_.size() == 1 && text_[0] >= 'A' && text_[0] <= 'G' ? text_[0] : (bad_ = true, 'C');
    } else if (name == "alter") {
        // A note between semitones (a quarter tone) takes the nearest one.
        double alter = 0;
        if (Decimal(text_, -kMaxAlter - 0.5, kMaxAlter + 0.5, alter)) {
            note.alter = std::clamp(static_cast<int>(std::lround(alter)), -kMaxAlter, kMaxAlter);
            if (note.alter != alter) skipped_.Count(kRoundedAlterations);
        }
    }
    else if ((name == "octave" && parent == "pitch") || (name == "display-octave" && parent == "unpitched"))
        Number(text_, 0, 9, note.octave);
    else if (name == "display-step") note.displayStep = text_.size() == 1 && text_[0] >= 'A' && text_[0] <= 'G' ? text_[0] : 0;
    else if (name == "display-octave") Number(text_, 0, 9, note.displayOctave);
    else if (name == "duration") {
        int& duration = parent == "note" ? note.duration : item_.amount;
        if (Number(text_, 0, 1 << 20, duration)) CountDuration(duration);
    } else if (name == "type" && parent == "note") {
        note.type = TypeValue(text_);
        if (note.type == 0) skipped_.Count("note type \"" + text_.substr(0, 20) + "\"");
    } else if (name == "voice") note.voice = VoiceOf(text_);
    else if (name == "actual-notes" && parent == "time-modification") Number(text_, 1, 99, note.tupletActual);
    else if (name == "normal-notes" && parent == "time-modification") Number(text_, 1, 99, note.tupletNormal);
    else if (name == "normal-type" && parent == "time-modification") note.tupletNormalType = TypeValue(text_);
    else if (name == "staff" && (parent == "note" || parent == "direction" || parent == "harmony"))
        Number(text_, 1, kMaxPartStaves, parent == "note" ? note.staff : item_.staff);
    else if ((name == "root-step" && parent == "root") || (name == "bass-step" && parent == "bass")) {
        const std::string_view step = Trimmed(text_);
        const char letter = step.size() == 1 && step[0] >= 'A' && step[0] <= 'G' ? step[0] : (bad_ = true, 'C');
        (name == "root-step" ? harmony_.root : harmony_.bass) = letter;
    } else if ((name == "root-alter" && parent == "root") || (name == "bass-alter" && parent == "bass"))
        Number(text_, -1, 1, name == "root-alter" ? harmony_.rootAlter : harmony_.bassAlter);
    else if (name == "kind" && parent == "harmony") harmony_.kind = Trimmed(text_).substr(0, 30);
    else if (name == "offset" && (parent == "harmony" || parent == "direction")) {
        // An offset out of range leaves the chord at its place among the notes.
        const bool wasBad = bad_;
        if (Number(text_, -(1 << 20), 1 << 20, item_.amount)) CountDuration(item_.amount);
        else item_.amount = 0;
        bad_ = wasBad;
    }
    else if (name == "harmony") EndHarmony();
    else if (name == "accidental") note.accidental = AccidentalCode(text_);
    else if (name == "notehead" && parent == "note") {
        note.head = HeadShape(Trimmed(text_));
        if (note.head < 0) {
            note.head = 0;
            skipped_.Count("notehead");
        }
    } else if (name == "stem") note.stem = text_ == "up" ? 1 : text_ == "down" ? 2 : text_ == "none" ? kStemNone : 0;
    else if (name == "beam" && parent == "note") {
        if (text_ == "begin" || text_ == "forward hook") ++note.beamRight;
        else if (text_ == "end" || text_ == "backward hook") ++note.beamLeft;
        else if (text_ == "continue") ++note.beamLeft, ++note.beamRight;
    } else if (name == "syllabic") syllabic_ = text_;
    else if (name == "text" && parent == "lyric" && lyricText_.size() < kMaxXmlText) lyricText_ += text_;
    else if (name == "elision" && parent == "lyric" && !lyricText_.empty()) lyricText_ += ' ';
    else if (name == "lyric") EndLyric();
    else if (parent == "dynamics") {
        MxlItem mark;
        mark.kind = MxlItemKind::Dynamic;
        mark.side = markSide_;
        mark.value = DynamicCode(name);
        const bool onNote = stack_.size() >= 3 && stack_[stack_.size() - 3] == "notations";
        if (mark.value == 0) skipped_.Count("dynamic " + std::string(name));
        else (onNote ? noteDynamics_ : directions_).push_back(mark);
    } else if (name == "words" && directive_ && !directiveWords_.emplace(measure_, text_).second) {
        // Printed once already, from an earlier part.
    } else if (name == "rehearsal" && parent == "direction-type") {
        // A rehearsal mark speaks for the whole score: printed once, over the
        // first part that gives it. Marks one after another in a direction are
        // one mark ("12" and "bis": "12bis") in the first one's frame.
        directive_ = true;
        const std::string markText(Trimmed(text_));
        if (markText.empty() || !directiveWords_.emplace(measure_, markText).second) {
            // None, or printed already from an earlier part.
        } else if (!directions_.empty() && directions_.back().kind == MxlItemKind::Rehearsal) {
            directions_.back().text += markText;
        } else {
            MxlItem mark;
            mark.kind = MxlItemKind::Rehearsal;
            mark.value = rehearsalFrame_;
            mark.text = markText;
            directions_.push_back(mark);
        }
    } else if (name == "words") {
        MxlItem words;
        words.kind = MxlItemKind::Words;
        words.side = markSide_;
        words.text = text_;
        directions_.push_back(words);
    } else if (name == "beat-unit" && parent == "metronome") {
        tempo_.BeatUnit(TypeValue(Trimmed(text_)));
    } else if (name == "per-minute" && parent == "metronome") {
        tempo_.PerMinute(text_);
    } else if (name == "direction") {
        if (std::optional<MxlItem> tempo = tempo_.EndDirection(skipped_)) {
            tempo->side = directionSide_;
            directions_.push_back(*tempo);
        }
        MxlMeasure* top = DirectiveHome();
        bool unmoved = directions_.empty();  // a mark of the direction stays where it was read
        for (MxlItem& mark : directions_) {
            mark.staff = item_.staff;
            // Dynamics, words and tempo marks stand at the direction's offset; its
            // lines and pedal marks stay at its place among the notes.
            const bool text = mark.kind == MxlItemKind::Words || mark.kind == MxlItemKind::Rehearsal;
            const bool movable = mark.kind == MxlItemKind::Dynamic || text || mark.kind == MxlItemKind::Tempo;
            if (movable && !(top != nullptr && text)) {
                mark.amount = item_.amount;
            } else {
                unmoved = true;
            }
            if (top != nullptr && text) {
                mark.staff = 1;
                top->items.insert(top->items.begin(), mark);
            } else {
                AddItem(mark);
            }
        }
        if (item_.amount != 0 && unmoved) skipped_.Count("offset");
        directions_.clear();
    } else if (name == "note") {
        PlaceNoteDynamics(note);
        if (bad_) {
            // The note cannot be placed; the notes after it keep their times.
            if (!note.chord && !note.grace && note.duration > 0) {
                MxlItem gap;
                gap.kind = MxlItemKind::Forward;
                gap.amount = note.duration;
                AddItem(gap);
            }
        } else if (note.grace) {
            AddItem(item_);
        } else if (MxlMeasure* measure = Measure()) {
            voicesUsed_[static_cast<size_t>(part_)].insert(note.voice);
            measure->items.push_back(item_);
        }
    } else if (name == "backup" || name == "forward") {
        if (!bad_) AddItem(item_);
    }
    if (name == "part") part_ = -1;
    if (name == "measure") measure_ = -1;
    stack_.pop_back();
    text_.clear();
}

// "UTF-8" when the document's bytes are 8-bit (a UTF-8 byte order mark, or the
// declaration in single bytes) while its declaration names UTF-16, as in files
// that were re-encoded without their declaration being changed: the parser then
// reads them as the bytes are. Null otherwise, and the declaration holds.
const XML_Char* EncodingOverDeclaration(std::span<const uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), std::min<size_t>(bytes.size(), 256));
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!text.starts_with("<?xml")) return nullptr;
    text = text.substr(0, text.find("?>"));
    const size_t name = text.find("encoding");
    if (name == std::string_view::npos) return nullptr;
    const size_t quote = text.find_first_of("\"'", name);
    if (quote == std::string_view::npos || text.substr(name + 8, quote - name - 8).find_first_not_of(" \t\r\n=") !=
                                               std::string_view::npos)
        return nullptr;
    std::string declared(text.substr(quote + 1, 6));
    for (char& c : declared) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return declared == "utf-16" ? "UTF-8" : nullptr;
}

bool Reader::Run(std::span<const uint8_t> bytes, std::string& error) {
    if (bytes.size() > kMaxXmlBytes) {
        error = "the score is larger than 64 MiB";
        return false;
    }
    parser_ = XML_ParserCreate(EncodingOverDeclaration(bytes));
    if (parser_ == nullptr) {
        error = "out of memory";
        return false;
    }
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser_, OnText);
    XML_SetEntityDeclHandler(parser_, OnEntityDecl);
    XML_SetUnknownEncodingHandler(parser_, OnUnknownEncoding, this);
    XML_SetSkippedEntityHandler(parser_, OnSkippedEntity);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    const XML_Status status = XML_Parse(parser_, reinterpret_cast<const char*>(bytes.data()),
                                        static_cast<int>(bytes.size()), XML_TRUE);
    if (error_.empty() && status != XML_STATUS_OK) {
        const XML_Error code = XML_GetErrorCode(parser_);
        std::string message = code == XML_ERROR_UNKNOWN_ENCODING && !unknownEncoding_.empty()
                                  ? "the encoding \"" + unknownEncoding_.substr(0, 40) + "\" is not supported"
                                  : XML_ErrorString(code);
        error_ = "line " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
                 std::to_string(XML_GetCurrentColumnNumber(parser_) + 1) + ": " + message;
    }
    XML_ParserFree(parser_);
    parser_ = nullptr;
    if (error_.empty() && score_.parts.empty())
        error_ = unlisted_.empty() ? std::string("the score has no parts")
                                   : "the score has no parts (part \"" + *unlisted_.begin() + "\" is not in the part list)";
    error = error_;
    return error_.empty();
}

}  // namespace

bool ReadMusicXml(std::span<const uint8_t> bytes, MxlScore& score, ImportReport& skipped, std::string& error) {
    Reader reader(score, skipped);
    return reader.Run(bytes, error);
}

}  // namespace ql::musicxml
