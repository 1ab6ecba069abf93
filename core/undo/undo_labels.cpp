// The Undo and Redo labels. A record carries three bytes: verb, kind and type code;
// the label is the bare command word, then the verb's text and the object's text.
#include "core/undo/undo_labels.h"

#include <array>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/undo/undo.h"

namespace ql {

namespace {

struct LabelText {
    int32_t id;
    const char* text;  // built-in English text of the id
};

constexpr int32_t kStrUndo = 1697;
constexpr int32_t kStrRedo = 1607;
constexpr uint8_t kKindItem = static_cast<uint8_t>(UndoKind::Item);

constexpr std::array<LabelText, kUndoVerbCount> kVerbs = {{
    {0, ""},
    {1375, "Add"},
    {1589, "Place"},
    {1499, "Insert"},
    {1572, "Paste"},
    {1419, "Change"},
    {1532, "Modify"},
    {1533, "Move"},
    {1493, "Hide"},
    {1699, "Unhide"},
    {1613, "Renum"},
    {1475, "Format"},
    {1439, "Delete"},
    {1471, "Flip"},
    {1459, "Expand"},
    {1431, "Create"},
    {1463, "Fan"},
    {1430, "Copy"},
}};

constexpr std::array<LabelText, kUndoKindCount> kKinds = {{
    {0, ""},          {1502, "Item"},     {1016, "Page"},     {1658, "System"},
    {300, "Staff"},   {1096, "Measure"},  {79, "Barline"},    {299, "Note"},
    {1649, "Stem"},   {1638, "Sound"},    {1549, "NoteHead"}, {1403, "Beam"},
    {664, "Brace"},   {663, "Bracket"},   {1405, "Block"},    {1623, "Second"},
    {1515, "MMR"},    {1448, "Dots"},     {1473, "Font"},     {1458, "Enharmonic"},
    {1588, "Pitch"},  {1702, "Velocity"}, {1385, "Attack"},   {1610, "Release"},
    {1672, "Timbre"}, {83, "Margin"},     {1629, "Setting"},
}};

constexpr std::array<LabelText, kObjectTypeNameCount> kTypeNames = {{
    {1625, "Selection"},
    {1502, "Item"},
    {1495, "Image"},
    {1495, "Image"},
    {56, "Slur"},
    {57, "Tie"},
    {1665, "TextBox"},
    {1488, "Hairpin"},
    {60, "Line"},
    {61, "Circle"},
    {62, "Box"},
    {63, "Curve"},
    {64, "Stretcher"},
    {300, "Staff"},
    {66, "Clef"},
    {659, "Key"},
    {1674, "Timesig"},
    {1655, "Symbol"},
    {1174, "Text"},
    {1383, "Area"},
    {1714, "MIDI-Image"},
    {73, "Dynamic"},
    {74, "Pedal"},
    {75, "EG"},
    {76, "Tempo"},
    {1618, "MIDI-Event"},
    {1545, "Note Art."},
    {1096, "Measure"},
    {1505, "Label"},
    {299, "Note"},
    {0, ""},
    {0, ""},
    {342, "Mixer"},
    {83, "Margin"},
    {1462, "MIDI-Msg"},
    {0, ""},
    {0, ""},
    {1382, "Arc"},
    {84, "Accidental"},
    {1420, "Chord"},
    {0, ""},
    {1466, "Finger"},
    {0, ""},
    {91, "Rest"},
    {1495, "Image"},
    {91, "Rest"},
    {1574, "Pedal Bracket"},
    {93, "Widget"},
    {1617, "Rpt Ending"},
    {1368, "8oct"},
    {96, "Lyric"},
    {786, "Tuplet"},
    {1486, "Guide"},
    {1587, "Picture"},
    {0, ""},
    {1001, "R.H."},
}};
static_assert(kTypeNames.size() == kObjectTypeNameCount);

template <size_t N>
LabelText Entry(const std::array<LabelText, N>& table, uint8_t index) {
    return index < N ? table[index] : LabelText{0, ""};
}

std::string TextOf(LabelText entry) {
    if (entry.id == 0) return std::string();
    std::string text = ProgramString(entry.id);
    return text.empty() ? std::string(entry.text) : text;
}

bool IsValidRecord(const UndoRecord* record) {
    return record != nullptr && record->self == record;
}

std::string CommandLabel(int32_t bareId, const char* bare, const UndoRecord* record) {
    std::string word = TextOf(LabelText{bareId, bare});
    if (!IsValidRecord(record)) return word;
    return word + " - " + UndoVerbText(record->verb) + " " +
           UndoObjectText(record->kind, record->objectType);
}

}  // namespace

int32_t UndoVerbStringId(uint8_t verb) {
    return Entry(kVerbs, verb).id;
}
int32_t UndoKindStringId(uint8_t kind) {
    return Entry(kKinds, kind).id;
}
int32_t ObjectTypeNameStringId(uint8_t type) {
    return Entry(kTypeNames, type).id;
}

std::string UndoVerbText(uint8_t verb) {
    return TextOf(Entry(kVerbs, verb));
}
std::string ObjectTypeName(uint8_t type) {
    return TextOf(Entry(kTypeNames, type));
}

std::string UndoObjectText(uint8_t kind, uint8_t objectType) {
    return kind == kKindItem ? ObjectTypeName(objectType) : TextOf(Entry(kKinds, kind));
}

std::string UndoCommandLabel(const ScoreDocument* document) {
    return CommandLabel(kStrUndo, "Undo", document != nullptr ? document->undoStack : nullptr);
}

std::string RedoCommandLabel(const ScoreDocument* document) {
    return CommandLabel(kStrRedo, "Redo", document != nullptr ? document->redoStack : nullptr);
}

}  // namespace ql
