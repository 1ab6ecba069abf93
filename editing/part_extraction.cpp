// Extract Part. The staves inside the marquee and the last measure that holds
// anything in them give the part's shape; the layout dialog decides where the
// page and layout block comes from (the template's header, the master score's or
// the new-file defaults); a new score "untitled_PART" of that block and the
// selected staff count is made, then takes the measures, the cells (through
// CopyCellBetweenDocuments), the staves' display fields and labels, groups and
// keys, the marks of the staves above that belong to every part, and is
// formatted and shown. A cell that cannot be copied whole leaves the part
// incomplete: the copy goes on and one low-memory report says so at the end.
#include "editing/part_extraction.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "editing/cell_copy.h"
#include "editing/marquee.h"
#include "editing/part_extraction_internal.h"
#include "editing/part_extraction_resources.h"
#include "editing/part_measure_objects.h"
#include "editing/part_page_items.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "files/commands/file_commands.h"
#include "files/read/score_reader.h"
#include "layout/measure_spacing.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_list.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/transpose/transpose.h"
#include "platform/ui/message_box.h"
#include "staves/barline.h"
#include "staves/multi_measure_rest.h"
#include "staves/score_truncate.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

namespace d = extract_part_dialog;

// Key codes count fifths from C flat (0): C is 7, the sharp keys from G (8) on.
constexpr uint8_t kFirstSharpKey = CodeOf(KeyCode::G);
constexpr int kFifthUpBelow = 7;
constexpr int kFifthUpFrom = -5;
constexpr int kFifthDownBelow = 5;
constexpr int kFifthDownFrom = -7;
constexpr uint16_t kTranspositionDirection = 0x0300;
constexpr uint16_t kTransposeMusic = 0x0800;
constexpr uint8_t kOneStaffPartFlag = 0x80;
constexpr int kCellHeaderBytes = 8;  // clef and key, signature and flags
constexpr char kPartModule[] = "EXTRACT";
constexpr char kSelectStavesToExtract[] =
    "Select the staves to extract first: choose the Pointer tool and drag a marquee around them.";
constexpr int kIncompletePartLine = 9;

StaffRecord* StaffOf(ScoreDocument* document, int staff) {
    if (document == nullptr || staff < 1 || staff > document->header.staffCount) return nullptr;
    return StaffRecordOf(document, staff);
}

// The last measure holding anything in staves first..last; 0 when none.
int LastFilledMeasure(ScoreDocument* document, int first, int last) {
    ScopedPoolSet pools(document->pools);
    for (int m = document->header.measureCount; m >= 1; --m)
        for (int s = first; s <= last; ++s)
            if (StaffRecord* staff = StaffOf(document, s))
                if (MeasureCell* cell = GetOrCreateMeasureCell(staff, document, m); cell && !IsCellEmpty(cell))
                    return m;
    return 0;
}

// The page and layout block the part is made from, by the stored choice; false
// when the template cannot be read.
bool StagingHeader(ScoreDocument* source, ScoreHeader* out) {
    switch (source->partLayoutChoice) {
    case d::kFromTemplate: {
        ScoreLoad load = LoadScoreFile(source->partTemplatePath);
        if (load.document == nullptr) return false;
        *out = load.document->header;
        FreeLoadedScore(load);
        return true;
    }
    case d::kNewFileDefaults: *out = ProgramPreferences().header; return true;
    default: *out = source->header; return true;
    }
}

// The margin sets made consistent: an all-zero set takes the other.
void MatchMarginSets(ScoreHeader& header) {
    auto allZero = [](const uint16_t (&set)[kMarginCount]) {
        return std::all_of(std::begin(set), std::end(set), [](uint16_t v) { return v == 0; });
    };
    if (allZero(header.leftMargins))
        std::copy(std::begin(header.rightMargins), std::end(header.rightMargins), std::begin(header.leftMargins));
    else if (allZero(header.rightMargins))
        std::copy(std::begin(header.leftMargins), std::end(header.leftMargins), std::begin(header.rightMargins));
}

// The page fields of the staging header into the new document, in internal units.
void TakePageFields(ScoreDocument* part, const ScoreHeader& staging) {
    ScoreHeader& h = part->header;
    std::copy(std::begin(staging.pageDistances), std::end(staging.pageDistances), std::begin(h.pageDistances));
    h.pageGeometry = staging.pageGeometry;
    h.scoreSettingB = staging.scoreSettingB;
    h.userPageWidth = staging.userPageWidth;
    h.userPageHeight = staging.userPageHeight;
    h.fontSizeSetting = staging.fontSizeSetting;
    std::copy(std::begin(staging.leftMargins), std::end(staging.leftMargins), std::begin(h.leftMargins));
    std::copy(std::begin(staging.rightMargins), std::end(staging.rightMargins), std::begin(h.rightMargins));
    ConvertHeaderToInternal(part);
    // The part's pages were made with the new-file margins.
    ApplyHeaderMargins(part);
}

