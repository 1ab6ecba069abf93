// The building sink of the stream walk (see score_build_sink.h): header, staves and
// measure table. The music, pages and fonts are in score_build_music.cpp and
// score_build_pages.cpp.
#include "files/read/score_build_sink.h"

#include <algorithm>
#include <iterator>

#include "files/read/old_versions.h"

#include <cstring>
#include <string>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "core/settings/metrics_table.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/units/paper_size.h"
#include "files/read/score_read_rules.h"
#include "files/records/file_codes.h"
#include "files/records/staff_records.h"
#include "layout/measure_spacing.h"
#include "layout/page_geometry.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"
#include "platform/ui/message_box.h"
#include "platform/ui/status_bar.h"

namespace ql {
namespace {

namespace fc = file_code;

constexpr int kStatusNoticePart = 0;
constexpr char kPortOutOfRange[] = "Port out of range.";
constexpr char kPortMapOutOfRange[] = "PortMap out of range.";
constexpr char kMorePortsNotice[] = "File used more ports";

void ShowNotice(const char* text) {
    if (platform::WindowHandle bar = State().dialogs.StatusWindow) ui::SetStatusBarText(bar, kStatusNoticePart, text);
}

// A new staff record for the document's counts, in the staves array; null when
// it could not be made whole.
StaffRecord* NewStaff(ScoreView* view, int index) {
    ScoreDocument* document = view->document;
    StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
    if (staff == nullptr) return nullptr;
    document->staves->staves[index] = Ref32<StaffRecord>::To(staff);
    return IsStaffComplete(staff) ? staff : nullptr;
}

// A port above the last logical port becomes 0; a port whose output device is
// missing keeps its byte (playback then sends the staff to port 0). True when a
// missing device was seen.
bool CheckPorts(StaffRecord* staff) {
    bool missing = false;
    const ProgramOptions& options = Options();
    for (StaffTimbre& timbre : staff->timbres) {
        if (timbre.port == kNoTimbrePort) continue;
        if (timbre.port >= kLogicalPortCount) {
            ShowNotice(kPortOutOfRange);
            timbre.port = 0;
        } else if (options.OutputDeviceEntries > 0 && options.MidiPortMap[timbre.port] != kNoDeviceEntry &&
                   options.MidiPortMap[timbre.port] >= options.OutputDeviceEntries) {
            ShowNotice(kPortMapOutOfRange);
            missing = true;
        }
    }
    return missing;
}

// Chains the entries in new pool-2 records; the first one's handle, or none (with
// `failed` set when a record could not be had: what was taken is given back).
RecordHandle BuildSpacingList(const std::vector<SpacingEntry>& entries, bool* failed) {
    RecordHandle first{};
    SpacingEntry* previous = nullptr;
    std::vector<RecordHandle> taken;
    for (const SpacingEntry& stored : entries) {
        RecordHandle handle{};
        auto* entry = static_cast<SpacingEntry*>(AllocRecordWithHandle(kSpacingEntryPool, &handle));
        if (entry == nullptr) {
            for (RecordHandle made : taken) FreeRecordByHandle(kSpacingEntryPool, made);
            *failed = true;
            return RecordHandle{};
        }
        taken.push_back(handle);
        *entry = stored;
        entry->next = 0;
        if (previous != nullptr)
            previous->next = handle.bits;
        else
            first = handle;
        previous = entry;
    }
    return first;
}

}  // namespace

BuildingStreamSink::BuildingStreamSink(ScoreView* view) : view_(view), document_(view->document) {}

BuildingStreamSink::~BuildingStreamSink() {
    RestoreVoiceMask();
}

int BuildingStreamSink::Header(const ScoreHeader& header, uint8_t version) {
    version_ = version;
    document_->header = header;
    ApplyMarginRule(document_->header);
    if (version < version_gate::kBcdHeader) {
        // The header's distances were held in logical units.
        std::copy(std::begin(header.pageDistances), std::end(header.pageDistances),
                  std::begin(document_->internalDistances));
        ConvertHeaderToExternal(document_);
    }
    // Metrics that would draw nothing or a solid bar take their defaults.
    repairedMetrics_ += RepairMetricWords(document_->header);
    ConvertHeaderToInternal(document_);
    ConvertStoredPageSizes(*document_, version);
    const PageRecord& page = document_->header.pageGeometry;
    view_->UnitsPerInch = StaffUnitsPerInch(page.staffSize, document_->header.fontSizeSetting);
    // The page's extent before any page is read: repairs and the formatting of the
    // loaded pages place systems against its bottom, as they did when the score
    // was made.
    PageExtentOf(view_);
    if (!BuildGalleyPage(view_, nullptr) || view_->galleySystem == nullptr) return fc::kGalleySystem;
    return NewStaff(view_, 0) != nullptr ? 0 : fc::kStaffZero;
}

int BuildingStreamSink::FaceNames(const std::vector<FaceNameEntry>& entries, bool dropped) {
    std::memset(document_->faceNames, 0, sizeof document_->faceNames);
    for (size_t i = 0; i < entries.size() && i < static_cast<size_t>(kFaceNameCount); ++i) {
        document_->faceNames[i] = entries[i];
        document_->faceNames[i].name[kFaceNameChars - 1] = '\0';
    }
    if (dropped) damaged_ = true;
    return 0;
}

// The galley system's own record is not kept (the view built its own); its staff
// arrays take the stored offsets and flags.
int BuildingStreamSink::GalleySystem(const StreamSystem& system) {
    uint16_t* offsets = StaffOffsetsOf(view_->galleySystem);
    int8_t* flags = StaffFlagsOf(view_->galleySystem);
    if (offsets == nullptr || flags == nullptr) return fc::kSystemOffsets;
    for (size_t s = 0; s < system.offsets.size(); ++s) {
        StoreField<uint16_t>(offsets + s + 1, system.offsets[s]);
        flags[s + 1] = system.flags[s];
    }
    return 0;
}

int BuildingStreamSink::Staff(int staff, const uint8_t* bytes) {
    StaffRecord* record = NewStaff(view_, staff);
    if (record == nullptr) return fc::kStaff;
    ByteReader reader(bytes, kStoredStaffBytes);
    DecodeStaffRecord(reader, record);
    if (CheckPorts(record)) missingPortDevice_ = true;
    if (staff == document_->header.staffCount && missingPortDevice_) {
        ShowNotice(kMorePortsNotice);
        ui::Beep(ui::BeepKind::Default);
    }
    return 0;
}

int BuildingStreamSink::Label(int staff, ScoreObject* label) {
    if (label == nullptr) return 0;
    StaffRecord* record = StaffRecordOf(document_, staff);
    ScoreObject* list = record != nullptr ? record->objects.get() : nullptr;
    if (list == nullptr) {
        ReleaseObjectByType(document_, label);
        return fc::kLabelObject;
    }
    // A text cut short by a NUL keeps only what is shown (an empty one the name a
    // file stores for it), in the pool of that size, so that writing it back and
    // reading it again gives the same record.
    std::string text = GetTextBoxString(label);
    if (text.empty()) text = kNoLabelName;
    if (!SetTextBoxText(&AsTextBox(label)->body, text.data(), text.size())) {
        ReleaseObjectByType(document_, label);
        return fc::kLabelText;
    }
    InsertObjectAfter(list, label);
    return 0;
}

int BuildingStreamSink::Recover(StreamRecovery recovery, int code) {
    (void)recovery, (void)code;
    damaged_ = true;
    return 0;
}

// Word 14 is run-time state and starts at 0; a spacing list that breaks the list
// invariants is not kept, so the measure is spaced by its factor.
int BuildingStreamSink::Measure(int measure, const MeasureRecord& record, const std::vector<SpacingEntry>& spacing) {
    MeasureRecord& target = document_->measureTable[measure];
    target = record;
    target.layoutData14 = 0;
    target.spacing = RecordHandle{};
    if (!IsSpacingListSound(spacing)) return 0;
    bool failed = false;
    target.spacing = BuildSpacingList(spacing, &failed);
    return failed ? fc::kSpacingAlloc : 0;
}

}  // namespace ql
