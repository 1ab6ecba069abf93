// Shared set-up of the stems and beams tests.
#include "notes/tests/stems/stems_fixture.h"

#include "core/constants.h"
#include "core/memory/arena.h"
#include "core/model/document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "platform/ui/headless.h"

namespace ql::testing_stems {

namespace {
constexpr int kMeasures = 4;
constexpr int kStaffLinesShift = 8;
constexpr uint16_t kStaffLinesMask = 0x0F00;
}  // namespace

void StemsTest::SetUp() {
    ResetProgramState();
    ASSERT_EQ(InitStaticPoolSet(), 1);  // beam trees come from the static set
    ui::headless::ResetUi();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
    view_->currentPage = doc_->firstPage;
    view_->currentSystem = doc_->firstPage->firstSystem.get();
    doc_->header.measureCount = kMeasures;
    for (int s = 0; s <= doc_->header.staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
        ASSERT_TRUE(staff != nullptr && IsStaffComplete(staff));
        doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
    cell_ = UseCell();
}

void StemsTest::TearDown() {
    EXPECT_EQ(LiveScratchNodes(), 0) << "a beam tree was not freed";
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
}

MeasureCell* StemsTest::UseCell(int staff, int measure, int beats, int beatUnit) {
    view_->currentStaff = staff;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(doc_, staff);
    cell_ = GetOrCreateMeasureCell(view_->currentStaffRecord, doc_, measure);
    cell_->beats = static_cast<uint8_t>(beats);
    cell_->beatUnit = static_cast<uint8_t>(beatUnit);
    view_->currentCell = cell_;
    view_->currentMeasureLength = beats << beatUnit;
    return cell_;
}

EventRecord* StemsTest::Note(int voice, int time, int code, int step) {
    return AddEventToVoice(view_, cell_, voice, static_cast<uint16_t>(time),
                           static_cast<uint8_t>(code), static_cast<uint8_t>(step));
}

EventRecord* StemsTest::Chord(int time, int code, std::initializer_list<int> steps) {
    EventRecord* any = nullptr;
    for (int step : steps) any = Note(time, code, step);
    return GetFirstEventOfChord(any);
}

std::vector<EventRecord*> StemsTest::Run(std::initializer_list<int> times, int code, int step) {
    std::vector<EventRecord*> notes;
    for (int time : times) notes.push_back(Note(time, code, step));
    return notes;
}

void StemsTest::Beam(const std::vector<EventRecord*>& heads) {
    for (size_t i = 0; i < heads.size(); ++i) {
        heads[i]->beamPrev = i > 0 ? HandleOfEvent(heads[i - 1]) : RecordHandle{};
        heads[i]->beamNext = i + 1 < heads.size() ? HandleOfEvent(heads[i + 1]) : RecordHandle{};
    }
}

void StemsTest::ExpectGroup(const std::vector<EventRecord*>& heads) {
    for (size_t i = 0; i < heads.size(); ++i) {
        RecordHandle prev = i == 0 ? RecordHandle{} : HandleOfEvent(heads[i - 1]);
        RecordHandle next = i + 1 == heads.size() ? RecordHandle{} : HandleOfEvent(heads[i + 1]);
        EXPECT_EQ(heads[i]->beamPrev, prev) << "beamPrev of chord " << i;
        EXPECT_EQ(heads[i]->beamNext, next) << "beamNext of chord " << i;
    }
}

void StemsTest::SetStaffLines(int lines) {
    StaffRecord* staff = view_->currentStaffRecord;
    staff->flags = static_cast<uint16_t>((staff->flags & ~kStaffLinesMask) | (lines << kStaffLinesShift));
}

ScoreObject* StemsTest::Rest(int voice, int time, int code) {
    ScoreObject* list = GetOrCreateVoiceElementList(cell_, voice);
    auto* rest = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (list == nullptr || rest == nullptr) return nullptr;
    ConstructScoreObject(rest);
    rest->type = static_cast<uint8_t>(ObjectType::Rest);
    SetElementTime(rest, static_cast<uint16_t>(time));
    rest->BodyBytes()[3] = static_cast<std::byte>(code);  // the rest's DurationCode
    // Appended at the end of the list.
    ScoreObject* last = list;
    while (last->next.get() != nullptr) last = last->next.get();
    last->next = Ref32<ScoreObject>::To(rest);
    rest->prev = Ref32<ScoreObject>::To(last);
    return rest;
}

int LiveScratchNodes() {
    StaticPoolSet& set = TheStaticPoolSet();
    const RecordPool& pool = set.pools[kNotesScratchStaticPool];
    int live = 0;
    for (int b = 0; b < pool.blockCount; ++b) {
        for (int s = 1; s < pool.blocks[b].nextFresh; ++s) {
            const std::byte* record = pool.blocks[b].base.get() + (size_t{1} * s << pool.shift);
            if (IsLiveRecord(PoolSet(set), kNotesScratchStaticPool, record)) ++live;
        }
    }
    return live;
}

}  // namespace ql::testing_stems
