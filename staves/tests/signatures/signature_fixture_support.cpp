// Shared set-up of the clef and key tests.
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/signature_fields.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/stored_classes.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {

namespace {
constexpr int kMaxListWalk = 4096;
}  // namespace

void SignatureTest::SetUp() {
    ResetProgramState();
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetObjectClassTable();
    RegisterStoredObjectClasses();
    ResetPreferenceDefaults();
    ProgramPreferences().key = kKeyC;
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
}

void SignatureTest::TearDown() {
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
}

void SignatureTest::BuildScore(int staves, int measures) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, {1}, measures));
    RebuildBeatMap();
}

void SignatureTest::RebuildBeatMap() {
    UpdateBeatMaps(view_, 1);
}

MeasureCell* SignatureTest::Cell(int staff, int measure) const {
    return ExistingMeasureCell(doc_, staff, measure);
}

void SignatureTest::SetClef(int staff, int measure, int clef) {
    MeasureCell* cell = Cell(staff, measure);
    cell->clefKey = static_cast<uint8_t>((cell->clefKey & ~kClefNibbleMask) | clef);
}

void SignatureTest::SetKey(int staff, int measure, int key) {
    MeasureCell* cell = Cell(staff, measure);
    cell->clefKey = static_cast<uint8_t>((cell->clefKey & kClefNibbleMask) | (key << kKeyNibbleShift));
}

EventRecord* SignatureTest::AddNote(int staff, int measure, int tick, int position) {
    Locate(staff, measure);
    return AddEventToVoice(view_, Cell(staff, measure), 0, static_cast<uint16_t>(tick), kQuarter,
                           static_cast<uint8_t>(static_cast<int8_t>(position)));
}

ScoreObject* SignatureTest::PlaceChange(ObjectType type, int staff, int measure, int tick, int code) {
    auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    EXPECT_NE(text, nullptr);
    ConstructTextObject(text);
    text->header.classId = ClassOfType(type);
    text->header.type = TypeCode(type);
    text->header.subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    SetSignatureTickOfObject(&text->header, static_cast<uint16_t>(tick));
    if (type == ObjectType::Clef)
        SetClefKindOfObject(&text->header, static_cast<uint8_t>(code));
    else
        SetKeyCodeOfObject(&text->header, static_cast<uint8_t>(code));
    ScoreObject* last = GetOrCreateCellObjectList(Cell(staff, measure));
    for (int i = 0; last->next && i < kMaxListWalk; ++i) last = last->next.get();
    InsertObjectAfter(last, &text->header);
    return &text->header;
}

int SignatureTest::CountObjects(int staff, int measure, ObjectType type) const {
    const MeasureCell* cell = Cell(staff, measure);
    const ScoreObject* head = cell != nullptr ? cell->objects.get() : nullptr;
    int count = 0;
    const ScoreObject* o = head != nullptr ? head->next.get() : nullptr;
    for (int i = 0; o != nullptr && i < kMaxListWalk; ++i, o = o->next.get())
        if (o->type == TypeCode(type)) ++count;
    return count;
}

void SignatureTest::Locate(int staff, int measure) {
    view_->currentStaff = staff;
    view_->currentMeasure = measure;
    view_->currentStaffRecord = StaffRecordOf(doc_, staff);
    view_->currentCell = Cell(staff, measure);
}

std::vector<std::byte> SignatureTest::Snapshot() const {
    std::vector<std::byte> bytes;
    for (const RecordPool& pool : doc_->pools.pools)
        for (int b = 0; b < pool.blockCount; ++b) {
            const std::byte* base = pool.blocks[b].base.get();
            bytes.insert(bytes.end(), base, base + BlockLiveBytes(pool, b));
        }
    const auto* table = reinterpret_cast<const std::byte*>(doc_->measureTable.get());
    bytes.insert(bytes.end(), table, table + sizeof(MeasureRecord) * MaxMeasures);
    return bytes;
}

}  // namespace ql::testing_signatures
