// Shared set-up of the beat-map tests.
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
#include "notes/tests/beatmap/beatmap_fixture.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/ui/headless.h"

namespace ql::testing_beatmap {

void BeatMapTest::SetUp() {
    ResetProgramState();
    ui::headless::ResetUi();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    ProgramPreferences().key = kKeyC;
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
}

void BeatMapTest::TearDown() {
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
}

void BeatMapTest::BuildScore(int staves, const std::vector<int>& pages, int perSystem) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, pages, perSystem));
}

ScorePage* BeatMapTest::Page(int index) const {
    ScorePage* page = doc_->firstPage;
    for (int i = 0; i < index && page != nullptr; ++i) page = page->next.get();
    return page;
}

ScoreSystem* BeatMapTest::System(int page, int index) const {
    ScoreSystem* system = Page(page)->firstSystem.get();
    for (int i = 0; i < index && system != nullptr; ++i) system = system->next.get();
    return system;
}

MeasureCell* BeatMapTest::Cell(int staff, int measure) const {
    return ExistingMeasureCell(doc_, staff, measure);
}

MeasureRecord& BeatMapTest::Record(int measure) const {
    return *MeasureRecordOf(doc_, measure);
}

void BeatMapTest::SetTime(int measure, int beats, int unit) {
    for (int s = 0; s <= doc_->header.staffCount; ++s) {
        Cell(s, measure)->beats = static_cast<uint8_t>(beats);
        Cell(s, measure)->beatUnit = static_cast<uint8_t>(unit);
    }
    Record(measure).lengthTicks = static_cast<uint16_t>(beats << unit);
}

void BeatMapTest::SetKey(int measure, int key) {
    for (int s = 0; s <= doc_->header.staffCount; ++s) {
        MeasureCell* cell = Cell(s, measure);
        cell->clefKey =
            static_cast<uint8_t>((cell->clefKey & kClefNibbleMask) | (key << kKeyNibbleShift));
    }
}

void BeatMapTest::SetClef(int staff, int measure, int clef) {
    MeasureCell* cell = Cell(staff, measure);
    cell->clefKey = static_cast<uint8_t>((cell->clefKey & ~kClefNibbleMask) | clef);
}

void BeatMapTest::SetBarline(int measure, BarlineType type) {
    MeasureRecord& record = Record(measure);
    constexpr uint8_t kStartTypeNibble = 0xF0;
    record.barline =
        static_cast<uint8_t>((record.barline & kStartTypeNibble) | static_cast<uint8_t>(type));
}

void BeatMapTest::SetSpacing(int measure, const std::vector<Column>& columns) {
    SpacingEntry* previous = nullptr;
    for (const Column& column : columns) {
        auto* entry = static_cast<SpacingEntry*>(AllocRecord(kSpacingEntryPool));
        ASSERT_NE(entry, nullptr);
        *entry = SpacingEntry{0, column.time, column.ticks, column.factor};
        const RecordHandle handle = PtrToHandle(kSpacingEntryPool, entry);
        if (previous == nullptr)
            Record(measure).spacing = handle;
        else
            previous->next = handle.bits;
        previous = entry;
    }
}

ScoreObject* BeatMapTest::PlaceChange(int staff, int measure, ObjectType type, uint16_t tick,
                                      uint8_t code) {
    auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    EXPECT_NE(text, nullptr);
    if (text == nullptr) return nullptr;
    ConstructTextObject(text);
    text->header.type = TypeCode(type);
    SetSignatureTickOfObject(&text->header, tick);
    if (type == ObjectType::Clef)
        SetClefKindOfObject(&text->header, code);
    else
        SetKeyCodeOfObject(&text->header, code);
    ScoreObject* last = GetOrCreateCellObjectList(Cell(staff, measure));
    while (last->next) last = last->next.get();
    InsertObjectAfter(last, &text->header);
    return &text->header;
}

void BeatMapTest::ShowSystem(int page, int index) {
    view_->currentPage = Page(page);
    view_->currentSystem = System(page, index);
}

std::vector<int> BeatMapTest::Ticks(const ScoreSystem* system, int slot) const {
    std::vector<int> ticks;
    const int length = Record(system->firstMeasure + slot - 1).lengthTicks;
    for (int tick = 0; tick < length; tick += kTicksPerBeatMapEntry)
        ticks.push_back(SlotTickToX(view_, system, slot, tick));
    return ticks;
}

}  // namespace ql::testing_beatmap
