// The handlers of the marks a NIFF file hangs on notes (lyrics, accidentals,
// articulations, ornaments) and of a staff's dynamics and pedal marks: each keeps
// what it read in the import's frame, on the current note event or as a placed
// mark, for the builder to make into score objects.
#include <algorithm>
#include <string>

#include "interchange/niff/niff_attachments.h"
#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_time_slices.h"
#include "objects/lyrics/lyric.h"

namespace ql::niff {
namespace {

constexpr int kTagPlacement = 1;
constexpr int kTagLogical = 4;
constexpr int kTagHeight = 17;
constexpr int kTagId = 18;
constexpr int kTagInvisible = 19;
constexpr int kTagSide = 22;
constexpr int kTagGrace = 25;
constexpr int kTagCue = 26;
constexpr int kTagNodes = 28;
constexpr int kTagSilent = 36;
constexpr int kLyricDefault = 2;  // index into the six default fonts
constexpr size_t kLyricChars = 79;
constexpr int kLyricLines = 4;
constexpr int kStep = 64;  // score units per staff step
constexpr int kHighestAbove = -640;
constexpr int kLowestBelow = 192;
constexpr int kSideAbove = 1;
constexpr int kSideBelow = 2;
constexpr int kNoteLegatoBit = 0x0080;
constexpr int kNoteStaccatoBit = 0x0040;
constexpr int kLegatoCode = 3;
constexpr int kStaccatoCode = 4;
constexpr int kFirstBracketShape = 3;
constexpr int kBracketStartShape = 6;
constexpr int kBracketEndShape = 7;
constexpr uint8_t kBracketEndStyle = 0x80;
constexpr int kPedalDownShape = 1;
constexpr size_t kMostOpenPedals = 64;
// Vertical defaults (score units from the staff's top line) of marks placed in
// time: dynamics and pedal marks below a five-line staff, a dynamic the file
// puts above it (logical placement) above.
constexpr int32_t kDynamicBelow = 640;
constexpr int32_t kDynamicAbove = -768;
constexpr int32_t kPedalBelow = 768;
constexpr uint8_t kMarkAlignX = 2;
constexpr uint8_t kMarkAlignY = 1;

constexpr char kNoNoteKind[] = "note marks without a note";
constexpr char kLyricLineKind[] = "lyrics past the fourth verse";
constexpr char kUnknownMarkKind[] = "articulations and ornaments of unknown codes";
constexpr char kUnknownDynamicKind[] = "dynamics of unknown codes";
constexpr char kPedalTableKind[] = "pedal marks past the open-pedal table";
constexpr char kOtherArpeggioKind[] = "arpeggio signs other than the wavy line";
constexpr int kWavyArpeggioShape = 1;

// The note or rest the last `note` or `rest` chunk made, or null (counted).
NiffEvent* CurrentEvent(NiffImportState& import) {
    NiffNoteGroup& notes = import.frame.notes;
    if (import.frame.measureOpen && !import.frame.pastMeasureLimit && notes.currentEvent >= 0 &&
        notes.currentEvent < static_cast<int>(notes.events.size()))
        return &notes.events[static_cast<size_t>(notes.currentEvent)];
    import.report.Count(kNoNoteKind);
    return nullptr;
}

NiffNoteAttachments& AttachmentsOf(NiffImportState& import, NiffEvent& event) {
    std::vector<NiffNoteAttachments>& all = import.frame.attachments;
    if (event.attachments < 0) {
        event.attachments = static_cast<int>(all.size());
        all.emplace_back();
    }
    return all[static_cast<size_t>(event.attachments)];
}

// A placed mark of the staff (dynamic or pedal mark) at the current place.
NiffMark StaffMark(NiffImportState& import, NiffMarkKind kind, int32_t vertical) {
    NiffMark mark;
    mark.kind = kind;
    mark.style = 3;
    mark.hidden = HasNiffTag(import.tags, kTagInvisible);
    PlaceNiffMark(import, vertical, mark);
    AlignNiffMark(import.tags, kMarkAlignX, kMarkAlignY, mark);
    return mark;
}

int ReadNoteMark(NiffChunkContext& context, const uint8_t* fixedPart, uint8_t selector) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    NiffEvent* event = CurrentEvent(import);
    if (event == nullptr) return 1;
    const int code = NiffFixedShort(fixedPart, 0);
    if (selector == kNiffArticulationRow && (code == kLegatoCode || code == kStaccatoCode)) {
        AttachmentsOf(import, *event).noteBits |= code == kLegatoCode ? kNoteLegatoBit : kNoteStaccatoBit;
        return 1;
    }
    const NiffMarkRow* row = FindNiffMarkRow(selector, code);
    if (row == nullptr) {
        import.report.Count(kUnknownMarkKind);
        return 1;
    }
    NiffNoteMark mark;
    const NiffTagState& tags = import.tags;
    int side = HasNiffTag(tags, kTagSide) ? tags.values[kTagSide][1] : 0;
    mark.sideFromFile = side != 0;
    const bool stemDown = event->direction > 0;
    if (selector == kNiffOrnamentRow) {
        if (side == 0) side = kSideAbove;
        mark.glyph = row->above;
        const int lift = side == kSideAbove ? 7 : 3;
        mark.vertical = static_cast<int16_t>(std::min((event->position - lift) * kStep, kHighestAbove));
    } else {
        if (side == 0) side = row->flip == 0 || stemDown ? kSideAbove : kSideBelow;
        const int logical = HasNiffTag(tags, kTagLogical) ? tags.values[kTagLogical][0] : 0;
        const uint8_t below = row->below != 0 ? row->below : row->above;
        if (logical == 1)
            mark.glyph = row->above;
        else if (logical >= 2)
            mark.glyph = below;
        else
            mark.glyph = side == kSideAbove ? row->above : below;
        if (side == kSideAbove)
            mark.vertical = static_cast<int16_t>(std::min((event->position - 3) * kStep, kHighestAbove));
        else if (stemDown)
            mark.vertical = static_cast<int16_t>(std::max((event->position + 3) * kStep, kLowestBelow));
    }
    mark.side = static_cast<uint8_t>(side == kSideBelow ? kSideBelow : kSideAbove);
    AttachmentsOf(import, *event).marks.push_back(mark);
    return 1;
}

// A pedal mark (shape 1 down, any other up) at the current place.
void MakeNiffPedalMark(NiffImportState& import, int shape) {
    NiffMark mark = StaffMark(import, NiffMarkKind::kPedal, kPedalBelow);
    const bool down = shape == kPedalDownShape;
    mark.detail.glyph = down ? 225 : 42;
    mark.detail.value = down ? 127 : 0;
    mark.detail.actionOn = !HasNiffTag(import.tags, kTagSilent);
    import.frame.marks.push_back(std::move(mark));
}

// A pedal bracket from the record's start chunk to this one.
void MakeNiffPedalBracket(NiffImportState& import, const NiffPedalRecord& start, int shape) {
    const NiffTagState& tags = import.tags;
    const NiffFrame& frame = import.frame;
    NiffMark mark;
    mark.kind = NiffMarkKind::kPedalBracket;
    mark.anchor = NiffAnchor::kMeasure;
    mark.staff = start.staff;
    mark.measure = start.measure;
    mark.tick = start.tick;
    mark.page = frame.pages.empty() ? 0 : static_cast<int>(frame.pages.size()) - 1;
    const double scale = import.unitScale;
    NiffMarkDetail& detail = mark.detail;
    NiffPagePoint end;
    const bool endOnPage = NiffPagePointOf(import, &end);
    if (endOnPage && end.page == start.pageStart.page) {
        // Both ends placed on one page: the bracket is one of that page's items.
        mark.anchor = NiffAnchor::kPage;
        mark.page = end.page;
        mark.x = start.pageStart.x;
        mark.y = start.pageStart.y;
        detail.endX = end.x;
    } else {
        // A page point says nothing of the place in the measure.
        const bool startOnPage = start.pageStart.page >= 0;
        mark.x = startOnPage ? 0 : static_cast<int32_t>(start.x * scale);
        mark.y = startOnPage ? 0 : static_cast<int32_t>(NiffVerticalUnits(import, start.staff, start.y));
        detail.endX = endOnPage ? 0 : static_cast<int32_t>(NiffTagShort(tags, kTagPlacement, 0) * scale);
    }
    detail.height = static_cast<int32_t>(NiffVerticalUnits(import, start.staff, start.height));
    detail.endTick = frame.currentTick;
    detail.endMeasure = std::max(frame.measures[frame.currentMeasure].number, start.measure);
    detail.endStyle = start.shape == kBracketStartShape && shape == kBracketEndShape ? kBracketEndStyle : 0;
    import.frame.marks.push_back(std::move(mark));
}

}  // namespace

