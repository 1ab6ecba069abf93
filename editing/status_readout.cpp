// The status bar's readout of the object under the pointer and of the grabbed
// handle. Status part 0 names the object and how it is anchored ("Slur   (Page)"); part 2
// gives the grabbed handle's anchor words in 128ths; a Staff shows its number.
#include "editing/status_readout.h"

#include <cstring>
#include <iterator>
#include <string>

#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/status_bar.h"
#include "display/hit_test.h"
#include "editing/mouse_processor.h"
#include "editing/selection_internal.h"

namespace ql {

using namespace selection;

namespace {

constexpr int kNamePart = 0;
constexpr int kHandlePart = 2;
constexpr int32_t kAnchorBias = 30720;  // added to each anchor word before it is shown
constexpr size_t kFixedChars = 24;

struct TypeName {
    uint8_t type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {4, "Slur"},           {5, "Tie"},          {6, "Text Box"},       {7, "Cresc."},
    {8, "Line"},           {9, "Circle"},       {10, "Box"},           {11, "Curve"},
    {13, "Staff"},         {14, "Clef"},        {15, "Key Signature"}, {16, "Time Signature"},
    {18, "Text Line"},     {21, "Dynamic"},     {22, "Pedal"},         {46, "Pedal"},
    {24, "Tempo"},         {25, "MIDI event"},  {26, " Note articulation"}, {27, "Barline"},
    {28, "Staff Label"},   {29, "Beamed group"}, {33, "Margin"},       {38, "Accidental"},
    {39, "Guitar Chord"},  {48, "1st (2nd) Repeat"}, {49, "Octave"},   {50, "Lyric"},
    {51, "Tuplet"},        {53, "Picture"},
};

// Anchoring by subtype 0..4.
constexpr const char* kAnchorings[] = {"Beat", "Page", "Barline", "Note", "Staff"};

std::string Fixed(int32_t value) {
    char buffer[kFixedChars];
    return FormatFixed128(static_cast<int16_t>(value), buffer, sizeof buffer);
}

void SetVoiceMask(ScoreView* view, int voice) {
    view->voiceMask = voice == 0 ? static_cast<uint8_t>(view->voiceMask & 1u) : static_cast<uint8_t>(1u << voice);
    if (view->voiceMask == 0) view->voiceMask = 1;
}

}  // namespace

const char* ObjectTypeStatusName(int type) {
    for (const TypeName& t : kTypeNames)
        if (t.type == type) return t.name;
    return "";
}

void SelectVoiceOfObject(ScoreView* view, ScoreObject* object) {
    if (view == nullptr || object == nullptr || view->currentCell == nullptr) return;
    if (object->type != TypeCode(ObjectType::Rest)) return;
    const int hint = view->voiceMask >= 1 && view->voiceMask <= 15 ? ActiveVoiceOfMask(view->voiceMask) : 0;
    SetVoiceMask(view, FindVoiceOfElement(view->currentCell, object, hint));
}

void ShowObjectStatus(ScoreView* view, HitRecord* record, int type) {
    if (view == nullptr || record == nullptr || ToolSwitches().statusLock) return;
    ScoreObject* owner = record->owner.get();
    if (owner == nullptr || !IsUsableObject(owner)) return;
    SelectVoiceOfObject(view, owner);
    const char* name = ObjectTypeStatusName(type);
    if (*name == '\0') return;
    std::string text = name;
    if (owner->subtype < std::size(kAnchorings)) text += std::string("   (") + kAnchorings[owner->subtype] + ")";
    SetStatusText(kNamePart, text.c_str());
}

void ShowHandleStatus(ScoreView* view, HitRecord* record) {
    if (view == nullptr || record == nullptr || ToolSwitches().statusLock) return;
    uint16_t words[2];
    std::memcpy(words, &record->location.location.position, sizeof words);
    const std::string where = "  " + Fixed(words[0] + kAnchorBias) + " . " + Fixed(words[1] + kAnchorBias);
    SetStatusText(kHandlePart, where.c_str());
    ScoreObject* focused = FocusedObject();
    if (focused == nullptr || focused->type != TypeCode(ObjectType::Staff) || view->document == nullptr) return;
    SetStatusTextNumber(kNamePart, "Staff", view->currentStaff);
}

}  // namespace ql
