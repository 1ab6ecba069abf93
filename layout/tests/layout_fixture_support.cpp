// Shared set-up of the layout tests.
#include "layout/tests/layout_fixture.h"

#include <ostream>

#include "core/memory/arena.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "core/tests/model/full_score.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql::testing_layout {

namespace {

// The rest element's body (see core/model/grid_voices.cpp): tick at 0, duration
// code at 3.
constexpr size_t kRestDurationOffset = 3;

template <ObjectType T, ObjectSubtype S>
void ConstructTestObject(ScoreObject* record) {
    ConstructScoreObject(record);
    record->type = TypeCode(T);
    record->subtype = SubtypeCode(S);
}

template <ObjectType T, ObjectSubtype S>
void Register() {
    RegisterObjectType(TypeCode(T), {kTextObjectPool, &ConstructTestObject<T, S>});
}

}  // namespace

void PrintTo(const Column& column, std::ostream* out) {
    *out << "{" << column.time << ", " << column.ticks << ", " << column.value << "}";
}

void RegisterLayoutTestTypes() {
    Register<ObjectType::Margin, ObjectSubtype::PageList>();
    Register<ObjectType::Accidental, ObjectSubtype::NoteAttachment>();
    Register<ObjectType::Label, ObjectSubtype::StaffLabelList>();
    Register<ObjectType::Rest, ObjectSubtype::MeasureTimeList>();
    Register<ObjectType::Clef, ObjectSubtype::MeasureTimeList>();
    Register<ObjectType::KeySignature, ObjectSubtype::MeasureTimeList>();
}

void LayoutTest::SetUp() {
    OpenNewDocument(&RegisterLayoutTestTypes);
}

void LayoutTest::TearDown() {
    CloseNewDocument();
}

void LayoutTest::BuildScore(int staffCount, int measureCount, int ticks) {
    doc_->header.staffCount = static_cast<uint8_t>(staffCount);
    ASSERT_TRUE(full_score::BuildStaves(doc_, view_, measureCount));
    for (int m = 0; m < MaxMeasures; ++m) SetLength(m, ticks);
    view_->currentMeasureLength = ticks;
}

MeasureCell* LayoutTest::Cell(int staff, int measure) {
    return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
}

void LayoutTest::SetLength(int measure, int ticks) {
    MeasureRecord& record = Record(measure);
    record.lengthTicks = static_cast<uint16_t>(ticks);
    record.width = ProportionalWidth(record);
}

EventRecord* LayoutTest::Note(int staff, int measure, int voice, int time, int code, int step,
                              int dots) {
    view_->currentMeasureLength = Record(measure).lengthTicks;
    EventRecord* note = AddEventToVoice(view_, Cell(staff, measure), voice,
                                        static_cast<uint16_t>(time), static_cast<uint8_t>(code),
                                        static_cast<uint8_t>(step));
    if (note != nullptr) note->word2 = static_cast<uint16_t>((note->word2 & ~kEventDotsMask) | dots);
    return note;
}

ScoreObject* LayoutTest::Rest(int staff, int measure, int voice, int time, int code) {
    ScoreObject* list = GetOrCreateVoiceElementList(Cell(staff, measure), voice);
    ScoreObject* rest = ConstructObject(TypeCode(ObjectType::Rest));
    if (list == nullptr || rest == nullptr) return nullptr;
    SetElementTime(rest, static_cast<uint16_t>(time));
    rest->BodyBytes()[kRestDurationOffset] = static_cast<std::byte>(code);
    ScoreObject* last = list;
    while (last->next) last = last->next.get();
    InsertObjectAfter(last, rest);
    return rest;
}

ScoreObject* LayoutTest::Accidental(EventRecord* note, int code) {
    SetNoteAccidentalCode(*note, code);
    return NewAccidentalForNote(view_, note);
}

void LayoutTest::UseMeasure(int measure, int staff) {
    view_->currentStaff = staff;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(doc_, staff);
    view_->currentCell = Cell(staff, measure);
    view_->currentMeasureLength = Record(measure).lengthTicks;
}

std::vector<std::string> LayoutTest::StatusPart(int part) {
    std::vector<std::string> texts;
    for (const auto& record : ui::headless::StatusTexts())
        if (record.part == part) texts.push_back(record.text);
    return texts;
}

ScoreSystem* LayoutTest::UseSystem(int first, int last) {
    ScoreSystem* system = doc_->firstPage->firstSystem.get();
    system->firstMeasure = static_cast<uint16_t>(first);
    system->lastMeasure = static_cast<uint16_t>(last);
    doc_->firstPage->firstMeasure = static_cast<uint16_t>(first);
    doc_->firstPage->lastMeasure = static_cast<uint16_t>(last);
    view_->currentSystem = system;
    return system;
}

std::vector<Column> LayoutTest::Columns(int measure) {
    std::vector<Column> columns;
    for (const SpacingEntry* e = SpacingEntryOf(Record(measure).spacing);
         e != nullptr && columns.size() < 4096; e = SpacingEntryOf(RecordHandle{e->next}))
        columns.push_back({e->time, e->ticksToNext, e->xPer16Ticks});
    return columns;
}

void LayoutTest::WriteColumns(int measure, std::initializer_list<Column> columns) {
    MeasureRecord& record = Record(measure);
    FreeSpacingList(record.spacing);
    SpacingEntry* last = nullptr;
    for (const Column& c : columns)
        last = InsertSpacingEntry(record, last, c.time, c.ticks, static_cast<uint16_t>(c.value));
}

}  // namespace ql::testing_layout
