// Shared set-up of the score-model tests.
#include "core/tests/model/model_fixture.h"

#include "core/tests/model/full_score.h"

namespace ql::testing_model {

namespace {

template <ObjectType T, ObjectSubtype S>
void ConstructTestObject(ScoreObject* record) {
    ConstructScoreObject(record);
    record->type = TypeCode(T);
    record->subtype = SubtypeCode(S);
}

}  // namespace

void RegisterModelTestTypes() {
    RegisterObjectType(
        TypeCode(ObjectType::Margin),
        {kTextObjectPool, &ConstructTestObject<ObjectType::Margin, ObjectSubtype::PageList>});
    RegisterObjectType(
        TypeCode(ObjectType::Accidental),
        {kTextObjectPool,
         &ConstructTestObject<ObjectType::Accidental, ObjectSubtype::NoteAttachment>});
    RegisterObjectType(
        TypeCode(ObjectType::Label),
        {kTextObjectPool, &ConstructTestObject<ObjectType::Label, ObjectSubtype::StaffLabelList>});
    RegisterObjectType(
        TypeCode(ObjectType::Box),
        {kTextObjectPool, &ConstructTestObject<ObjectType::Box, ObjectSubtype::MeasureTimeList>});
}

void ModelTest::SetUp() {
    ResetProgramState();
    ui::headless::ResetUi();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    RegisterModelTestTypes();
    arenaBytesAtStart_ = ArenaBytesInUse();
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
    view_->currentPage = doc_->firstPage;
    view_->currentSystem = doc_->firstPage->firstSystem.get();
}

void ModelTest::TearDown() {
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
    EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_) << "the document left blocks in the arena";
}

void ModelTest::BuildStaves(int measureCount) {
    ASSERT_TRUE(full_score::BuildStaves(doc_, view_, measureCount));
}

MeasureCell* ModelTest::Cell(int staff, int measure) {
    return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
}

MeasureCell* ModelTest::UseCell(int staff, int measure) {
    if (StaffRecordOf(doc_, staff) == nullptr) BuildStaves(4);
    view_->currentStaff = staff;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(doc_, staff);
    view_->currentCell = Cell(staff, measure);
    view_->currentMeasureLength = DefaultMeasureTicks();
    return view_->currentCell;
}

EventRecord* ModelTest::Note(MeasureCell* cell, int voice, int time, int duration, int step) {
    return AddEventToVoice(view_, cell, voice, static_cast<uint16_t>(time),
                           static_cast<uint8_t>(duration), static_cast<uint8_t>(step));
}

std::vector<std::pair<int, int>> ModelTest::Voice(MeasureCell* cell, int voice) {
    std::vector<std::pair<int, int>> items;
    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr && items.size() < 1000;
         e = NextEvent(e))
        items.emplace_back(e->time, e->step);
    return items;
}

void ModelTest::ExpectBeamGroup(std::initializer_list<EventRecord*> heads) {
    std::vector<EventRecord*> list(heads);
    for (size_t i = 0; i < list.size(); ++i) {
        RecordHandle prev = i == 0 ? RecordHandle{} : HandleOfEvent(list[i - 1]);
        RecordHandle next = i + 1 == list.size() ? RecordHandle{} : HandleOfEvent(list[i + 1]);
        EXPECT_EQ(list[i]->beamPrev, prev) << "beamPrev of chord " << i;
        EXPECT_EQ(list[i]->beamNext, next) << "beamNext of chord " << i;
    }
}

}  // namespace ql::testing_model
