// Shared set-up of the locator tests.
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "display/tests/locate/locate_fixture.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_locate {

namespace {
constexpr int kKeyC = 7;
constexpr uint8_t kQuarter = 10;

// The head of a note's attachment chain.
void ConstructTestAccidental(ScoreObject* record) {
    ConstructScoreObject(record);
    record->type = TypeCode(ObjectType::Accidental);
    record->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
}
}  // namespace

void LocateTest::SetUp() {
    ResetProgramState();
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    ProgramPreferences().key = kKeyC;
    RegisterObjectType(TypeCode(ObjectType::Accidental), {kTextObjectPool, &ConstructTestAccidental});
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
}

void LocateTest::TearDown() {
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
}

void LocateTest::BuildScore(int staves, const std::vector<int>& pages, int perSystem) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, pages, perSystem));
    view_->pageView = 1;
    UpdateBeatMaps(view_, 1);
    view_->visibleRect = gfx::Rect{-32768, -32768, 32767, 32767};
    Locate(1, 1);
}

ScoreSystem* LocateTest::System(int index) const {
    ScoreSystem* system = doc_->firstPage->firstSystem.get();
    for (int i = 0; i < index && system != nullptr; ++i) system = system->next.get();
    return system;
}

int32_t LocateTest::SlotLeft(const ScoreSystem* system, int slot) const {
    return system->x + view_->beatMap.slotX[BeatMapCell(system->number, slot)];
}

int32_t LocateTest::SlotContent(const ScoreSystem* system, int slot) const {
    return system->x + view_->beatMap.contentX[BeatMapCell(system->number, slot)];
}

int32_t LocateTest::StaffTopY(const ScoreSystem* system, int staff) const {
    return system->y + StaffOffsetsOf(system)[staff];
}

EventRecord* LocateTest::AddNote(int voice, int tick, int position) {
    EventRecord* note = AddEventToVoice(view_, view_->currentCell, voice,
                                        static_cast<uint16_t>(tick), kQuarter, 0);
    if (note != nullptr) SetNotePosition(*note, position);
    view_->voiceChain = GetVoiceFirstEvent(view_->currentCell, 0);
    return note;
}

void LocateTest::Locate(int staff, int measure) {
    State().locate.ForceLocationUpdate = 1;
    SetCurrentMeasure(view_, staff, measure);
    State().locate.ForceLocationUpdate = 0;
}

}  // namespace ql::testing_locate