void AlignNiffMark(const NiffTagState& tags, uint8_t horizontal, uint8_t vertical, NiffMark& mark) {
    constexpr int kTagAlignment = 33;
    mark.alignX = horizontal;
    mark.alignY = vertical;
    if (!HasNiffTag(tags, kTagAlignment)) return;
    if (tags.values[kTagAlignment][0] != 0) mark.alignX = tags.values[kTagAlignment][0];
    if (tags.values[kTagAlignment][1] != 0) mark.alignY = tags.values[kTagAlignment][1];
}

int ReadNiffLyric(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    const int line = fixedPart[4];
    if (line >= kLyricLines) {
        import.report.Count(kLyricLineKind);
        return 1;
    }
    NiffEvent* event = CurrentEvent(import);
    if (event == nullptr) return 1;
    std::string text = NiffString(import, NiffFixedLong(fixedPart, 0), kLyricChars);
    std::erase(text, '\\');
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    if (text.empty()) return 1;
    NiffLyricSyllable syllable;
    syllable.text = std::move(text);
    syllable.line = line;
    syllable.fontSlot = NiffMarkFont(import, kLyricDefault);
    AttachmentsOf(import, *event).lyrics.push_back(std::move(syllable));
    return 1;
}

int ReadNiffAccidental(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    if (NiffEvent* event = CurrentEvent(import))
        AttachmentsOf(import, *event).accidental = NiffAccidentalCodeOf(fixedPart[0]);
    return 1;
}

