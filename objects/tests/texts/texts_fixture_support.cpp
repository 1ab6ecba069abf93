// Shared set-up of the text-object tests.
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/tests/text/text_drag_support.h"
#include "display/view_location.h"
#include "notes/accidentals/accidental.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/lyrics/lyric.h"
#include "objects/stored_classes.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_classes.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_entry.h"
#include "objects/text_marks/text_line.h"
#include "platform/sys/resources.h"
#include "platform/win/headless.h"
#include "shell/resources/program_strings.h"

namespace ql::testing_texts {

namespace {
constexpr int32_t kPointerIntoSystem = 512;  // where the pointer starts: inside measure 1
}  // namespace

void TextsTest::SetUp() {
    ResetProgramState();
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    sys::SetProgramBundle(nullptr);
    RegisterProgramStrings();
    RegisterTextDialogResources();
    ResetObjectClassTable();
    RegisterTextObjectClasses();
    RegisterMidiTextObjectClass();
    RegisterAccidentalClass();  // a note's attachment chain starts at its accidental
    RegisterStoredObjectClasses();
    RegisterScoreTextClasses();
    ResetPreferenceDefaults();
    ResetProgramOptions();
    ResetTextEntryState();
    ResetTextToolState();
    RememberedTextBoxSlot() = kTextBoxDefaultSlot;
    TheJustifyRotation() = JustifyRotation{};
    ResetLyricState();
    ProgramPreferences().key = beatmap_score::Session::kKeyOfC;
    ASSERT_NE(CreateSelectionState(), nullptr);
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, kStaves, {2}, kMeasuresPerSystem));
    // Scroll view on the page's systems: new texts go to the measure under the pointer.
    view_->pageView = 0;
    view_->galleyPage = view_->currentPage;
    view_->galleySystem = view_->currentSystem;
    UpdateBeatMaps(view_, 1);
    UseMeasure(1, 1);
    view_->pointerPoint = LogicalPoint{view_->currentSystem->x + kPointerIntoSystem, view_->staffY};
}

void TextsTest::PointAtNote(const EventRecord* note) {
    view_->pointerPoint =
        LogicalPoint{CurrentSlotX(view_) + BeatMapTickToX(view_, note->time), PositionY(view_, 0)};
}

void TextsTest::TearDown() {
    view_->galleyPage = nullptr;  // borrowed from the document, not the view's own
    view_->galleySystem = nullptr;
    FreeView(view_);
    FreeDocument(doc_);
    DestroySelectionState();
    ResetProgramState();
    ResetObjectClassTable();
    sys::SetProgramBundle(nullptr);
}

MeasureCell* TextsTest::UseMeasure(int staff, int measure) {
    SetCurrentMeasureQuick(view_, staff, measure);
    cell_ = view_->currentCell;
    return cell_;
}

EventRecord* TextsTest::Note(int time, int voice) {
    return AddEventToVoice(view_, cell_, voice, static_cast<uint16_t>(time), kQuarterCode, 0);
}

void TextsTest::ScriptEntries(std::vector<EntryScript> scripts) {
    auto queue = std::make_shared<std::vector<EntryScript>>(std::move(scripts));
    auto openings = openings_;
    const int first = *openings_;
    ui::headless::SetDialogScript(kEntryDialog,
                                  [queue, openings, first](ui::headless::DialogDriver& driver) {
                                      const auto index = static_cast<size_t>((*openings)++ - first);
                                      if (index < queue->size()) (*queue)[index](driver);
                                  });
}

LogicalPoint TextsTest::DragAndLetGo(ScoreObject* object, LogicalPoint by) {
    return testing_text_drag::DragAndLetGo(object, view_, by);
}

std::string TextsTest::StringOf(ScoreObject* object) {
    const char* string = TextObjectString(AsTextObject(object));
    return string != nullptr ? string : "";
}

std::vector<ScoreObject*> TextsTest::ListOf(ScoreObject* head) {
    std::vector<ScoreObject*> out;
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr;
         o = o->next.get())
        out.push_back(o);
    return out;
}

std::vector<TextObject*> TextsTest::LyricsOf(EventRecord* note) {
    std::vector<TextObject*> out;
    for (ScoreObject* o : ListOf(GetEventAttachment(note)))
        if (o->type == TypeCode(ObjectType::Lyric)) out.push_back(AsTextObject(o));
    return out;
}

}  // namespace ql::testing_texts
