// The note commands' entry points (see note_commands.h and ApplyNoteCommand in
// selection.h): the command table with each command's undo label, the dialogs run
// before the value commands, and the marquee's keys turned into commands.
#include "editing/note_commands.h"

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/score_document.h"
#include "core/ui/shell_services.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "editing/editing_services.h"
#include "editing/note_command_dialogs.h"
#include "editing/note_command_edits.h"
#include "editing/selection.h"
#include "notes/entry/note_edits.h"
#include "notes/settings/note_settings_dialog.h"
#include "platform/win/keys.h"

namespace ql {
namespace {

constexpr uint8_t kNoteType = TypeCode(ObjectType::Note);
constexpr int kIntervalCount = 7;  // second .. octave
constexpr int kDialogOk = 1;

// The head chosen in the note-head dialog, kept between runs.
int g_chosenHead = 0;

struct CommandLabel {
    int first;
    int last;
    UndoKind kind;
    UndoVerb verb;
};
constexpr CommandLabel kLabels[] = {
    {note_cmd::kNormalSize, note_cmd::kGraceSize, UndoKind::Note, UndoVerb::Change},
    {note_cmd::kNoteHead, note_cmd::kNoteHead, UndoKind::NoteHead, UndoVerb::Change},
    {note_cmd::kStaccato, note_cmd::kLegato, UndoKind::Note, UndoVerb::Change},
    {note_cmd::kFanLeft, note_cmd::kFanRight, UndoKind::Beam, UndoVerb::Fan},
    {note_cmd::kFlipStem, note_cmd::kFlipStem, UndoKind::Stem, UndoVerb::Flip},
    {note_cmd::kEnharmonic, note_cmd::kEnharmonic, UndoKind::Enharmonic, UndoVerb::Change},
    {note_cmd::kTranspose, note_cmd::kTranspose, UndoKind::Pitch, UndoVerb::Change},
    {note_cmd::kHideSound, note_cmd::kHideSound, UndoKind::Sound, UndoVerb::Hide},
    {note_cmd::kHideStem, note_cmd::kHideStem, UndoKind::Stem, UndoVerb::Hide},
    {note_cmd::kHideHead, note_cmd::kHideHead, UndoKind::NoteHead, UndoVerb::Hide},
    {note_cmd::kHideBeams, note_cmd::kHideLowestBeam, UndoKind::Beam, UndoVerb::Hide},
    {note_cmd::kHideAll, note_cmd::kHideAll, UndoKind::Note, UndoVerb::Hide},
    {note_cmd::kKeyVelocity, note_cmd::kKeyVelocity, UndoKind::Velocity, UndoVerb::Modify},
    {note_cmd::kAttackDelay, note_cmd::kAttackDelay, UndoKind::Attack, UndoVerb::Modify},
    {note_cmd::kReleaseDelay, note_cmd::kReleaseDelay, UndoKind::Release, UndoVerb::Modify},
    {note_cmd::kTimbre, note_cmd::kTimbre, UndoKind::Timbre, UndoVerb::Modify},
    {note_cmd::kCrossStaff, note_cmd::kCrossStaff, UndoKind::Staff, UndoVerb::Change},
    {note_cmd::kResetPosition, note_cmd::kResetPosition, UndoKind::Note, UndoVerb::Change},
    {note_cmd::kMoveLeft, note_cmd::kMoveDown, UndoKind::Note, UndoVerb::Move},
    {note_cmd::kSecondAbove, note_cmd::kSecondBelow + kIntervalCount - 1, UndoKind::Note,
     UndoVerb::Add},
    {note_cmd::kSlashStem, note_cmd::kSlashStem, UndoKind::Stem, UndoVerb::Change},
};

const CommandLabel* LabelOf(int command) {
    for (const CommandLabel& label : kLabels)
        if (command >= label.first && command <= label.last) return &label;
    return nullptr;
}

// The command's first note's value, shown when its dialog opens.
int StartValue(ScoreView* view, int command) {
    const std::vector<WalkedItem> items = NoteCommandTargets(view);
    if (items.empty()) return 0;
    const EventRecord& note = *items.front().note;
    switch (command) {
        case note_cmd::kKeyVelocity:
            return note.velocity;
        case note_cmd::kAttackDelay:
            return note.attack;
        case note_cmd::kReleaseDelay:
            return note.release;
        case note_cmd::kTimbre:
            return NoteTimbre(note) - 1;
        default:
            return 0;
    }
}

int DialogOf(int command) {
    switch (command) {
        case note_cmd::kKeyVelocity:
            return kKeyVelocityDialog;
        case note_cmd::kAttackDelay:
            return kAttackOffsetDialog;
        case note_cmd::kReleaseDelay:
            return kReleaseOffsetDialog;
        case note_cmd::kTimbre:
            return kNoteTimbreDialog;
        case note_cmd::kCrossStaff:
            return kCrossStaffDialog;
        case note_cmd::kTranspose:
            return kTransposeDialog;
        default:
            return 0;
    }
}

int RunValueCommand(ScoreView* view, int command) {
    int value = StartValue(view, command);
    if (RunNoteValueDialog(view, DialogOf(command), &value) != kDialogOk) return 0;
    return ApplyNoteDialogValue(view, command, value);
}

int RunNoteHeadCommand(ScoreView* view) {
    const int previous = g_chosenHead;
    int head = g_chosenHead;
    const intptr_t result = RunNoteHeadDialog(view, &head);
    g_chosenHead = result == kNoteHeadDialogOk ? head : previous;
    return ApplyNoteHeadResult(view, result, head);
}

// The command's edit, without its undo bracket.
int RunCommand(ScoreView* view, int command) {
    using namespace note_cmd;
    if (command >= kSecondAbove && command < kSecondAbove + kIntervalCount)
        return AddIntervalToChords(view, command - kSecondAbove + 1, true);
    if (command >= kSecondBelow && command < kSecondBelow + kIntervalCount)
        return AddIntervalToChords(view, command - kSecondBelow + 1, false);
    switch (command) {
        case kNormalSize:
            return SetElementSize(view, kSizeNormal);
        case kPetiteSize:
            return SetElementSize(view, kSizePetite);
        case kGraceSize:
            return SetElementSize(view, kSizeGrace);
        case kFanLeft:
        case kFanRight:
            return FanBeams(view, command == kFanRight);
        case kFlipStem:
            return FlipMarqueeStems(view);
        case kEnharmonic:
            return RespellEnharmonically(view);
        case kNoteHead:
            return RunNoteHeadCommand(view);
        case kStaccato:
            return ToggleNoteMarks(view, kStaccatoBit);
        case kLegato:
            return ToggleNoteMarks(view, kLegatoBit);
        case kHideSound:
            return ToggleNoteHideBits(view, kHideSoundMask);
        case kHideStem:
            return ToggleNoteHideBits(view, kHideStemMask);
        case kHideHead:
            return ToggleNoteHideBits(view, kHideHeadMask);
        case kHideBeams:
            return ToggleNoteHideBits(view, kHideBeamsMask);
        case kHideLowestBeam:
            return ToggleNoteHideBits(view, kHideLowestBeamMask);
        case kHideAll:
            return ToggleHideAll(view);
        case kKeyVelocity:
        case kAttackDelay:
        case kReleaseDelay:
        case kTimbre:
        case kTranspose:
        case kCrossStaff:
            return RunValueCommand(view, command);
        case kResetPosition:
            return ResetAttachments(view);
        case kMoveLeft:
            return MoveNotes(view, -1, 0);
        case kMoveRight:
            return MoveNotes(view, 1, 0);
        case kMoveUp:
            return MoveNotes(view, 0, -1);
        case kMoveDown:
            return MoveNotes(view, 0, 1);
        case kSlashStem:
            return ToggleSlashStems(view);
        default:
            return 0;
    }
}

// The command in one undoable edit; non-zero when the document changed.
int RunUndoable(ScoreView* view, int command) {
    const CommandLabel* label = LabelOf(command);
    if (view == nullptr || view->document == nullptr || label == nullptr) return 0;
    ScoreDocument* document = view->document;
    const uint16_t before = document->changeCounter;
    {
        UndoStep step(document, view, label->kind, kNoteType, label->verb);
        if (RunCommand(view, command) != 0) SetDocumentModified(document);
    }
    const bool changed = document->changeCounter != before;
    if (changed) {
        RedrawLinkedViews(view);
        InvalidateLinkedViews(view);  // the page shows the changed notes
    }
    return changed ? 1 : 0;
}

// The command a key of the marquee stands for; 0 for none.
int CommandOfKey(uint32_t key) {
    using win::Key;
    using namespace note_cmd;
    const uint32_t zero = static_cast<uint32_t>(win::DigitKey(0));
    if (key >= zero + 2 && key <= zero + 8) {
        const int interval = static_cast<int>(key - zero) - 1;
        return (win::IsKeyDown(Key::Alt) ? kSecondAbove : kSecondBelow) + interval - 1;
    }
    struct KeyCommand {
        uint32_t key;
        int command;
    };
    static const KeyCommand kKeys[] = {
        {static_cast<uint32_t>(Key::Shift), kResetPosition},
        {static_cast<uint32_t>(win::LetterKey('G')), kGraceSize},
        {static_cast<uint32_t>(win::LetterKey('P')), kPetiteSize},
        {static_cast<uint32_t>(win::LetterKey('N')), kNormalSize},
        {static_cast<uint32_t>(win::LetterKey('H')), kHideAll},
        {static_cast<uint32_t>(Key::Slash), kSlashStem},
        {static_cast<uint32_t>(win::LetterKey('S')), kStaccato},
        {static_cast<uint32_t>(win::LetterKey('L')), kLegato},
        {static_cast<uint32_t>(win::LetterKey('E')), kEnharmonic},
        {static_cast<uint32_t>(win::LetterKey('F')), kFlipStem},
        {static_cast<uint32_t>(Key::Left), kMoveLeft},
        {static_cast<uint32_t>(Key::Right), kMoveRight},
        {static_cast<uint32_t>(Key::Up), kMoveUp},
        {static_cast<uint32_t>(Key::Down), kMoveDown},
    };
    for (const KeyCommand& k : kKeys)
        if (k.key == key) return k.command;
    return 0;
}

constexpr uint32_t kCrossStaffKey = static_cast<uint32_t>(win::LetterKey('X'));

}  // namespace

int engine::ApplyNoteCommand(ScoreView* view, int command, int /*value*/) {
    return RunUndoable(view, command);
}

int MarqueeKeyCommand(ScoreView* view, uint32_t key) {
    if (view == nullptr || view->document == nullptr) return 0;
    if (key == kCrossStaffKey) {
        // X moves every beam group, without the cross-staff dialog.
        UndoStep step(view->document, view, UndoKind::Staff, kNoteType, UndoVerb::Change);
        if (ToggleCrossStaffGroups(view, -1) != 0) {
            SetDocumentModified(view->document);
            RedrawLinkedViews(view);
        }
        return 1;
    }
    const int command = CommandOfKey(key);
    if (command == 0) return 0;
    RunUndoable(view, command);
    return 1;
}

}  // namespace ql
