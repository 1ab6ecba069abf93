// The fixture score of the note-drawing tests (see FixtureNotes).
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "notes/accidentals/accidental.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/note_redraw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/tests/drawing/notedraw_fixture.h"

namespace ql::testing_notedraw {

namespace {

constexpr int kSixteenthTicks = 256;
constexpr int kBeatTicks = 1024;

void GiveAccidental(ScoreView* view, EventRecord* note, AccidentalCode code, bool parenthesised) {
    SetNoteAccidentalCode(*note, CodeOf(code));
    ScoreObject* sign = NewAccidentalForNote(view, note);
    if (sign != nullptr && parenthesised) SetAccidentalParentheses(sign, kAccidentalParenthesised);
}

}  // namespace

FixtureNotes NoteDrawTest::BuildFixtureScore(int32_t zoom) {
    FixtureNotes f;
    BuildScore(kFixtureStaves, kFixtureMeasures, zoom);
    SetStaffSize(kSmallStaff, kSmallStaffPercent);
    f.second = Chord(1, 1, 0, kCodeQuarter, {-5, -4});
    f.dottedLine = Note(1, 1, 0, kBeatTicks, kCodeQuarter, -6);
    f.dottedLine->word2 |= 1;  // one dot
    f.highEighth = Note(1, 1, 0, 2560, kCodeEighth, -12);
    f.lowQuarter = Note(1, 1, 0, 3072, kCodeQuarter, 2);
    for (int i = 0; i < 4; ++i) {
        f.upBeam.push_back(Note(1, 2, 0, i * kSixteenthTicks, kCode16th, i));
        f.downBeam.push_back(Note(1, 2, 0, kBeatTicks + i * kSixteenthTicks, kCode16th, -10 + i));
    }
    Beam(f.upBeam);
    Beam(f.downBeam);
    f.sharpHalf = Note(1, 2, 0, 3 * kBeatTicks, kCodeHalf, -3);
    f.petite = Note(1, 3, 0, 0, kCodeQuarter, 0);
    f.petite->flags |=
        static_cast<uint16_t>(static_cast<int>(NoteSizeClass::Petite) << kNoteSizeClassShift);
    f.grace = Note(1, 3, 0, kBeatTicks, kCodeEighth, -3);
    f.grace->flags |=
        static_cast<uint16_t>(static_cast<int>(NoteSizeClass::Grace) << kNoteSizeClassShift);
    f.grace->stemWord |= kStemGraceSlash;
    f.naturalHalf = Note(1, 3, 0, 2 * kBeatTicks, kCodeHalf, -7);
    f.cross = Note(1, 4, 0, 0, kCodeQuarter, 0);
    f.cross->flags |= kNoteCrossStaff;
    f.cross->crossStaffPosition = static_cast<uint8_t>(static_cast<int8_t>(kCrossStaffPosition));
    f.small = Note(kSmallStaff, 1, 0, 0, kCodeQuarter, 0);
    f.smallLedger = Note(kSmallStaff, 1, 0, kBeatTicks, kCodeQuarter, -10);
    for (int staff = 1; staff <= kFixtureStaves; ++staff)
        for (int measure = 1; measure <= kFixtureMeasures; ++measure) Restem(staff, measure);
    {
        const NoteDrawLocation location(view_, 1, 2);
        GiveAccidental(view_, f.sharpHalf, AccidentalCode::Sharp, true);
    }
    AddRests();
    {
        const NoteDrawLocation location(view_, 1, 3);
        GiveAccidental(view_, f.naturalHalf, AccidentalCode::Natural, false);
    }
    return f;
}

// Staff 2: a whole rest; every shorter value in one voice; quarter rests in three.
void NoteDrawTest::AddRests() {
    {
        const NoteDrawLocation location(view_, kCrossTargetStaff, 1);
        NewRestFromImport(view_, 0, 0, kCodeWhole, 0);
    }
    {
        const NoteDrawLocation location(view_, kCrossTargetStaff, 2);
        int tick = 0;
        for (int code = kCodeHalf; code >= kShortestDurationCode; --code) {
            NewRestFromImport(view_, 0, tick, code, 0);
            tick += 1 << code;
        }
    }
    const NoteDrawLocation location(view_, kCrossTargetStaff, 3);
    for (int voice = 0; voice < 3; ++voice)
        for (int beat = 0; beat < 4; ++beat)
            NewRestFromImport(view_, voice, beat * kBeatTicks, kCodeQuarter, 0);
}

void NoteDrawTest::DrawFixtureScore() {
    for (int staff = 1; staff <= kFixtureStaves; ++staff)
        for (int measure = 1; measure <= kFixtureMeasures; ++measure) DrawCell(staff, measure);
}

}  // namespace ql::testing_notedraw
