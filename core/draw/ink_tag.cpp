#include "core/draw/ink_tag.h"

namespace ql {

namespace {

// Drawing runs on the user-interface thread only.
InkStage g_stage = InkStage::None;
const ScoreObject* g_object = nullptr;
InkNote g_note;

template <typename T>
InkNote With(InkNote note, T InkNote::*field, T value) {
    note.*field = value;
    return note;
}

}  // namespace

InkStage CurrentInkStage() {
    return g_stage;
}
const ScoreObject* CurrentInkObject() {
    return g_object;
}
InkNote CurrentInkNote() {
    return g_note;
}

InkStageScope::InkStageScope(InkStage stage) : kept_(g_stage) {
    g_stage = stage;
}
InkStageScope::~InkStageScope() {
    g_stage = kept_;
}

InkObjectScope::InkObjectScope(const ScoreObject* object) : kept_(g_object) {
    g_object = object;
}
InkObjectScope::~InkObjectScope() {
    g_object = kept_;
}

InkNoteScope::InkNoteScope(const InkNote& note) : kept_(g_note) {
    g_note = note;
}
InkNoteScope::~InkNoteScope() {
    g_note = kept_;
}
InkNoteScope InkNoteScope::Piece(InkPiece piece) {
    return InkNoteScope(With(g_note, &InkNote::piece, piece));
}
InkNoteScope InkNoteScope::Chord(const EventRecord* first) {
    return InkNoteScope(With(g_note, &InkNote::chord, first));
}
InkNoteScope InkNoteScope::Group(const EventRecord* first) {
    return InkNoteScope(With(g_note, &InkNote::group, first));
}
InkNoteScope InkNoteScope::Voice(int voice) {
    return InkNoteScope(With(g_note, &InkNote::voice, voice));
}
InkNoteScope InkNoteScope::StemDue(bool due) {
    return InkNoteScope(With(g_note, &InkNote::stemDue, due));
}

}  // namespace ql