// The source staff's display fields; the part's own cells and object list stay.
void TakeStaffFields(StaffRecord& part, const StaffRecord& source) {
    const Ref32<ScoreObject> objects = part.objects;
    const Ref32<CellHandleArray> cells = part.cells;
    part = source;
    part.objects = objects;
    part.cells = cells;
    for (GroupKind kind : kAllGroupKinds) ClearGroupBits(part, kind);
}

// The key of measure 1 follows the staff's transposition. A staff marked for it
// has its music moved too: the new key over the whole part, with the octaves
// taken off as a further shift.
void TransposeStaff(ScoreView* partView, int staffNumber, StaffRecord& staff, int lastMeasure) {
    if ((staff.transpositionWord & kTranspositionDirection) == 0 || staff.semitones == 0) return;
    int octaves = 0;
    const int semitones = ReducedTransposition(staff.semitones, &octaves);
    MeasureCell* cell = GetOrCreateMeasureCell(&staff, partView->document, 1);
    if (cell == nullptr) return;
    const uint8_t key = KeyMovedBySemitones(static_cast<uint8_t>(cell->clefKey >> 4), semitones);
    if ((staff.transpositionWord & kTransposeMusic) == 0 || semitones == 0) {
        cell->clefKey = static_cast<uint8_t>((cell->clefKey & 0x0F) | (key << 4));
        return;
    }
    TransposeRequest request;
    request.staff = staffNumber;
    request.firstMeasure = 1;
    request.lastMeasure = lastMeasure + 1;  // up to the end of the last measure
    request.newKey = key;
    request.direction = semitones > 0 ? TransposeDirection::Up : TransposeDirection::Down;
    request.semitones = octaves;
    ChangeKeyOverRange(partView, request);
}

// The source staff's labels cloned into the part staff's own object list; 0
// when a record could not be had.
int CopyStaffLabels(ScoreDocument* source, ScoreView* partView, const StaffRecord& from, StaffRecord& to) {
    ScoreDocument* part = partView->document;
    if (!from.objects || !from.objects->next) return 1;
    if (!to.objects) {
        ScopedPoolSet pools(part->pools);
        to.objects = Ref32<ScoreObject>::To(AllocRootObject());
        if (!to.objects) return 0;
    }
    const CellCopySides sides{source, part, source->pools, part->pools, partView, 0};
    return CopyObjectListBetween(sides, from.objects.get(), to.objects.get());
}

// The source measure's spacing list, entry by entry, as the part's (the part's
// own list goes); false when an entry could not be had. A damaged source list is
// not copied: the part's measure is spaced by its factor.
bool CopySpacingList(ScoreDocument* source, ScoreDocument* part, const MeasureRecord& from, MeasureRecord& to) {
    std::vector<SpacingEntry> entries;
    {
        ScopedPoolSet pools(source->pools);
        if (IsSpacingListSound(from.spacing))
            for (const SpacingEntry* e = SpacingEntryOf(from.spacing); e != nullptr;
                 e = SpacingEntryOf(RecordHandle{e->next}))
                entries.push_back(*e);
    }
    ScopedPoolSet pools(part->pools);
    FreeSpacingList(to.spacing);
    SpacingEntry* previous = nullptr;
    for (const SpacingEntry& e : entries) {
        previous = InsertSpacingEntry(to, previous, e.time, e.ticksToNext, e.xPer16Ticks);
        if (previous == nullptr) return false;
    }
    return true;
}

// Measure m's record from the source, with the part's own two measure margins and
// a copy of the source's spacing list; false when the list could not be copied
// whole.
bool TakeMeasureRecord(ScoreDocument* source, ScoreDocument* part, int m) {
    MeasureRecord& to = part->measureTable[m];
    const MeasureRecord kept = to;
    to = source->measureTable[m];
    to.spacing = kept.spacing;
    to.lead = kept.lead;
    to.trail = kept.trail;
    return CopySpacingList(source, part, source->measureTable[m], to);
}

// The barline closing the part's last measure (kept with the record after it) is
// the one the source has there, with its repeat count.
void TakeClosingBarline(ScoreDocument* source, ScoreDocument* part, int lastMeasure) {
    const MeasureRecord* from = MeasureRecordOf(source, lastMeasure + 1);
    MeasureRecord* to = MeasureRecordOf(part, lastMeasure + 1);
    if (from == nullptr || to == nullptr) return;
    SetBarlineTypeAt(part, BarlineRef{lastMeasure + 1, false, false}, BarlineTypeOf(*from));
    to->repeatCount = from->repeatCount;
}

