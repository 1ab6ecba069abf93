// Set-up of the pitch tests that need a score.
#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/pitch/pitch_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_pitch {
namespace {

constexpr int kMeasures = 48;
constexpr int kVoice = 0;
constexpr int kDuration16th = 8;

void ConstructTestAccidental(ScoreObject* record) {
    ConstructScoreObject(record);
    record->type = TypeCode(ObjectType::Accidental);
    record->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
}

ScoreObject* PlaceSignature(MeasureCell* cell, ObjectType type, int tick) {
    auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    EXPECT_NE(text, nullptr);
    ConstructTextObject(text);
    text->header.type = TypeCode(type);
    text->header.subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    SetSignatureTickOfObject(&text->header, static_cast<uint16_t>(tick));
    ScoreObject* last = GetOrCreateCellObjectList(cell);
    while (last->next) last = last->next.get();
    InsertObjectAfter(last, &text->header);
    return &text->header;
}

}  // namespace

void PitchScoreTest::SetUp() {
    ResetProgramState();
    ui::headless::ResetUi();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    RegisterObjectType(TypeCode(ObjectType::Accidental),
                       {kTextObjectPool, &ConstructTestAccidental});
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
    view_->currentPage = doc_->firstPage;
    view_->currentSystem = doc_->firstPage->firstSystem.get();
    doc_->header.measureCount = kMeasures;
    for (int s = 0; s <= doc_->header.staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
        ASSERT_NE(staff, nullptr);
        doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
}

void PitchScoreTest::TearDown() {
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
}

StaffRecord* PitchScoreTest::Staff(int staff) {
    return StaffRecordOf(doc_, staff);
}

MeasureCell* PitchScoreTest::CellWith(int clef, int key, int measure) {
    MeasureCell* cell = GetOrCreateMeasureCell(Staff(1), doc_, measure);
    EXPECT_NE(cell, nullptr);
    cell->clefKey = static_cast<uint8_t>((clef & kClefNibbleMask) | (key << kKeyNibbleShift));
    return cell;
}

EventRecord* PitchScoreTest::AddNote(MeasureCell* cell, int time, int position, int code) {
    EventRecord* note = AddEventToVoice(view_, cell, kVoice, static_cast<uint16_t>(time),
                                        kDuration16th, static_cast<uint8_t>(position));
    EXPECT_NE(note, nullptr);
    if (note != nullptr) SetNoteAccidentalCode(*note, code);
    return note;
}

void PitchScoreTest::AddClefChange(MeasureCell* cell, int clef, int tick) {
    SetClefKindOfObject(PlaceSignature(cell, ObjectType::Clef, tick), static_cast<uint8_t>(clef));
}

void PitchScoreTest::AddKeyChange(MeasureCell* cell, int key, int tick) {
    SetKeyCodeOfObject(PlaceSignature(cell, ObjectType::KeySignature, tick),
                       static_cast<uint8_t>(key));
}

void PitchScoreTest::SetMinor(bool minor) {
    for (int s = 0; s <= doc_->header.staffCount; ++s) {
        StaffRecord* staff = Staff(s);
        if (staff == nullptr) continue;
        staff->transpositionWord =
            static_cast<uint16_t>(minor ? staff->transpositionWord | kStaffMinorKey
                                        : staff->transpositionWord & ~kStaffMinorKey);
    }
}

}  // namespace ql::testing_pitch
