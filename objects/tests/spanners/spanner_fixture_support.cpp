// Shared set-up of the spanner and curve tests.
#include <filesystem>

#include "core/draw/fonts.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/stored_classes.h"
#include "objects/tests/spanners/spanner_fixture.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/recording.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_spanners {

namespace {
constexpr int kKeyC = 7;
constexpr uint8_t kQuarter = 10;
constexpr int32_t kHandleSize = 32;

// The head of a note's attachment chain.
void ConstructTestAccidental(ScoreObject* record) {
    ConstructScoreObject(record);
    record->type = TypeCode(ObjectType::Accidental);
    record->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
}
}  // namespace

void SpannerTest::SetUp() {
    ResetProgramState();
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    ProgramPreferences().key = kKeyC;
    RegisterTextObjectClasses();
    RegisterMidiTextObjectClass();
    RegisterStoredObjectClasses();
    RegisterObjectType(TypeCode(ObjectType::Accidental), {kTextObjectPool, &ConstructTestAccidental});
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ASSERT_NE(CreateSelectionState(), nullptr);
    SetHandleSize(kHandleSize);
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
}

bool SpannerTest::MeasureWithMusicFont() {
    if (!std::filesystem::exists(std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf") || !CreateMusicFonts())
        return false;
    State().drawing.PaintDC = gfx::CreateRecordingContext({});
    return true;
}

void SpannerTest::TearDown() {
    if (State().drawing.PaintDC) {
        gfx::DeleteContext(State().drawing.PaintDC);
        State().drawing.PaintDC = {};
        DeleteMusicFonts();
    }
    DestroySelectionState();
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
}

void SpannerTest::BuildScore(int staves, const std::vector<int>& pages, int perSystem) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, pages, perSystem));
    view_->pageView = 1;
    UpdateBeatMaps(view_, 1);
    view_->visibleRect = gfx::Rect{-32768, -32768, 32767, 32767};
    State().documents.ActiveView = view_;
    Locate(1, 1);
}

ScoreSystem* SpannerTest::System(int index) const {
    ScoreSystem* system = doc_->firstPage->firstSystem.get();
    for (int i = 0; i < index && system != nullptr; ++i) system = system->next.get();
    return system;
}

int32_t SpannerTest::SlotLeft(const ScoreSystem* system, int slot) const {
    return system->x + view_->beatMap.slotX[BeatMapCell(system->number, slot)];
}

int32_t SpannerTest::SlotContent(const ScoreSystem* system, int slot) const {
    return system->x + view_->beatMap.contentX[BeatMapCell(system->number, slot)];
}

int32_t SpannerTest::StaffTopY(const ScoreSystem* system, int staff) const {
    return system->y + StaffOffsetsOf(system)[staff];
}

void SpannerTest::Locate(int staff, int measure) {
    State().locate.ForceLocationUpdate = 1;
    SetCurrentMeasure(view_, staff, measure);
    State().locate.ForceLocationUpdate = 0;
}

EventRecord* SpannerTest::AddNote(int tick, int position) {
    EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, static_cast<uint16_t>(tick),
                                        kQuarter, 0);
    if (note != nullptr) SetNotePosition(*note, position);
    view_->voiceChain = GetVoiceFirstEvent(view_->currentCell, 0);
    return note;
}

ScoreObject* SpannerTest::AddToCell(ObjectType type, int staff, int measure) {
    ScoreObject* object = ConstructObject(TypeCode(type));
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    if (object == nullptr || cell == nullptr) return nullptr;
    InsertObjectAfter(cell->objects.get(), object);
    return object;
}

int SpannerTest::LiveRecords() const {
    int live = 0;
    for (int pool = 2; pool < kDocumentPoolCount; ++pool)
        for (int block = 0; block < kMaxPoolBlocks; ++block)
            for (int slot = 1; slot < doc_->pools.pools[pool].blocks[block].nextFresh; ++slot)
                if (IsLiveRecord(PoolSet(doc_->pools), pool, PoolSlotAddress(pool, block, slot)))
                    ++live;
    return live;
}

}  // namespace ql::testing_spanners
