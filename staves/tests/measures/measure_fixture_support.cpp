// Set-up and read-back helpers of the measure-editing tests.
#include "staves/tests/measures/measure_fixture.h"

#include <cstring>

#include "core/memory/arena.h"
#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "layout/spacing/spacing_list.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql::testing_measures {

namespace {

constexpr int kQuarterCode = 10;

void Append(std::vector<std::byte>& image, const void* data, size_t bytes) {
    const auto* p = static_cast<const std::byte*>(data);
    image.insert(image.end(), p, p + bytes);
}

}  // namespace

void MeasureTest::SetUp() {
    OpenNewDocument([] { ResetProgramOptions(); });
    MakeStatusBar();
}

void MeasureTest::TearDown() {
    FailNextRecordAllocations(0);
    CloseNewDocument();
}

void MeasureTest::BuildScore(int staffCount, int measures) {
    doc_->header.staffCount = static_cast<uint8_t>(staffCount);
    doc_->header.measureCount = static_cast<uint16_t>(measures);
    for (int s = 0; s <= staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
        ASSERT_TRUE(staff != nullptr && IsStaffComplete(staff));
        doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
    for (int m = 0; m < MaxMeasures; ++m) {
        MeasureRecord& record = Record(m);
        record.lengthTicks = 4096;
        record.width = ProportionalWidth(record);
        record.number = static_cast<uint16_t>(m);
    }
    for (int s = 0; s <= staffCount; ++s)
        for (int m = 0; m <= measures + kSpareMeasures; ++m) {
            Cell(s, m)->beats = 4;
            Cell(s, m)->beatUnit = kQuarterCode;
        }
    ScoreSystem* system = view_->currentSystem;
    system->firstMeasure = 1;
    system->lastMeasure = static_cast<uint16_t>(measures);
    doc_->firstPage->firstMeasure = 1;
    doc_->firstPage->lastMeasure = static_cast<uint16_t>(measures);
}

MeasureCell* MeasureTest::Cell(int staff, int measure) {
    return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
}

std::vector<int> MeasureTest::Numbers() const {
    std::vector<int> numbers;
    for (int m = 1; m <= doc_->header.measureCount; ++m) numbers.push_back(MeasureRecordOf(doc_, m)->number);
    return numbers;
}

EventRecord* MeasureTest::Note(int staff, int measure, int time) {
    view_->currentMeasureLength = Record(measure).lengthTicks;
    return AddEventToVoice(view_, Cell(staff, measure), 0, static_cast<uint16_t>(time), kQuarterCode, 4);
}

// Every live record of every pool with its place (pool, block, slot), then the
// measure table: a slot handed out and given back again does not count as a change.
std::vector<std::byte> MeasureTest::Image() const {
    std::vector<std::byte> image;
    Append(image, &doc_->header.measureCount, sizeof doc_->header.measureCount);
    Append(image, doc_->measureTable.get(), sizeof(MeasureRecord) * MaxMeasures);
    PoolSet set(doc_->pools);
    for (int p = 0; p < set.poolCount; ++p) {
        const RecordPool& pool = set.pools[p];
        const size_t slot = size_t{1} << pool.shift;
        for (int b = 0; b < pool.blockCount; ++b) {
            const std::byte* base = pool.blocks[b].base.get();
            if (base == nullptr) continue;
            for (int s = 1; s < pool.blocks[b].nextFresh; ++s) {
                const std::byte* record = base + s * slot;
                if (!IsLiveRecord(set, p, record)) continue;
                const int place[3] = {p, b, s};
                Append(image, place, sizeof place);
                Append(image, record, slot);
            }
        }
    }
    return image;
}

std::vector<std::string> MeasureTest::BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : ui::headless::MessageBoxes()) texts.push_back(box.text);
    return texts;
}

std::vector<std::string> MeasureTest::StatusTexts() {
    std::vector<std::string> texts;
    for (const auto& record : ui::headless::StatusTexts()) texts.push_back(record.text);
    return texts;
}

void MeasureTest::UseMeasure(int measure, int staff) {
    view_->currentStaff = staff;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(doc_, staff);
    view_->currentCell = Cell(staff, measure);
    view_->currentMeasureLength = Record(measure).lengthTicks;
}

}  // namespace ql::testing_measures
