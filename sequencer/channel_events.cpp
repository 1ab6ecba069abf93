// Channel messages to score objects (see channel_events.h). Every object is a
// MIDI-carrying mark: its action enabled with single timing, the text anchored at
// the event's position in the measure (1,024 ticks to the quarter), and hidden when
// its kind's "Hide" option is set.
#include "sequencer/channel_events.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/settings/program_options.h"
#include "core/text/text_object.h"
#include "objects/midi_marks/mark_classes.h"
#include "sequencer/transcription_stream.h"

namespace ql {
namespace {

constexpr uint8_t kKeyPressureStatus = 0xA0;
constexpr uint8_t kControllerStatus = 0xB0;
constexpr uint8_t kPatchStatus = 0xC0;
constexpr uint8_t kChannelPressureStatus = 0xD0;
constexpr uint8_t kPitchWheelStatus = 0xE0;
constexpr int kDataMask = 0x7F;
constexpr int kPedalDownFrom = 64;
constexpr int kDataRange = 128;
constexpr int kPositionShift = 16;
constexpr int kLongestObjectList = 1 << 16;

// Volume ranges and their glyphs (the last range is open above).
struct VolumeGlyph {
    int upTo;
    uint16_t glyph;
};
constexpr VolumeGlyph kVolumeGlyphs[] = {
    {24, 158}, {34, 159}, {44, 160}, {54, 161}, {64, 162}, {76, 172},
    {88, 171}, {100, 170}, {112, 169}, {127, 168},
};
constexpr uint16_t kVolumeAboveRange = 172;

struct Filter {
    bool out;
    bool hide;
};

Filter FilterOf(uint8_t status) {
    const ProgramOptions& o = Options();
    switch (status) {
        case kKeyPressureStatus: return {o.FilterKEYP != 0, o.HideKEYP != 0};
        case kControllerStatus: return {o.FilterRTC != 0, o.HideRTC != 0};
        case kPatchStatus: return {o.FilterPATCH != 0, o.HidePATCH != 0};
        case kChannelPressureStatus: return {o.FilterCHAP != 0, o.HideCHAP != 0};
        default: return {o.FilterPITCH != 0, o.HidePITCH != 0};
    }
}

void SetKind(MidiAction& action, uint8_t kind) {
    action.flags = static_cast<uint16_t>((action.flags & ~kMidiKindMask) | (kind << kMidiKindShift) | kMidiFlagEnabled);
    action.destinationTiming &= kMidiDestinationMask;  // single
}

// A mark of `type` at the position, appended to the cell's object list.
ScoreObject* NewMark(MeasureCell* cell, ObjectType type, int32_t position, bool hidden, CellListEnd* end) {
    if (GetOrCreateCellObjectList(cell) == nullptr) return nullptr;
    ScoreObject* object = ConstructObject(TypeCode(type));
    if (object == nullptr) return nullptr;
    TextObject* text = AsTextObject(object);
    text->body.flags = static_cast<uint16_t>(text->body.flags | kTextMusicGlyph);
    if (hidden) text->body.flags |= kTextHidden;
    AppendAtMeasurePosition(cell, object, position, end);
    return object;
}

void Fill(ScoreObject* object, uint8_t kind, int controller, int value, uint16_t symbol) {
    MidiAction& action = *MidiActionOfText(object);
    SetKind(action, kind);
    action.controller = static_cast<uint8_t>(controller);
    action.head.values.value = static_cast<int16_t>(value);
    AsTextObject(object)->body.string = symbol;
}

}  // namespace

bool AppendAtMeasurePosition(MeasureCell* cell, ScoreObject* object, int32_t position, CellListEnd* end) {
    ScoreObject* list = GetOrCreateCellObjectList(cell);
    if (list == nullptr || object == nullptr) return false;
    AsTextObject(object)->body.location.position = static_cast<uint32_t>(std::clamp(position, 0, 0xFFFF))
                                                   << kPositionShift;
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    // An object still linked (it has one before it, the list's head at least).
    const bool known = end != nullptr && end->cell == cell && end->last != nullptr && end->last->prev;
    ScoreObject* last = known ? end->last : list;
    for (int i = 0; last->next && i < kLongestObjectList; ++i) last = last->next.get();
    InsertObjectAfter(last, object);
    if (end != nullptr) *end = {cell, object};
    return true;
}

uint16_t DynamicGlyphForVolume(int value) {
    for (const VolumeGlyph& range : kVolumeGlyphs)
        if (value <= range.upTo) return range.glyph;
    return kVolumeAboveRange;
}

ScoreObject* ImportChannelEvent(ScoreView* view, int staff, MeasureCell* cell, CellListEnd* end) {
    const TranscriptionInput& in = TranscriptionInputs();
    if (view == nullptr || cell == nullptr) return nullptr;
    const int32_t position = StaffPositionTicks(staff);
    const TranscriptionStaff& st = TranscriptionStaffState(staff);
    if (st.pastLastMeasure) return nullptr;
    if (in.nativeTime && st.currentMeasure > in.lastMeasure &&
        SnapToGrid(position, CurrentQuantizeSettings().attack) > 0)
        return nullptr;
    const int data1 = in.length >= 1 ? std::min<int>(in.data[0], kDataMask) : 0;
    const int data2 = in.length >= 2 ? std::min<int>(in.data[1], kDataMask) : 0;
    const bool pedal = data1 >= kFirstPedalController && data1 <= kLastPedalController;
    const bool volume = data1 == kVolumeController;
    const Filter filter = FilterOf(in.status);
    if (filter.out) return nullptr;
    ScoreObject* object = nullptr;
    switch (in.status) {
        case kKeyPressureStatus:
            if ((object = NewMark(cell, ObjectType::MidiEvent, position, filter.hide, end)))
                Fill(object, static_cast<uint8_t>(ChannelEventKind::KeyPressure), data1, data2, kMidiEventObjectSymbol);
            break;
        case kControllerStatus:
            if (pedal) {
                if ((object = NewMark(cell, ObjectType::Pedal, position, filter.hide, end)))
                    Fill(object, kMidiKindPlain, data1, data2,
                         data2 < kPedalDownFrom ? kPedalUpSymbol : kPedalDownSymbol);
            } else if (volume) {
                if ((object = NewMark(cell, ObjectType::Dynamic, position, filter.hide, end)))
                    Fill(object, kMidiKindPlain, data1, data2, DynamicGlyphForVolume(data2));
            } else if ((object = NewMark(cell, ObjectType::MidiEvent, position, filter.hide, end))) {
                Fill(object, static_cast<uint8_t>(ChannelEventKind::Controller), data1, data2, kMidiEventObjectSymbol);
            }
            break;
        case kPatchStatus:
            if ((object = NewMark(cell, ObjectType::MidiEvent, position, filter.hide, end)))
                Fill(object, static_cast<uint8_t>(ChannelEventKind::PatchChange), 0, data1, kMidiEventObjectSymbol);
            break;
        case kChannelPressureStatus:
            if ((object = NewMark(cell, ObjectType::MidiEvent, position, filter.hide, end)))
                Fill(object, static_cast<uint8_t>(ChannelEventKind::ChannelPressure), data1, 0, kMidiEventObjectSymbol);
            break;
        case kPitchWheelStatus: {
            const int value = data1 + kDataRange * data2;
            if ((object = NewMark(cell, ObjectType::MidiEvent, position, filter.hide, end)))
                Fill(object, static_cast<uint8_t>(ChannelEventKind::PitchWheel), 0, value,
                     value == kPitchWheelCentre ? kPitchWheelCentreSymbol : kPitchWheelBentSymbol);
            break;
        }
        default: break;
    }
    return object;
}

}  // namespace ql
