// The note commands on the notes inside the marquee, or on the grabbed note: hide
// bits, note heads, added intervals, values stored by the dialogs, stems, marks and
// sizes, each in one undoable edit that changes nothing outside the marquee.
#include <algorithm>
#include <vector>

#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "editing/note_command_edits.h"
#include "editing/note_commands.h"
#include "editing/selection.h"
#include "editing/tests/note_commands/note_commands_fixture.h"
#include "editing/tools.h"
#include "notes/drawing/note_fields.h"
#include "notes/handler/notes_handler.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/settings/note_settings_dialog.h"
#include "notes/stems/stems.h"
#include "platform/win/keys.h"

namespace ql::testing_note_commands {
namespace {

constexpr int kNoteType = 29;
constexpr uint32_t kEditCommandOffset = 0x24;  // the edit command message
constexpr uint16_t kSoundHidden = 0x0200;
constexpr uint16_t kWord2Hidden = kNoteHeadHidden | kNoteStemHidden;
constexpr uint16_t kStemWordHidden = kStemBeamsHidden | kStemInnermostHidden;

bool AllHidden(const EventRecord& n) {
    return (n.word2 & kWord2Hidden) == kWord2Hidden && (n.stemWord & kStemWordHidden) == kStemWordHidden;
}
bool NoneHidden(const EventRecord& n) {
    return (n.word2 & kWord2Hidden) == 0 && (n.stemWord & kStemWordHidden) == 0;
}

// The steps of the chord an event belongs to, top first.
std::vector<int> ChordSteps(EventRecord* note) {
    std::vector<int> steps;
    for (EventRecord* e = GetFirstEventOfChord(note); e != nullptr && e->time == note->time;
         e = NextEvent(e))
        steps.push_back(SignedStep(*e));
    return steps;
}

TEST_F(NoteCommandTest, HideAllShowsEveryPartWhenOneIsHiddenThenHidesThemAll) {
    EventRecord* hidden = At(2, 1, 0, 2048);
    EventRecord* silent = At(3, 2, 2, 1024);
    hidden->word2 |= kNoteHeadHidden;
    silent->flags |= kSoundHidden;
    ScoreObject* rest = Rest(2, 2, 3, 0);

    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kHideAll, kNoteType), 1);
    for (EventRecord* n : NotesWhere(true)) EXPECT_TRUE(NoneHidden(*n));
    EXPECT_TRUE(IsRestHidden(*RestBodyOf(rest)));

    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kHideAll, kNoteType), 1);
    for (EventRecord* n : NotesWhere(true)) EXPECT_TRUE(AllHidden(*n));
    for (EventRecord* n : NotesWhere(false)) EXPECT_TRUE(NoneHidden(*n));
    EXPECT_FALSE(IsRestHidden(*RestBodyOf(rest)));
    // The sound is never hidden or shown by it.
    EXPECT_NE(silent->flags & kSoundHidden, 0);
    for (EventRecord* n : NotesWhere(true))
        EXPECT_TRUE(n == silent || (n->flags & kSoundHidden) == 0);
}

TEST_F(NoteCommandTest, EachHideCommandFlipsItsOwnBitInsideTheMarqueeOnly) {
    struct Case {
        int command;
        uint16_t EventRecord::*word;
        uint16_t bit;
    };
    const Case cases[] = {
        {note_cmd::kHideSound, &EventRecord::flags, kSoundHidden},
        {note_cmd::kHideHead, &EventRecord::word2, kNoteHeadHidden},
        {note_cmd::kHideStem, &EventRecord::word2, kNoteStemHidden},
        {note_cmd::kHideBeams, &EventRecord::stemWord, kStemBeamsHidden},
        {note_cmd::kHideLowestBeam, &EventRecord::stemWord, kStemInnermostHidden},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ApplyNoteCommand(view_, c.command, kNoteType), 1) << c.command;
        for (EventRecord* n : NotesWhere(true)) EXPECT_NE((*n).*c.word & c.bit, 0) << c.command;
        for (EventRecord* n : NotesWhere(false)) EXPECT_EQ((*n).*c.word & c.bit, 0) << c.command;
        ApplyNoteCommand(view_, c.command, kNoteType);
        for (EventRecord* n : NotesWhere(true)) EXPECT_EQ((*n).*c.word & c.bit, 0) << c.command;
    }
}