struct PartShape {
    int firstStaff = 0;
    int lastStaff = 0;
    int lastMeasure = 0;
    int StaffCount() const { return lastStaff - firstStaff + 1; }
};

// Measures, cells and staves copied into the part; the cells that could not be
// copied whole are counted.
int CopyMusic(ScoreView* sourceView, ScoreView* partView, const PartShape& shape) {
    ScoreDocument* source = sourceView->document;
    ScoreDocument* part = partView->document;
    ScopedPoolSet partPools(part->pools);
    if (StaffRecordOf(part, 1) == nullptr && BuildInitialScoreLayout(partView) == 0) return 1;
    if (AddMeasures(partView, shape.lastMeasure) == 0 && part->header.measureCount < shape.lastMeasure) return 1;
    // The new score's first pages may hold more measures than the part: they go.
    const int after = shape.lastMeasure + 1;
    if (part->header.measureCount >= after) TruncateScoreAtMeasure(partView, PageOfMeasure(part, after), after);
    int incomplete = 0;
    for (int m = 1; m <= shape.lastMeasure; ++m)
        if (!TakeMeasureRecord(source, part, m)) ++incomplete;
    TakeClosingBarline(source, part, shape.lastMeasure);
    if (shape.StaffCount() == 1) part->measureTable[1].flags |= kOneStaffPartFlag;
    for (int s = 0; s < shape.StaffCount(); ++s) {
        StaffRecord* from = StaffOf(source, shape.firstStaff + s);
        StaffRecord* to = StaffOf(part, s + 1);
        if (from == nullptr || to == nullptr) return incomplete + 1;
        for (int m = 1; m <= shape.lastMeasure; ++m) {
            MeasureCell* fromCell = nullptr;
            {
                ScopedPoolSet sourcePools(source->pools);
                fromCell = GetOrCreateMeasureCell(from, source, m);
            }
            MeasureCell* toCell = GetOrCreateMeasureCell(to, part, m);
            if (fromCell == nullptr || toCell == nullptr) {
                ++incomplete;
                continue;
            }
            std::copy_n(reinterpret_cast<const uint8_t*>(fromCell), kCellHeaderBytes, reinterpret_cast<uint8_t*>(toCell));
            if (BeforeCellCopyHook()) BeforeCellCopyHook()(s + 1, m);
            if (CopyCellBetweenDocuments(source, part, source->pools, part->pools, fromCell, toCell,
                                         sourceView->voiceMask, partView) == 0)
                ++incomplete;
        }
        TakeStaffFields(*to, *from);
        if (CopyStaffLabels(source, partView, *from, *to) == 0) ++incomplete;
        TransposeStaff(partView, s + 1, *to, shape.lastMeasure);
    }
    return incomplete;
}

void GroupPartStaves(ScoreDocument* source, ScoreDocument* part, const PartShape& shape) {
    ScopedPoolSet pools(part->pools);
    std::vector<StaffRecord*> staves;
    for (int s = 1; s <= shape.StaffCount(); ++s) staves.push_back(StaffOf(part, s));
    const StaffRecord* first = StaffOf(source, shape.firstStaff);
    const StaffRecord* last = StaffOf(source, shape.lastStaff);
    if (first == nullptr || last == nullptr || std::find(staves.begin(), staves.end(), nullptr) != staves.end())
        return;
    SetPartGroups(staves.data(), static_cast<int>(staves.size()), *first, *last);
}

// A part of some voices only has the copied notes beamed again, as a paste of
// some voices does.
void RebeamPart(ScoreView* partView, uint8_t voiceMask, const PartShape& shape) {
    if (voiceMask == 0) return;
    for (int s = 1; s <= shape.StaffCount(); ++s)
        for (int m = 1; m <= shape.lastMeasure; ++m) RebeamCopiedVoices(partView, voiceMask, s, m);
}

// Formatting and showing the finished part.
void FinishPart(ScoreView* partView, uint8_t voiceMask, const PartShape& shape) {
    ScopedPoolSet pools(partView->document->pools);
    ExtendPagesToMeasureCount(partView);
    ResetSelection(partView, 0);
    UpdateBeatMaps(partView, 0);
    RebeamPart(partView, voiceMask, shape);
    // "Auto MMR's on Part Extract": each run of empty measures becomes one rest.
    if (Options().AutoMMR != 0 && CombineEmptyMeasures(partView, 1, shape.lastMeasure) > 0) UpdateBeatMaps(partView, 0);
    FormatAllPages(partView);
    InvalidateLinkedViews(partView);
    SetDocumentModified(partView->document);
}

}  // namespace

std::function<void(int, int)>& BeforeCellCopyHook() {
    static std::function<void(int, int)> hook;
    return hook;
}