int ReadNiffArticulation(NiffChunkContext& context, const uint8_t* fixedPart) {
    return ReadNoteMark(context, fixedPart, kNiffArticulationRow);
}

int ReadNiffOrnament(NiffChunkContext& context, const uint8_t* fixedPart) {
    return ReadNoteMark(context, fixedPart, kNiffOrnamentRow);
}

int ReadNiffArpeggio(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    if (fixedPart[0] != kWavyArpeggioShape) {
        import.report.Count(kOtherArpeggioKind);
        return 1;
    }
    NiffEvent* event = CurrentEvent(import);
    if (event == nullptr) return 1;
    // The sign stands before the whole chord: the notes of the open stem.
    const NiffNoteGroup& notes = import.frame.notes;
    const int members = notes.currentGroup >= 0 ? notes.stemGroups[static_cast<size_t>(notes.currentGroup)].events : 1;
    NiffArpeggio arpeggio{event->position, event->position};
    for (int k = 0; k < members && k <= notes.currentEvent; ++k) {
        const int position = notes.events[static_cast<size_t>(notes.currentEvent - k)].position;
        arpeggio.top = std::min(arpeggio.top, position);
        arpeggio.bottom = std::max(arpeggio.bottom, position);
    }
    AttachmentsOf(import, *event).arpeggio = arpeggio;
    return 1;
}

int ReadNiffDynamic(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    const NiffDynamicRow* row = FindNiffDynamic(fixedPart[0]);
    if (row == nullptr) {
        import.report.Count(kUnknownDynamicKind);
        return 1;
    }
    if (import.frame.pastMeasureLimit) {
        import.report.Count(kNiffMeasuresPastLimit);
        return 1;
    }
    const bool above =
        HasNiffTag(import.tags, kTagSide) && import.tags.values[kTagSide][1] == kSideAbove;
    NiffMark mark =
        StaffMark(import, NiffMarkKind::kDynamic, above ? kDynamicAbove : kDynamicBelow);
    mark.detail.glyph = row->glyph;
    mark.detail.value = row->velocity;
    mark.detail.actionOn = !row->actionOff;
    import.frame.marks.push_back(std::move(mark));
    return 1;
}

int ReadNiffPedal(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr || SkipForNiffStaff(context)) return 1;
    NiffImportState& import = *context.import;
    const NiffTagState& tags = import.tags;
    if (HasNiffTag(tags, kTagGrace) || HasNiffTag(tags, kTagCue) || !HasNiffTag(tags, kTagId)) return 1;
    // A bracket's ends are kept from their measures, as the marks are.
    if (!NiffPlacedOnPage(tags)) ResolveNiffPlacement(import, NiffAnchorLevel::kEventSlice);
    NiffFrame& frame = import.frame;
    if (frame.pastMeasureLimit) {
        import.report.Count(kNiffMeasuresPastLimit);
        return 1;
    }
    const int shape = fixedPart[0];
    const int id = NiffTagShort(tags, kTagId, 0);
    std::vector<NiffPedalRecord>& pedals = frame.pedals;
    auto open = std::find_if(pedals.begin(), pedals.end(), [&](const NiffPedalRecord& r) { return r.id == id; });
    if (open == pedals.end()) {
        NiffPedalRecord record;
        record.id = id;
        record.remaining = (HasNiffTag(tags, kTagNodes) ? NiffTagShort(tags, kTagNodes, 0) : 1) - 1;
        record.staff = frame.staffNumber > 0 ? frame.staffNumber : 1;
        record.measure = frame.measures[frame.currentMeasure].number;
        record.shape = shape;
        record.height = HasNiffTag(tags, kTagHeight) ? NiffTagShort(tags, kTagHeight, 0)
                                                     : static_cast<int32_t>(256 / import.unitScale);
        record.x = NiffTagShort(tags, kTagPlacement, 0);
        record.y = NiffTagShort(tags, kTagPlacement, 2);
        record.tick = frame.currentTick;
        NiffPagePointOf(import, &record.pageStart);
        if (shape < kFirstBracketShape) MakeNiffPedalMark(import, shape);
        // A record with no chunk to come is done with at once.
        if (record.remaining <= 0) return 1;
        if (pedals.size() >= kMostOpenPedals) {
            import.report.Count(kPedalTableKind);
            pedals.front() = record;
        } else {
            pedals.push_back(record);
        }
        return 1;
    }
    if (--open->remaining > 0) return 1;
    const NiffPedalRecord start = *open;
    pedals.erase(open);
    if (shape < kFirstBracketShape)
        MakeNiffPedalMark(import, shape);
    else
        MakeNiffPedalBracket(import, start, shape);
    return 1;
}

}  // namespace ql::niff