// With nothing inside the marquee the grabbed note is the target, but only when it
// was grabbed by its head (kind 3 and above), not by its stem.
TEST_F(NoteCommandTest, AnEmptyMarqueeActsOnANoteGrabbedByItsHeadOnly) {
    SetMarqueeWalkRectangle(nullptr);
    EventRecord* note = At(1, 3, 0, 0);
    HitRecord* grabbed = AllocHitRecord();
    ASSERT_NE(grabbed, nullptr);
    grabbed->noteEvent = Ref32<EventRecord>::To(note);
    grabbed->ownerType = kNoteType;
    TheSelectionState()->grabbedRecord = Ref32<HitRecord>::To(grabbed);
    SetCurrentMeasureQuick(view_, 1, 3);

    grabbed->kind = 3;
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kHideHead, kNoteType), 1);
    EXPECT_TRUE(IsHeadHidden(*note));
    for (EventRecord* n : NotesWhere(true)) EXPECT_FALSE(IsHeadHidden(*n));

    grabbed->kind = 1;
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kHideStem, kNoteType), 0);
    EXPECT_FALSE(IsStemHidden(*note));

    TheSelectionState()->grabbedRecord = Ref32<HitRecord>{};
    FreeHitRecord(grabbed);
}

TEST_F(NoteCommandTest, NoteHeadResultsOkWritesTheHeadResetClearsAndTheRestChangeNothing) {
    const std::vector<EventRecord*> inside = NotesWhere(true);
    EXPECT_EQ(ApplyNoteHeadResult(view_, kNoteHeadDialogOk, 4), 1);
    for (EventRecord* n : inside) EXPECT_EQ(NoteHeadKind(*n), 5);
    for (EventRecord* n : NotesWhere(false)) EXPECT_EQ(NoteHeadKind(*n), 0);
    // Cancel, a dialog that did not show (-1) and 0 leave every head.
    for (intptr_t result : {intptr_t{2}, intptr_t{-1}, intptr_t{0}}) {
        EXPECT_EQ(ApplyNoteHeadResult(view_, result, 9), 0) << result;
        for (EventRecord* n : inside) EXPECT_EQ(NoteHeadKind(*n), 5) << result;
    }
    EXPECT_EQ(ApplyNoteHeadResult(view_, 3, 9), 1);
    for (EventRecord* n : inside) EXPECT_EQ(NoteHeadKind(*n), 0);
    ApplyNoteHeadResult(view_, kNoteHeadDialogOk, 0);
    EXPECT_EQ(ApplyNoteHeadResult(view_, 1100, 9), 1);  // the dialog's Reset
    for (EventRecord* n : inside) EXPECT_EQ(NoteHeadKind(*n), 0);
}

TEST_F(NoteCommandTest, AltThreeAddsAThirdAboveEveryChordAndThreeOneBelow) {
    win::headless::SetKeyDown(win::Key::Alt, true);
    EXPECT_EQ(MarqueeKeyCommand(view_, static_cast<uint32_t>(win::DigitKey(3))), 1);
    win::headless::SetKeyDown(win::Key::Alt, false);
    for (EventRecord* n : NotesWhere(true))
        EXPECT_EQ(ChordSteps(n), (std::vector<int>{SignedStep(*n) - 2, SignedStep(*n)}));
    EXPECT_EQ(MarqueeKeyCommand(view_, static_cast<uint32_t>(win::DigitKey(3))), 1);
    for (EventRecord* n : NotesWhere(true))
        EXPECT_EQ(ChordSteps(n),
                  (std::vector<int>{SignedStep(*n) - 2, SignedStep(*n), SignedStep(*n) + 2}));
    for (EventRecord* n : NotesWhere(false)) EXPECT_EQ(ChordSteps(n).size(), 1u);
    EXPECT_EQ(UndoDepth(doc_), 2);
}

TEST_F(NoteCommandTest, AKeyVelocityStoredByTheDialogReachesEveryNoteInsideAndNoneOutside) {
    EXPECT_EQ(ApplyNoteDialogValue(view_, note_cmd::kKeyVelocity, 20), 1);
    for (EventRecord* n : NotesWhere(true)) EXPECT_EQ(n->velocity, 20);
    for (EventRecord* n : NotesWhere(false)) EXPECT_EQ(n->velocity, 0);
}

TEST_F(NoteCommandTest, DialogValuesGoIntoTheNoteSettingsFieldsWithinTheirRanges) {
    EventRecord* n = At(2, 1, 0, 1024);
    ApplyNoteDialogValue(view_, note_cmd::kAttackDelay, -100);
    ApplyNoteDialogValue(view_, note_cmd::kReleaseDelay, 99999);
    ApplyNoteDialogValue(view_, note_cmd::kTimbre, 2);
    EXPECT_EQ(n->attack, -100);
    EXPECT_EQ(n->release, 2048);  // twice a quarter's ticks at most
    EXPECT_EQ(NoteTimbre(*n), 3);
    ApplyNoteDialogValue(view_, note_cmd::kTimbre, -1);
    EXPECT_EQ(NoteTimbre(*n), 0);
}

