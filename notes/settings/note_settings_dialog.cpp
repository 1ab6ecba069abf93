// The Note Settings dialog (see note_settings_dialog.h). The scratch copy is a value
// held by the run's record for the length of the modal run: nothing is allocated, so
// Cancel leaves every pool as it was. The edit that had the focus when the dialog
// last closed gets it when it opens again (the attack delay at first).
#include "notes/settings/note_settings_dialog.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "notes/drawing/note_fields.h"
#include "notes/entry/note_edits.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/settings/note_dialog_resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

namespace nsd = note_settings_dialog;

constexpr intptr_t kDialogOk = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int kLongestDelayLimit = 4096;
constexpr int kDelayLimitWithoutNote = 2048;
constexpr int kLowestTimbre = 0;
constexpr int kHighestTimbre = 4;
constexpr int kLowestVelocity = -127;
constexpr int kHighestVelocity = 127;
// flags bit 6: the note plays with its staff's timbre (set by every new note);
// otherwise word2 bits 2-3 hold the timbre minus 1.
constexpr uint16_t kNoteDefaultTimbre = 0x0040;
constexpr uint16_t kNoteTimbreMask = 0x000C;
constexpr int kNoteTimbreShift = 2;
constexpr uint16_t kNoteSoundHidden = 0x0200;  // flags bit 9

// The names of duration codes 5..13, then " note".
constexpr int kFirstNamedDuration = 5;
constexpr const char* kDurationNames[] = {"128th",     "Sixty fourth", "Thirty second",
                                          "Sixteenth", "Eighth",       "Quarter",
                                          "Half",      "Whole",        "Double whole"};
constexpr char kNoteSuffix[] = " note";

struct Range {
    int low = 0;
    int high = 0;
    int Clamp(int value) const { return std::clamp(value, low, high); }
    bool Holds(int value) const { return value >= low && value <= high; }
};

// The run's record: the note, its scratch copy and the ranges shown.
struct NoteSettingsRun {
    ScoreView* view = nullptr;
    EventRecord* note = nullptr;
    EventRecord scratch{};
    DelayLimits limits;
    Range attack;
    Range release;
};
NoteSettingsRun* g_run = nullptr;
int32_t g_rememberedEdit = nsd::kAttack;

Range ShownRange(int32_t editId) {
    switch (editId) {
        case nsd::kTimbre:
            return {kLowestTimbre, kHighestTimbre};
        case nsd::kVelocity:
            return {kLowestVelocity, kHighestVelocity};
        case nsd::kAttack:
            return g_run->attack;
        default:
            return g_run->release;
    }
}

// The flag each plain check box stands for, in the word it lives in.
struct CheckFlag {
    int32_t id;
    bool inWord2;
    uint16_t bit;
};
constexpr CheckFlag kCheckFlags[] = {
    {nsd::kStaccato, true, kNoteStaccato},      {nsd::kLegato, true, kNoteLegato},
    {nsd::kHideSound, false, kNoteSoundHidden}, {nsd::kHideStem, true, kNoteStemHidden},
    {nsd::kHideHead, true, kNoteHeadHidden},
};
uint16_t& WordOf(EventRecord& note, const CheckFlag& flag) {
    return flag.inWord2 ? note.word2 : note.flags;
}

std::string RangeText(int low, int high) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d - %d)", low, high);
    return text;
}

std::string DurationName(int code) {
    const int index = code - kFirstNamedDuration;
    if (index < 0 || index >= static_cast<int>(std::size(kDurationNames))) return "";
    return std::string(kDurationNames[index]) + kNoteSuffix;
}

void InitControls(platform::WindowHandle dialog) {
    const EventRecord& note = g_run->scratch;
    const DelayLimits& limits = g_run->limits;
    ui::SetItemText(dialog, nsd::kAttackRange, RangeText(-limits.limit, limits.limit));
    ui::SetItemText(dialog, nsd::kReleaseRange, RangeText(-limits.limit, limits.releaseMax));
    ui::SetItemText(dialog, nsd::kDurationName, DurationName(note.duration));
    for (const CheckFlag& flag : kCheckFlags)
        ui::CheckItem(dialog, flag.id, (WordOf(g_run->scratch, flag) & flag.bit) != 0);
    ui::CheckItem(dialog, nsd::kCrossStaff, IsCrossStaff(note));
    ui::SetItemInt(dialog, nsd::kAttack, note.attack);
    ui::SetItemInt(dialog, nsd::kRelease, note.release);
    ui::SetItemInt(dialog, nsd::kVelocity, note.velocity);
    ui::SetItemInt(dialog, nsd::kTimbre, NoteTimbre(note));
    const platform::WindowHandle edit = ui::GetDialogItem(dialog, g_rememberedEdit);
    win::SetFocus(edit);
    ui::SelectAllEditText(edit);
}

// One typed number clamped to its shown range; text that is no number keeps `kept`.
int ReadClamped(platform::WindowHandle dialog, int32_t editId, int kept, bool& clamped) {
    const std::optional<int32_t> typed = ui::GetItemInt(dialog, editId);
    const Range range = ShownRange(editId);
    if (!typed) {
        clamped = true;
        return kept;
    }
    if (!range.Holds(*typed)) clamped = true;
    return range.Clamp(*typed);
}

