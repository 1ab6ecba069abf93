// Placing a rest with the rest tool (CreateAtClick of the rest prototype): the value
// from the tool (or the program's forced value), tuplet and dots from the entry
// settings, the default place of its voice, the tick after the voice's items before
// the pointer, the room check, and the insertion that moves the voice's later items
// on by the rest's length.
#include <array>

#include "core/constants.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "layout/measure_spacing.h"
#include "notes/rests/owner_handles.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "platform/gfx/mapping.h"
#include "platform/win/message_loop.h"
#include "platform/win/messages.h"

namespace ql {

namespace rests {

namespace {

// Palette indexes of the rest tool: 1 the whole (its double-whole variant 1), 2..5
// half to sixteenth, from 6 on the short values by variant.
constexpr int kWholeToolIndex = 1;
constexpr int kDoubleWholeVariant = 1;
constexpr int kFirstShortToolIndex = 6;
constexpr int kLongToolBase = 13;  // code = 13 - index for indexes 2..5
constexpr int kShortToolBase = 7;  // code = 7 - variant for variants 0..3
constexpr int kShortVariants = 4;
constexpr int kOtherShortCode = 9;

// The nine fixed tuplet ratios, by index.
struct Ratio {
    uint8_t first;
    uint8_t second;
};
constexpr std::array<Ratio, 9> kFixedRatios = {
    {{3, 2}, {5, 4}, {6, 4}, {7, 4}, {9, 8}, {11, 8}, {2, 3}, {4, 3}, {4, 6}}};
constexpr uint8_t kFixedRatioKind = 1;
constexpr uint8_t kFreeRatioKind = 2;
constexpr int kNibble = 4;
constexpr uint8_t kNibbleMask = 0x0F;

int CodeFromTool(const RestToolState& tool) {
    if (tool.forcedCode != 0) return tool.forcedCode;
    if (tool.paletteIndex == kWholeToolIndex)
        return tool.variant == kDoubleWholeVariant ? kDoubleWholeRestCode : kWholeRestCode;
    if (tool.paletteIndex < kFirstShortToolIndex) return kLongToolBase - tool.paletteIndex;
    return tool.variant < kShortVariants ? kShortToolBase - tool.variant : kOtherShortCode;
}

void ApplyEntrySettings(const RestToolState& tool, RestBody& body) {
    if (tool.tupletOn != 0) {
        body.tupletKind = kFreeRatioKind;
        body.tupletValue = static_cast<uint8_t>(((tool.tupletFirst & kNibbleMask) << kNibble) |
                                                (tool.tupletSecond & kNibbleMask));
        for (size_t i = 0; i < kFixedRatios.size(); ++i) {
            if (kFixedRatios[i].first == tool.tupletFirst &&
                kFixedRatios[i].second == tool.tupletSecond) {
                body.tupletKind = kFixedRatioKind;
                body.tupletValue = static_cast<uint8_t>(i);
            }
        }
        body.extraRatio = tool.extraOn != 0
                              ? static_cast<uint8_t>(((tool.extraDivisor & kNibbleMask) << kNibble) |
                                                     (tool.extraMultiplier & kNibbleMask))
                              : 0;
    }
    if (tool.dotsOn != 0)
        body.flags = static_cast<uint8_t>((body.flags & ~kRestDotsMask) | (tool.dots & kRestDotsMask));
}

void ForEachElement(MeasureCell* cell, int voice, void (*action)(ScoreObject*, ScoreView*),
                    ScoreView* view) {
    ScoreObject* element = NextElement(VoiceListHead(cell, voice));
    for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i) {
        ScoreObject* next = NextElement(element);
        action(element, view);
        element = next;
    }
}

void ReleaseElementHandles(ScoreObject* element, ScoreView*) {
    ReleaseHitRecordsOf(element);
}

// The rest as the tool makes it, before its tick and room are known.
void FillFromTool(ScoreView* view, RestBody& body, int voice) {
    const RestToolState& tool = State().notes.RestTools;
    body.code = static_cast<uint8_t>(CodeFromTool(tool));
    body.flags = 0;
    body.position = static_cast<int8_t>(RestStaffOffset(view->currentCell, body.code, voice));
    ApplyEntrySettings(tool, body);
}

// Ends the click: the new rest becomes the selection's current object, the other
// elements of its voice get handles, and a left-button-up is posted at the pointer.
void FinishPlacing(ScoreView* view, ScoreObject* rest, int voice) {
    if (SelectionState* selection = TheSelectionState())
        selection->currentObject = Ref32<ScoreObject>::To(rest);
    ScoreObject* element = NextElement(VoiceListHead(view->currentCell, voice));
    for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i) {
        if (element != rest) AddHitRecords(view, ClassOf(element).BuildHandles(element, view));
        element = NextElement(element);
    }
    gfx::Point device{view->pointerPoint.x, view->pointerPoint.y};
    if (view->ViewDC) device = gfx::LogicalToDevice(view->ViewDC, device);
    if (view->ViewWindow)
        win::PostMessage(view->ViewWindow, win::Message::LeftButtonUp, 0, win::PackPoint(device));
}

}  // namespace

}  // namespace rests

using namespace rests;

ScoreObject* RestClass::CreateAtClick(ScoreObject* /*object*/, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr) return nullptr;
    ScoreObject* rest = AllocRestRecord();
    if (rest == nullptr) return nullptr;
    const int voice = ActiveVoice(view);
    MeasureCell* cell = view->currentCell;
    ForEachElement(cell, voice, ReleaseElementHandles, view);
    RestBody& body = *RestBodyOf(rest);
    FillFromTool(view, body, voice);
    const int pointerTick = XToTime(view, view->pointerPoint.x);
    body.tick = static_cast<uint16_t>(FindEventTimeInVoice(view->document, view->currentStaff,
                                                          view->currentMeasure, voice, pointerTick));
    const int ticks = RestDurationTicks(rest);
    const int lengthBefore = view->currentMeasureLength;
    if (!RoomForTicks(view, voice, ticks, kRoomTolerance)) {
        FreePool8Record(rest);
        ShowNotice(kNoRoomNotice);
        if (SelectionState* selection = TheSelectionState()) selection->rebuildRequested = 1;
        return nullptr;
    }
    body.xOffset = 0;
    body.fineY = 0;
    ShiftVoiceFrom(view, voice, body.tick, ticks);
    ScoreObject* head = GetOrCreateVoiceElementList(cell, voice);
    if (head == nullptr || !InsertIntoVoiceList(head, rest)) {
        ShiftVoiceFrom(view, voice, body.tick + ticks, -ticks);
        FreePool8Record(rest);
        return nullptr;
    }
    SetDocumentModified(view->document);
    if (view->currentMeasureLength != lengthBefore) SetViewScrollRanges(view);
    if (RefreshMeasureWidths(view, false, true) == 0) RedrawCurrentMeasure(view);
    FinishPlacing(view, rest, voice);
    return rest;
}

}  // namespace ql