TEST_F(NoteCommandTest, ACancelledDialogChangesNothing) {
    const std::vector<uint8_t> before = PoolBytes();
    const uint16_t counter = doc_->changeCounter;
    for (int command : {note_cmd::kKeyVelocity, note_cmd::kAttackDelay, note_cmd::kReleaseDelay,
                        note_cmd::kTimbre, note_cmd::kCrossStaff, note_cmd::kTranspose,
                        note_cmd::kNoteHead})
        EXPECT_EQ(ApplyNoteCommand(view_, command, kNoteType), 0) << command;
    EXPECT_EQ(PoolBytes(), before);
    EXPECT_EQ(doc_->changeCounter, counter);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

TEST_F(NoteCommandTest, FlipTurnsEveryChordInsideTheOtherWay) {
    std::vector<bool> up;
    for (EventRecord* n : NotesWhere(true)) up.push_back(IsStemUp(*n));
    std::vector<bool> outside;
    for (EventRecord* n : NotesWhere(false)) outside.push_back(IsStemUp(*n));
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kFlipStem, kNoteType), 1);
    size_t i = 0;
    for (EventRecord* n : NotesWhere(true)) EXPECT_NE(IsStemUp(*n), up[i++]);
    i = 0;
    for (EventRecord* n : NotesWhere(false)) EXPECT_EQ(IsStemUp(*n), outside[i++]);
}

TEST_F(NoteCommandTest, MarksAndSizesReachTheNotesAndRestsInside) {
    ScoreObject* rest = Rest(3, 2, 3, 0);
    EXPECT_EQ(MarqueeKeyCommand(view_, static_cast<uint32_t>(win::LetterKey('S'))), 1);
    EXPECT_EQ(MarqueeKeyCommand(view_, static_cast<uint32_t>(win::LetterKey('P'))), 1);
    for (EventRecord* n : NotesWhere(true)) {
        EXPECT_NE(n->word2 & kNoteStaccato, 0);
        EXPECT_EQ(NoteSizeClass(*n), kSizePetite);
    }
    for (EventRecord* n : NotesWhere(false)) {
        EXPECT_EQ(n->word2 & kNoteStaccato, 0);
        EXPECT_EQ(NoteSizeClass(*n), kSizeNormal);
    }
    EXPECT_EQ(RestSize(*RestBodyOf(rest)), kSizePetite);
    // A key that is no command is left to others.
    EXPECT_EQ(MarqueeKeyCommand(view_, static_cast<uint32_t>(win::LetterKey('Q'))), 0);
}

constexpr uint8_t kEighthCode = 9;

// Grace Size on the eighths inside: how many came out slashed; each slashed one
// heads its chord.
class GraceSlashTest : public NoteCommandTest {
  protected:
    int SlashedByGraceSize(uint8_t autoSlash) {
        Options().AutoSlash = autoSlash;
        for (EventRecord* n : NotesWhere(true)) n->duration = kEighthCode;  // a quarter takes no slash
        EXPECT_EQ(MarqueeKeyCommand(view_, static_cast<uint32_t>(win::LetterKey('G'))), 1);
        Options().AutoSlash = 1;
        int slashed = 0;
        for (EventRecord* n : NotesWhere(true)) {
            EXPECT_EQ(NoteSizeClass(*n), kSizeGrace);
            if ((n->stemWord & kStemGraceSlash) == 0) continue;
            ++slashed;
            EXPECT_EQ(GetFirstEventOfChord(n), n);
        }
        return slashed;
    }
};

// Grace Size slashes each chord's first note while "Auto slash grace notes" is on,
// and leaves the slash alone while it is off.
TEST_F(GraceSlashTest, GraceSizeSlashesWithAutoSlash) {
    EXPECT_EQ(SlashedByGraceSize(1), static_cast<int>(NotesWhere(true).size()));
}
TEST_F(GraceSlashTest, GraceSizeLeavesTheSlashWithoutAutoSlash) {
    EXPECT_EQ(SlashedByGraceSize(0), 0);
}

TEST_F(NoteCommandTest, OneUndoGivesBackWhatACommandChanged) {
    const std::vector<uint8_t> before = PoolBytes();
    ASSERT_EQ(ApplyNoteCommand(view_, note_cmd::kHideAll, kNoteType), 1);
    ASSERT_EQ(ApplyNoteCommand(view_, note_cmd::kSecondAbove + 4, kNoteType), 1);
    EXPECT_EQ(UndoDepth(doc_), 2);
    UndoCommand(doc_, view_);
    UndoCommand(doc_, view_);
    EXPECT_EQ(PoolBytes(), before);
}