void ApplyAndClose(platform::WindowHandle dialog) {
    NoteSettingsRun& run = *g_run;
    EventRecord& scratch = run.scratch;
    bool clamped = false;
    scratch.attack =
        static_cast<int16_t>(ReadClamped(dialog, nsd::kAttack, scratch.attack, clamped));
    scratch.release =
        static_cast<int16_t>(ReadClamped(dialog, nsd::kRelease, scratch.release, clamped));
    scratch.velocity =
        static_cast<int8_t>(ReadClamped(dialog, nsd::kVelocity, scratch.velocity, clamped));
    SetNoteTimbre(scratch, ReadClamped(dialog, nsd::kTimbre, NoteTimbre(scratch), clamped));
    if (clamped) ui::Beep(ui::BeepKind::Default);
    const bool crossStaff = ui::IsItemChecked(dialog, nsd::kCrossStaff);
    {
        UndoStep step(run.view->document, run.view, UndoKind::Note, 0, UndoVerb::Modify);
        *run.note = scratch;
        // The Notes tool's own toggle, which keeps the sounding pitch and updates the
        // beam group.
        if (crossStaff != IsCrossStaff(*run.note)) ToggleCrossStaffNote(run.view, run.note);
        SetDocumentModified(run.view->document);
    }
    ui::EndDialog(dialog, kDialogOk);
}

// A scroll bar steps the edit beside it (its id + 1) by one inside the shown range.
void StepEdit(platform::WindowHandle dialog, uint32_t word, intptr_t data) {
    const win::ScrollCode code = win::ScrollCodeOf(word);
    if (code != win::ScrollCode::LineUp && code != win::ScrollCode::LineDown) return;
    const int32_t editId = win::GetWindowId(win::WindowFromData(data)) + 1;
    if (editId != nsd::kTimbre && editId != nsd::kVelocity && editId != nsd::kAttack &&
        editId != nsd::kRelease)
        return;
    g_rememberedEdit = editId;
    const int value =
        ui::GetItemInt(dialog, editId).value_or(0) + (code == win::ScrollCode::LineUp ? 1 : -1);
    if (!ShownRange(editId).Holds(value)) {
        ui::Beep(ui::BeepKind::Default);
        return;
    }
    ui::SetItemInt(dialog, editId, value);
}

intptr_t OnCommand(platform::WindowHandle dialog, uint32_t word) {
    const auto id = static_cast<int32_t>(win::CommandId(word));
    const uint32_t code = win::CommandCode(word);
    if (code == ui::kEditSetFocus) {
        g_rememberedEdit = id;
        return 1;
    }
    for (const CheckFlag& flag : kCheckFlags)
        if (flag.id == id) {
            uint16_t& bits = WordOf(g_run->scratch, flag);
            bits = static_cast<uint16_t>(ui::IsItemChecked(dialog, id) ? bits | flag.bit
                                                                       : bits & ~flag.bit);
            return 1;
        }
    switch (id) {
        case ui::kIdOk:
            ApplyAndClose(dialog);
            return 1;
        case ui::kIdCancel:
            ui::EndDialog(dialog, kDialogCancelled);
            return 1;
        case nsd::kLogo:
            ShowDialogContextHelp(dialog, nsd::kHelpId, nullptr);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

int NoteTimbre(const EventRecord& note) {
    if ((note.flags & kNoteDefaultTimbre) != 0) return 0;
    return ((note.word2 & kNoteTimbreMask) >> kNoteTimbreShift) + 1;
}

void SetNoteTimbre(EventRecord& note, int timbre) {
    if (timbre == 0) {
        note.flags = static_cast<uint16_t>(note.flags | kNoteDefaultTimbre);
        return;
    }
    note.flags = static_cast<uint16_t>(note.flags & ~kNoteDefaultTimbre);
    note.word2 = static_cast<uint16_t>((note.word2 & ~kNoteTimbreMask) |
                                       (((timbre - 1) << kNoteTimbreShift) & kNoteTimbreMask));
}

DelayLimits ResetNoteDefaults(const EventRecord* note) {
    DelayLimits limits;
    const int ticks = note != nullptr ? DurationCodeTicks(note->duration) : 0;
    limits.limit = ticks > 0 ? std::min(ticks, kLongestDelayLimit) : kDelayLimitWithoutNote;
    limits.releaseMax = std::min(2 * limits.limit, kLongestDelayLimit);
    return limits;
}

intptr_t NoteSettingsDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                                intptr_t data) {
    if (g_run == nullptr) return 0;
    switch (message) {
        case win::Message::InitDialog:
            InitControls(dialog);
            return 0;  // the focus is set
        case win::Message::Command:
            return OnCommand(dialog, word);
        case win::Message::VerticalScroll:
            StepEdit(dialog, word, data);
            return 1;
        case win::Message::DrawItem:
            return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::Help:
            return ShowDialogContextHelp(dialog, nsd::kHelpId,
                                         reinterpret_cast<const win::HelpInfo*>(data));
        default:
            return 0;
    }
}

intptr_t RunNoteSettingsDialog(ScoreView* view, EventRecord* note) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return kDialogCancelled;
    NoteSettingsRun run;
    run.view = view;
    run.note = note;
    run.scratch = *note;
    run.limits = ResetNoteDefaults(note);
    run.attack = {std::min(-run.limits.limit, int{note->attack}),
                  std::max(run.limits.limit, int{note->attack})};
    run.release = {std::min(-run.limits.limit, int{note->release}),
                   std::max(run.limits.releaseMax, int{note->release})};
    NoteSettingsRun* previous = g_run;
    g_run = &run;
    const intptr_t result = ModalDialogBox(view, nsd::kDialogId, NoteSettingsDialogProc);
    g_run = previous;
    return result;
}

}  // namespace ql
