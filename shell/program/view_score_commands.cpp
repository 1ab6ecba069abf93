// The view commands that open their dialogs or change the score itself: the Text
// tool's font and the default fonts of text lines and lyrics, a staff added before
// or after the marquee's staff, multi-measure rests, the page formatted again, the
// measures set back to their time signatures, and the option toggles.
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "editing/part_extraction.h"
#include "editing/print_to_clipboard.h"
#include "editing/selection.h"
#include "layout/measure_spacing.h"
#include "layout/page_fit.h"
#include "notes/beatmap/beat_map.h"
#include "objects/quick_fonts/select_font.h"
#include "platform/win/message_loop.h"
#include "sequencer/mixer_window.h"
#include "sequencer/sequencer_services.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_procedures_internal.h"
#include "shell/program/view_toggles.h"
#include "staves/barline_edits.h"
#include "staves/measure_lengths.h"
#include "staves/multi_measure_rest.h"
#include "staves/staff_manage.h"

namespace ql {
namespace {

constexpr uint32_t kTextToolType = 18;
constexpr uint32_t kTextToolStyleCommand = 5;

// A staff before the first or after the last staff the marquee covers, as one
// undoable edit; nothing at the staff limit or without a staff in the marquee.
void InsertStaffCommand(ScoreView* view, int command) {
    ScoreDocument* document = view->document;
    if (document->header.staffCount + 1 > kMaxStaves) return;
    int first = 0;
    int last = 0;
    if (MarqueeRangeAtPoint(view, &first, &last) == 0) return;
    UndoStep step(document, view, UndoKind::Staff, 0, UndoVerb::Add);
    if (InsertStaves(view, command, command == kInsertStaffBefore ? first : last) == 0) return;
    UpdateLocationFromPointer(view);
    if (SelectionState* s = State().documents.Selection) s->rebuildRequested = 1;
    InvalidateLinkedViews(view);
    WarnWhenSystemTallerThanPage(view);
}

// The current page formatted again, as one undoable edit.
void ReformatPage(ScoreView* view) {
    {
        UndoStep step(view->document, view, UndoKind::Page, 0, UndoVerb::Format);
        FormatPage(view);
    }
    RedrawLinkedViews(view);
    EndFocus(view, 1);
}

// Every measure's length from its time signature, its spacing back to the
// defaults; the beat maps follow.
void ResetMeasuresToTimeSignatures(ScoreView* view) {
    RecomputeMeasureLengths(view->document, view);
    UpdateBeatMaps(view, 0);
    RedrawLinkedViews(view);
}

}  // namespace

std::optional<int> RunScoreViewCommand(ScoreView* view, int id) {
    if (RunViewToggle(view, id)) return 1;
    switch (id) {
        case view_cmd::kChooseFont:
            if (SelectTextFontCommand(view) != 0)
                win::PostMessage(view->ViewWindow, kMsgToolCommand, kTextToolStyleCommand,
                                 kTextToolType);
            return 1;
        case view_cmd::kLyricFont:
            SelectDefaultTextFont(view, DefaultTextFont::Lyric, true);
            return 1;
        case view_cmd::kTextLineFont:
            SelectDefaultTextFont(view, DefaultTextFont::TextLine, true);
            return 1;
        case kInsertStaffBefore:
        case kInsertStaffAfter:
            InsertStaffCommand(view, id);
            return 1;
        case view_cmd::kMultiMeasureRest:
            MultiMeasureRestCommand(view);
            return 1;
        case kSetMeasureNumberCommand:
        case kHideMeasureObjectsCommand:
            RunBarlineMenuDialog(view, id);
            return 1;
        case view_cmd::kReformatPage:
            ReformatPage(view);
            return 1;
        case view_cmd::kResetMeasureLengths:
            ResetMeasuresToTimeSignatures(view);
            return 1;
        case 40170:  // Show Mixers: shows one, or hides them all when one is shown
            ToggleMixerWindow(view, !IsAnyMixerShown(view));
            return 0;
        case 40182:  // Create Mixer
            ShowMixerWindow(view);
            return 0;
        case view_cmd::kPrintToClipboard:
            PrintToClipboard(view);
            return 1;
        case view_cmd::kAllNotesOff:
            ReopenMidiAndSilence(view->document);
            RefreshStepEntry();
            return 0;
        case view_cmd::kExtractPart:
            ExtractPart(view);
            return 1;
        case view_cmd::kNewTranscription:
            NewTranscriptionCommand(view);
            return 1;
        case view_cmd::kMeasureOwned:
        case view_cmd::kPageOwned:
            SetMeasureOwned(view, id == view_cmd::kMeasureOwned);
            return 1;
        default:
            return std::nullopt;
    }
}

}  // namespace ql