// Both chords of a beam group inside the marquee turn, though turning the first
// restems the whole group.
TEST_F(NoteCommandTest, FlipTurnsABeamedGroupOnce) {
    EventRecord* first = score_.Note(2, 2, 3, 0, kMiddleLine + 4);
    EventRecord* second = score_.Note(2, 2, 3, 512, kMiddleLine + 4);
    first->duration = second->duration = kDurationEighth;
    SetCurrentMeasureQuick(view_, 2, 2);
    view_->voiceMask = 1 << 3;
    ASSERT_NE(JoinBeamGroups(view_, first, second), 0);
    view_->voiceMask = kWalkedVoices;
    const bool up = IsStemUp(*first);
    ASSERT_EQ(IsStemUp(*second), up);
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kFlipStem, kNoteType), 1);
    EXPECT_NE(IsStemUp(*first), up);
    EXPECT_NE(IsStemUp(*second), up);
}


TEST_F(NoteCommandTest, CrossStaffMovesEveryChordInside) {
    EXPECT_EQ(MarqueeKeyCommand(view_, static_cast<uint32_t>(win::LetterKey('X'))), 1);
    for (EventRecord* n : NotesWhere(true)) EXPECT_TRUE(IsCrossStaff(*n));
    for (EventRecord* n : NotesWhere(false)) EXPECT_FALSE(IsCrossStaff(*n));
    // Those still inside (drawn on their neighbouring staff, some have left the
    // marquee) are there already: the dialog's value for it changes nothing.
    EXPECT_EQ(ApplyNoteDialogValue(view_, note_cmd::kCrossStaff, 1), 0);
}

TEST_F(NoteCommandTest, FansSetTheBeamStyleOfBeamedGroupsOnly) {
    EventRecord* first = score_.Note(2, 2, 3, 0, kMiddleLine + 4);
    EventRecord* second = score_.Note(2, 2, 3, 512, kMiddleLine + 4);
    first->duration = second->duration = kDurationEighth;
    SetCurrentMeasureQuick(view_, 2, 2);
    view_->voiceMask = 1 << 3;
    ASSERT_NE(JoinBeamGroups(view_, first, second), 0);
    view_->voiceMask = kWalkedVoices;
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kFanRight, kNoteType), 1);
    EXPECT_EQ(first->stemWord & kStemBeamStyleMask, 2);
    EXPECT_EQ(ApplyNoteCommand(view_, note_cmd::kFanLeft, kNoteType), 1);
    EXPECT_EQ(first->stemWord & kStemBeamStyleMask, 1);
    for (EventRecord* n : NotesWhere(true)) EXPECT_EQ(n->stemWord & kStemBeamStyleMask, 0);
}

// Transposition runs on the staves and measures that hold the marquee's notes.
TEST_F(NoteCommandTest, ATranspositionStoredByTheDialogMovesTheBlockOfTheMarquee) {
    EventRecord* inside = At(2, 1, 0, 1024);
    EventRecord* outside = At(1, 1, 0, 1024);
    const int insideStep = SignedStep(*inside);
    EXPECT_EQ(ApplyNoteDialogValue(view_, note_cmd::kTranspose, 2), 1);
    EXPECT_NE(SignedStep(*inside), insideStep);
    EXPECT_EQ(SignedStep(*outside), kMiddleLine);
    EXPECT_EQ(SignedStep(*At(2, 3, 0, 0)), kMiddleLine);  // second system
}

TEST_F(NoteCommandTest, AnUnknownCommandOrNoViewChangesNothing) {
    const std::vector<uint8_t> before = PoolBytes();
    EXPECT_EQ(ApplyNoteCommand(view_, 12345, kNoteType), 0);
    EXPECT_EQ(ApplyNoteCommand(nullptr, note_cmd::kHideAll, kNoteType), 0);
    EXPECT_EQ(MarqueeKeyCommand(nullptr, static_cast<uint32_t>(win::LetterKey('H'))), 0);
    EXPECT_EQ(PoolBytes(), before);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

// The view hands a menu's note command to the armed tool as an edit-command message
// for its focused object; a focused note's object ends in the note command routine.
TEST_F(NoteCommandTest, AnEditCommandMessageToAFocusedNoteRunsTheNoteCommand) {
    SelectToolType(view_, kNoteType);
    ScoreObject* handler = NewNotesHandler();
    ASSERT_NE(handler, nullptr);
    SelectionState* s = TheSelectionState();
    s->focusedObject = Ref32<ScoreObject>::To(handler);
    s->editMode = 1;
    HandleToolMouseMessage(view_, view_->ViewWindow, win::PrivateMessage(kEditCommandOffset),
                           note_cmd::kHideStem, kNoteType);
    for (EventRecord* n : NotesWhere(true)) EXPECT_TRUE(IsStemHidden(*n));
    for (EventRecord* n : NotesWhere(false)) EXPECT_FALSE(IsStemHidden(*n));
    s->focusedObject = s->defaultObject;
    s->editMode = 0;
    DestroyNotesHandler(handler);
}

}  // namespace
}  // namespace ql::testing_note_commands