void SetPartGroups(StaffRecord* const* part, int count, const StaffRecord& firstSource,
                   const StaffRecord& lastSource) {
    for (int i = 0; i < count; ++i)
        for (GroupKind kind : kAllGroupKinds)
            if (kind != GroupKind::Barline) ClearGroupBits(*part[i], kind);
    if (count < 2) return;
    GroupKind kind;
    if (IsInGroup(firstSource, GroupKind::Bracket) && IsInGroup(lastSource, GroupKind::Bracket))
        kind = GroupKind::Bracket;
    else if (IsInGroup(firstSource, GroupKind::Brace) && IsInGroup(lastSource, GroupKind::Brace))
        kind = GroupKind::Brace;
    else
        return;
    for (int i = 0; i < count; ++i) {
        SetJoinsStaffAbove(*part[i], kind, i > 0);
        SetJoinsStaffBelow(*part[i], kind, i + 1 < count);
    }
}

uint8_t KeyMovedBySemitones(uint8_t key, int semitones) {
    int k = key;
    for (int i = 0; i < semitones; ++i) k += k < kFirstSharpKey ? kFifthUpBelow : kFifthUpFrom;
    for (int i = 0; i > semitones; --i) k += k < kFirstSharpKey ? kFifthDownBelow : kFifthDownFrom;
    return static_cast<uint8_t>(k);
}

int ReducedTransposition(int semitones, int* octaves) {
    int reduced = semitones;
    while (reduced > kSemitonesPerOctave) reduced -= kSemitonesPerOctave;
    while (reduced < -kSemitonesPerOctave) reduced += kSemitonesPerOctave;
    if (octaves != nullptr) *octaves = semitones - reduced;
    return reduced;
}

void ExtractPart(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    int firstStaff = 0;
    int lastStaff = 0;
    const bool marquee = CurrentToolGroup() == ToolGroup::Pointer && CurrentMarquee() != nullptr;
    if (!marquee || MarqueeRangeAtPoint(view, &firstStaff, &lastStaff) == 0) {
        ModalMessageBox(kSelectStavesToExtract, ProgramString(kStrProductCaption),
                        ui::kBoxOk | ui::kBoxIconInformation);
        return;
    }
    ExtractStaves(view, firstStaff, lastStaff);
}

void ExtractStaves(ScoreView* view, int firstStaff, int lastStaff) {
    if (view == nullptr || view->document == nullptr) return;
    ScoreDocument* source = view->document;
    if (firstStaff < 1 || lastStaff < firstStaff || lastStaff > source->header.staffCount) return;
    PartShape shape;
    shape.firstStaff = firstStaff;
    shape.lastStaff = lastStaff;
    shape.lastMeasure = LastFilledMeasure(source, shape.firstStaff, shape.lastStaff);
    if (shape.lastMeasure == 0) {
        ShowNotice(ProgramString(kStrSelectedScoreEmpty).c_str());
        return;
    }
    // "Auto-detect End of Extracted Part" off: the part runs to the score's end.
    if (Options().AutoLastBar == 0) shape.lastMeasure = source->header.measureCount;
    FileFlags& files = State().files;
    files.Opening = 1;
    if (RunExtractPartLayoutDialog(view) != 1) {
        files.Opening = 0;
        return;
    }
    ScoreHeader staging{};
    if (!StagingHeader(source, &staging)) {
        files.Opening = 0;
        return;
    }
    staging.pageGeometry.paperKind = source->header.pageGeometry.paperKind;
    MatchMarginSets(staging);
    NewScoreBlock block = staging.newScoreBlock;
    block.initStavesPerSystem = static_cast<uint16_t>((block.initStavesPerSystem & 0xFF00) | shape.StaffCount());
    const int reportsBefore = LowMemoryReportCount();
    ScoreView* partView = NewScoreFromBlock(block, kPartWindowName);
    files.Opening = 0;
    if (partView == nullptr) return;
    {
        ScopedPoolSet pools(partView->document->pools);
        TakePageFields(partView->document, staging);
    }
    int incomplete = CopyMusic(view, partView, shape);
    incomplete += OfferMeasureObjectsToPart(view, partView, shape.firstStaff, shape.lastMeasure);
    GroupPartStaves(source, partView->document, shape);
    FinishPart(partView, view->voiceMask, shape);
    // After the formatting, which gives every page its margin element (the head of
    // the page's object list).
    incomplete += CopyPartPageItems(view, partView, source->partLayoutChoice != d::kFromTemplate);
    if (incomplete > 0 && LowMemoryReportCount() == reportsBefore) ReportLowMemory(kPartModule, kIncompletePartLine);
    EndFocus(view, 1);
}

}  // namespace ql
