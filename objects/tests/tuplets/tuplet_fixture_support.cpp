// Shared set-up of the tuplet tests.
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "objects/tests/tuplets/tuplet_fixture.h"

namespace ql::testing_tuplets {

namespace {
constexpr int kTripletEighthTicks = 341;
constexpr int kTripletTicks = 1024;
constexpr uint8_t kEighth = 9;
}  // namespace

void TupletTest::SetUp() {
    SpannerTest::SetUp();
    BuildScore(1, {1}, 4);
    RegisterRestClass();
}

EventRecord* TupletTest::Note(int tick, uint8_t code, Ratio ratio, int dots, int16_t stem, int position) {
    EventRecord* note = AddEventToVoice(view_, view_->currentCell, 0, static_cast<uint16_t>(tick), code, 0);
    if (note == nullptr) return nullptr;
    SetNotePosition(*note, position);
    note->tupletKind = ratio.kind;
    note->tupletRatio = ratio.ratio;
    note->outerRatio = ratio.nested;
    note->word2 = static_cast<uint16_t>((note->word2 & ~kEventDotsMask) | dots);
    note->stemLength = stem;
    view_->voiceChain = GetVoiceFirstEvent(view_->currentCell, 0);
    return note;
}

ScoreObject* TupletTest::RestAt(int tick, uint8_t code, Ratio ratio) {
    ScoreObject* rest = AllocRestRecord();
    if (rest == nullptr) return nullptr;
    RestBody* body = RestBodyOf(rest);
    body->tick = static_cast<uint16_t>(tick);
    body->code = code;
    body->tupletKind = ratio.kind;
    body->tupletValue = ratio.ratio;
    body->extraRatio = ratio.nested;
    ScoreObject* at = GetOrCreateVoiceElementList(view_->currentCell, 0);
    while (at->next.get() != nullptr && RestBodyOf(at->next.get())->tick < tick) at = at->next.get();
    InsertObjectAfter(at, rest);
    return rest;
}

EventRecord* TupletTest::Triplets(int tick, int count, int16_t stem) {
    EventRecord* first = nullptr;
    for (int t = 0; t < count; ++t)
        for (int n = 0; n < 3; ++n) {
            EventRecord* note = Note(tick + t * kTripletTicks + n * kTripletEighthTicks, kEighth, kTriplet, 0, stem);
            if (first == nullptr) first = note;
        }
    return first;
}

}  // namespace ql::testing_tuplets
