// The builder and playback fixture (see score_fixture.h).
#include "sequencer/tests/builder/score_fixture.h"

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/stored_classes.h"
#include "platform/midi/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "sequencer/sequencer_state.h"

namespace ql::testing {
namespace {

constexpr char kSequencerClass[] = "Sequencer";

void ResetSequencerState() {
    SequencerState& state = TheSequencerState();
    state.~SequencerState();
    new (&state) SequencerState();
}

}  // namespace

void ScoreTest::SetUp() {
    OpenNewDocument([] { RegisterStoredObjectClasses(); });
    // After the document's arena mark: closing resets the program state, which
    // gives the static pools back.
    ASSERT_EQ(InitStaticPoolSet(), 1);
    midi::headless::Reset(midi::headless::ClockMode::Virtual);
    midi::TakeNotices();
    ResetSequencerState();
    win::WindowClass cls;
    cls.name = kSequencerClass;
    cls.procedure = [](win::WindowHandle, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        HandleSequencerMessage(win::ToRaw(message), word, data);
        return 0;
    };
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = kSequencerClass;
    sequencerWindow_ = win::CreateWindow(params);
}

void ScoreTest::TearDown() {
    StopPlayback();
    ResetSequencerState();
    PlaybackFlags().SequencerRunning.store(0);
    midi::headless::Reset(midi::headless::ClockMode::Virtual);
    CloseNewDocument();
}

void ScoreTest::BuildScore(int staffCount, int measureCount) {
    doc_->header.staffCount = static_cast<uint8_t>(staffCount);
    doc_->header.measureCount = static_cast<uint16_t>(measureCount);
    for (int s = 0; s <= staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
        ASSERT_TRUE(staff != nullptr && IsStaffComplete(staff));
        doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        for (int v = 0; v < kVoicesPerStaff; ++v)
            staff->timbres[v] = StaffTimbre{static_cast<uint8_t>(s > 0 ? s - 1 : 0),
                                            static_cast<uint8_t>(s > 0 ? s - 1 : 0), 0, 0};
    }
    for (int m = 0; m <= measureCount + 1; ++m) MeasureRecordOf(doc_, m)->lengthTicks = kBar;
}

EventRecord* ScoreTest::Note(int staff, int measure, int time, uint8_t code, int step, int voice) {
    view_->currentMeasureLength = kBar;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    return AddEventToVoice(view_, cell, voice, static_cast<uint16_t>(time), code, static_cast<uint8_t>(step));
}

void ScoreTest::SetBarline(int measure, int kind, int repeats) {
    MeasureRecord* record = MeasureRecordOf(doc_, measure);
    record->barline = static_cast<uint8_t>((record->barline & 0xF0) | kind);
    record->repeatCount = static_cast<uint8_t>(repeats);
}

void ScoreTest::AddEnding(int measure, int span, std::initializer_list<uint8_t> passes) {
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, measure);
    ScoreObject* list = GetOrCreateCellObjectList(cell);
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::RepeatEnding));
    ASSERT_TRUE(list != nullptr && object != nullptr);
    RepeatEndingObject* ending = AsRepeatEnding(object);
    ending->span = static_cast<uint16_t>(span);
    std::fill(std::begin(ending->passes), std::end(ending->passes), uint8_t{0});
    std::copy(passes.begin(), passes.end(), ending->passes);
    InsertObjectAfter(list, object);
}

ScoreObject* ScoreTest::Mark(ObjectType type, int staff, int measure, int tick) {
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    ScoreObject* list = GetOrCreateCellObjectList(cell);
    ScoreObject* object = ConstructObject(TypeCode(type));
    if (list == nullptr || object == nullptr) return nullptr;
    if (type == ObjectType::Dynamic || type == ObjectType::Pedal || type == ObjectType::Tempo) {
        AsTextObject(object)->body.location.position = static_cast<uint32_t>(tick) << 16;
        MidiActionOfText(object)->flags |= kMidiFlagEnabled;
    }
    ScoreObject* last = list;
    while (last->next) last = last->next.get();
    InsertObjectAfter(last, object);
    return object;
}

std::vector<Placed> ScoreTest::BuildAll(const PerformanceOptions& options, int32_t blockLength) {
    std::vector<Placed> placed;
    PerformanceRun run;
    BeginPerformance(run, doc_, options, blockLength);
    TickSlotHalf& half = TheSequencerState().table.halfA;
    FreeHalf(half);
    bool ended = false;
    for (int block = 0; block < 1000 && !ended; ++block) {
        const int32_t base = block * run.blockLength;
        BuildBlock(run, BlockTarget{&half, nullptr}, base);
        for (int slot = 0; slot < run.blockLength; ++slot) {
            for (const PerformanceEvent* e = half.heads[slot].get(); e != nullptr; e = e->next.get()) {
                placed.push_back(Placed{e->time, EventKind(*e), EventPort(*e), EventSlot(*e), e->message, e->measure});
                ended = ended || EventKind(*e) == PerformanceEventKind::EndOfData;
            }
        }
        FreeHalf(half);
    }
    EndPerformance(run);
    return placed;
}

std::vector<Placed> ScoreTest::Channel(const std::vector<Placed>& all) {
    std::vector<Placed> out;
    for (const Placed& p : all)
        if (p.kind == PerformanceEventKind::Channel) out.push_back(p);
    return out;
}

PerformanceOptions ScoreTest::Options(int first, int last) const {
    PerformanceOptions options;
    options.firstMeasure = first;
    options.lastMeasure = last;
    return options;
}

PlaybackRequest ScoreTest::Request(int first, int last) {
    PlaybackRequest request;
    request.view = view_;
    request.options = Options(first, last);
    request.sequencerWindow = sequencerWindow_;
    request.rate = 60000;  // 1,000 ticks a second: a tick is a millisecond
    return request;
}

void ScoreTest::Advance(uint32_t ms) {
    for (uint32_t step = 0; step < ms; step += 10) {
        midi::headless::Advance(10);
        win::PumpMessages();
    }
}

}  // namespace ql::testing
