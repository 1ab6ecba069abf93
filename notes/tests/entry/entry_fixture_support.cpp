// Shared set-up of the note-entry tests.
#include "notes/tests/entry/entry_fixture.h"

#include "core/memory/pool.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "core/undo/undo_labels.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_preview.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"
#include "notes/ties/ties.h"
#include "platform/midi/headless.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {

namespace {
constexpr int32_t kVisibleRight = 32000;
constexpr int32_t kVisibleBottom = 32000;
}  // namespace

void EntryTest::SetUp() {
    RestTest::SetUp();
    RegisterNotesHandlerClass();
    RegisterTieClass();
    midi::headless::Reset();
    midi::headless::AddDevice("Preview Out", true, false);
    MakeStatusBar();
    ClearUndoHistory(doc_);
    // The whole score is in view, so that the pointer may go anywhere on it.
    view_->visibleRect = gfx::Rect{kLogicalOrigin, kLogicalOrigin, kVisibleRight, kVisibleBottom};
}

void EntryTest::TearDown() {
    for (win::Key key : {win::Key::Control, win::Key::Alt, win::Key::Shift})
        win::headless::SetKeyDown(key, false);
    ClosePreviewOutputs();
    if (SelectionState* selection = TheSelectionState()) {
        if (HitRecord* focus = selection->focusRecord.get()) FreeHitRecord(focus);
        selection->focusRecord = Ref32<HitRecord>{};
    }
    RestTest::TearDown();
}

void EntryTest::PointAt(int tick, int step) {
    view_->pointerPoint = LogicalPoint{CurrentSlotX(view_) + BeatMapTickToX(view_, tick),
                                       PositionY(view_, step)};
}

void EntryTest::Click() {
    const ScoreObjectClass* handler = FindObjectClass(ClassOfType(ObjectType::Note));
    ASSERT_NE(handler, nullptr);
    handler->CreateAtClick(nullptr, view_);
    cell_ = view_->currentCell;
}

std::vector<EventRecord*> EntryTest::Voice(int voice) {
    std::vector<EventRecord*> events;
    for (EventRecord* e = GetVoiceFirstEvent(cell_, voice); e != nullptr; e = NextEvent(e))
        events.push_back(e);
    return events;
}

std::vector<EventRecord*> EntryTest::Chords(int voice) {
    std::vector<EventRecord*> heads;
    for (EventRecord* e : Voice(voice))
        if (IsFirstOfChord(e)) heads.push_back(e);
    return heads;
}

int EntryTest::Key(EventRecord* note, uint32_t key, bool ctrl, bool alt, bool shift) {
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = selection->focusRecord.get();
    if (focus == nullptr) {
        focus = AllocHitRecord();
        selection->focusRecord = Ref32<HitRecord>::To(focus);
    }
    focus->noteEvent = Ref32<EventRecord>::To(note);
    win::headless::SetKeyDown(win::Key::Control, ctrl);
    win::headless::SetKeyDown(win::Key::Alt, alt);
    win::headless::SetKeyDown(win::Key::Shift, shift);
    const ScoreObjectClass* handler = FindObjectClass(ClassOfType(ObjectType::Note));
    const int result = handler->OnKey(nullptr, view_, key);
    for (win::Key k : {win::Key::Control, win::Key::Alt, win::Key::Shift}) win::headless::SetKeyDown(k, false);
    return result;
}

std::string EntryTest::UndoLabel() const {
    return UndoCommandLabel(doc_);
}

std::vector<std::vector<uint8_t>> EntryTest::Sent() const {
    std::vector<std::vector<uint8_t>> bytes;
    for (const midi::headless::SentMessage& m : midi::headless::Sent()) bytes.push_back(m.bytes);
    return bytes;
}

std::vector<uint8_t> EntryTest::LiveRecords() const {
    std::vector<uint8_t> bytes;
    for (int p = kFirstClipboardPool; p <= kLastClipboardPool; ++p) {
        const RecordPool& pool = doc_->pools.pools[p];
        for (int b = 0; b < pool.blockCount; ++b) {
            const std::byte* base = pool.blocks[b].base.get();
            for (int s = 1; base != nullptr && s < pool.blocks[b].nextFresh; ++s) {
                const auto* record = reinterpret_cast<const uint8_t*>(base + (size_t{1} * s << pool.shift));
                if (!IsLiveRecord(PoolSet(doc_->pools), p, record)) continue;
                bytes.insert(bytes.end(), {static_cast<uint8_t>(p), static_cast<uint8_t>(b),
                                           static_cast<uint8_t>(s & 0xFF), static_cast<uint8_t>(s >> 8)});
                bytes.insert(bytes.end(), record, record + (size_t{1} << pool.shift));
            }
        }
    }
    return bytes;
}

bool EntryTest::IsOneGroup(const std::vector<EventRecord*>& heads) {
    for (size_t i = 0; i < heads.size(); ++i) {
        const RecordHandle prev = i == 0 ? RecordHandle{} : HandleOfEvent(heads[i - 1]);
        const RecordHandle next = i + 1 == heads.size() ? RecordHandle{} : HandleOfEvent(heads[i + 1]);
        if (heads[i]->beamPrev != prev || heads[i]->beamNext != next) return false;
    }
    return true;
}

}  // namespace ql::testing_entry
