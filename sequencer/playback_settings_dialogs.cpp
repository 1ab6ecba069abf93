// The settings dialogs of playing (see settings_dialogs.h): default note durations,
// playback settings, the metronome with its audition, and patch caching.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/settings/score_settings.h"
#include "core/settings/settings_store.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/settings_dialog_frame.h"
#include "core/ui/typed_numbers.h"
#include "core/undo/undo.h"
#include "notes/pitch/patch_names.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/window.h"
#include "sequencer/engine.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/playback.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/sequencer_state.h"
#include "sequencer/settings_dialogs.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr uint32_t kDurationsHelp = 1533;
constexpr uint32_t kPlaybackHelp = 1491;
constexpr uint32_t kMetronomeHelp = 1235;
constexpr uint32_t kPatchCacheHelp = 1167;
constexpr char kMainSection[] = "Quaverlinescribe";
constexpr int32_t kLowestTempo = 10;
constexpr int32_t kHighestTempo = 880;
constexpr int32_t kMidiTop = 127;
constexpr int32_t kChannels = 16;
constexpr int32_t kLowestRtcFrequency = 1;
constexpr int32_t kHighestRtcFrequency = 255;
constexpr int kPatchNumberBase = 1;
constexpr int kCachedPatches = 256;

ScoreDocument* DocumentOf(ScoreView* view) {
    return view != nullptr ? view->document : nullptr;
}

// The tempo of new scores, of the active score and of the dialog's score.
void StoreTempo(ScoreDocument* document, int32_t tempo) {
    SetTempoSetting(static_cast<uint16_t>(tempo));
    if (document != nullptr) document->header.tempo = static_cast<uint16_t>(tempo);
    SetPrefDword(kMainSection, "Tempo", tempo);
}

// The metronome's fields as typed, clamped to their ranges.
struct MetronomeFields {
    int32_t channel = 1;  // 1..16
    int32_t barKey = 0;
    int32_t beatKey = 0;
    int32_t volume = 0;
    int32_t patch = 0;
    int32_t tempo = 0;
};

MetronomeFields ReadMetronome(TypedNumbers& typed) {
    namespace m = metronome_dialog;
    const ProgramOptions& o = Options();
    MetronomeFields f;
    f.channel = typed.Read(m::kChannel, 1, kChannels, o.MetronomeCH + 1);
    f.barKey = typed.Read(m::kBarKey, 0, kMidiTop, o.MetronomeBarKey);
    f.beatKey = typed.Read(m::kBeatKey, 0, kMidiTop, o.MetronomeBeatKey);
    f.volume = typed.Read(m::kVolume, 0, kMidiTop, o.MetronomeKv);
    f.patch = typed.Read(m::kPatch, 0, kMidiTop, o.MetronomePatch);
    f.tempo = typed.Read(m::kTempo, kLowestTempo, kHighestTempo, TempoSetting());
    return f;
}

// A click on the metronome's device: note-on, then note-off, of the key.
void Audition(const MetronomeFields& f, int32_t key) {
    const std::string device = SavedMetronomeDevice(midi::CurrentBackend().Devices());
    const uint32_t channel = static_cast<uint32_t>(f.channel - 1);
    const uint32_t note = static_cast<uint32_t>(key) << 8;
    if (!SendMidiOutputMessage(device, 0x90u | channel | note | static_cast<uint32_t>(f.volume) << 16)) {
        PlayAlertBeep(0);
        return;
    }
    SendMidiOutputMessage(device, 0x80u | channel | note);
}

std::string PatchLine(int patch) {
    char line[64];
    std::snprintf(line, sizeof line, " %3d.  %s", patch + kPatchNumberBase, GeneralMidiPatchName(patch));
    return line;
}

void AddPatchLine(WindowHandle list, int patch) {
    const int32_t index = ui::ListAddString(list, PatchLine(patch));
    ui::ListSetItemData(list, index, patch);
}

bool ListHolds(WindowHandle list, int patch) {
    for (int32_t i = 0; i < ui::ListGetCount(list); ++i)
        if (ui::ListGetItemData(list, i) == patch) return true;
    return false;
}

}  // namespace

intptr_t RunNoteDurationsDialog(ScoreView* view) {
    namespace d = note_durations_dialog;
    ScoreDocument* document = DocumentOf(view);
    ScoreHeader& preferred = ProgramPreferences().header;
    return RunSettingsDialog(
        d::kDialog, kDurationsHelp,
        [&](WindowHandle dialog) {
            ui::EnableItem(dialog, d::kScore, document != nullptr);
            if (document != nullptr) ui::SetItemInt(dialog, d::kScore, document->header.notePlaybackPercent);
            ui::SetItemInt(dialog, d::kNewFiles, preferred.notePlaybackPercent);
        },
        [&](WindowHandle dialog) {
            TypedNumbers typed(dialog);
            const int32_t forFiles = typed.Read(d::kNewFiles, d::kLowest, d::kHighest, preferred.notePlaybackPercent);
            const int32_t forScore = document == nullptr
                                         ? 0
                                         : typed.Read(d::kScore, d::kLowest, d::kHighest, document->header.notePlaybackPercent);
            typed.BeepIfClamped();
            if (forFiles != preferred.notePlaybackPercent) SetIntSettingValue("NotePlaybackPercent", forFiles);
            if (document == nullptr || forScore == document->header.notePlaybackPercent) return;
            UndoStep step(document, view, UndoKind::Item, 0, UndoVerb::Change);
            document->header.notePlaybackPercent = static_cast<uint8_t>(forScore);
            SetDocumentModified(document);
        },
        kNoCommand);
}

intptr_t RunPlaybackSettingsDialog(ScoreView* view) {
    namespace p = playback_settings_dialog;
    ScoreDocument* document = DocumentOf(view);
    ProgramOptions& o = Options();
    const int32_t measures = document != nullptr ? std::max<int32_t>(document->header.measureCount, 1) : 1;
    int32_t mode = o.PlayRangeMode;
    return RunSettingsDialog(
        p::kDialog, kPlaybackHelp,
        [&](WindowHandle dialog) {
            ui::SetItemInt(dialog, p::kTempo, TempoSetting());
            ui::SetItemInt(dialog, p::kVelocity, document != nullptr ? document->extraVelocity : 0);
            ui::SetItemInt(dialog, p::kTranspose, o.GlobalTranspose);
            const int32_t checked = mode == 4 ? p::kRange : mode == 2 ? p::kFromPage : p::kFromStart;
            ui::CheckRadioButton(dialog, p::kFromStart, p::kRange, checked);
            ui::SetItemInt(dialog, p::kRangeFirst, std::clamp<int32_t>(o.PlayRangeFirst, 1, measures));
            ui::SetItemInt(dialog, p::kRangeLast, std::clamp<int32_t>(o.PlayRangeLast, 1, measures));
            ui::SetItemInt(dialog, p::kRtcFrequency, o.RTCFrequency);
        },
        [&](WindowHandle dialog) {
            TypedNumbers typed(dialog);
            const int32_t tempo = typed.Read(p::kTempo, kLowestTempo, kHighestTempo, TempoSetting());
            const int32_t velocity = typed.Read(p::kVelocity, -kMidiTop, kMidiTop, 0);
            const int32_t transpose = typed.Read(p::kTranspose, -kMidiTop, kMidiTop, o.GlobalTranspose);
            const int32_t first = typed.Read(p::kRangeFirst, 1, measures, o.PlayRangeFirst);
            const int32_t last = typed.Read(p::kRangeLast, first, measures, o.PlayRangeLast);
            const int32_t rtc = typed.Read(p::kRtcFrequency, kLowestRtcFrequency, kHighestRtcFrequency, o.RTCFrequency);
            typed.BeepIfClamped();
            StoreTempo(document, tempo);
            if (document != nullptr && document->extraVelocity != velocity) {
                document->extraVelocity = static_cast<int8_t>(velocity);
                SetMasterVelocityOffset(TheSequencerState(), velocity);
                SetDocumentModified(document);
            }
            o.GlobalTranspose = static_cast<int8_t>(transpose);
            o.PlayRangeMode = static_cast<uint8_t>(ui::IsItemChecked(dialog, p::kRange)      ? 4
                                                   : ui::IsItemChecked(dialog, p::kFromPage) ? 2
                                                                                             : 0);
            o.PlayRangeFirst = static_cast<uint16_t>(first);
            o.PlayRangeLast = static_cast<uint16_t>(last);
            SetIntSettingValue("RTCFrequency", rtc);
        },
        kNoCommand);
}

intptr_t RunMetronomeDialog(ScoreView* view) {
    namespace m = metronome_dialog;
    ProgramOptions& o = Options();
    return RunSettingsDialog(
        m::kDialog, kMetronomeHelp,
        [&](WindowHandle dialog) {
            ui::SetItemInt(dialog, m::kChannel, o.MetronomeCH + 1);
            ui::SetItemInt(dialog, m::kBarKey, o.MetronomeBarKey);
            ui::SetItemInt(dialog, m::kBeatKey, o.MetronomeBeatKey);
            ui::SetItemInt(dialog, m::kVolume, o.MetronomeKv);
            ui::SetItemInt(dialog, m::kPatch, o.MetronomePatch);
            ui::SetItemInt(dialog, m::kTempo, TempoSetting());
        },
        [&](WindowHandle dialog) {
            TypedNumbers typed(dialog);
            const MetronomeFields f = ReadMetronome(typed);
            typed.BeepIfClamped();
            MarkPatchUsed(DocumentOf(view), f.patch);
            o.MetronomeCH = f.channel - 1;
            o.MetronomeBarKey = f.barKey;
            o.MetronomeBeatKey = f.beatKey;
            o.MetronomeKv = f.volume;
            o.MetronomePatch = f.patch;
            StoreTempo(DocumentOf(view), f.tempo);
            OpenMidiPortsWithPatchCache(DocumentOf(view));
            if (ui::IsItemChecked(dialog, m::kSaveNow)) SaveMetronomePrefs();
        },
        [&](WindowHandle dialog, int32_t id, uint32_t) {
            if (id != m::kAuditionBar && id != m::kAuditionBeat) return false;
            TypedNumbers typed(dialog);
            const MetronomeFields f = ReadMetronome(typed);
            Audition(f, id == m::kAuditionBar ? f.barKey : f.beatKey);
            return true;
        });
}

intptr_t RunPatchCachingDialog(ScoreView* view) {
    namespace c = patch_cache_dialog;
    ScoreDocument* document = DocumentOf(view);
    if (document == nullptr) return -1;
    return RunSettingsDialog(
        c::kDialog, kPatchCacheHelp,
        [&](WindowHandle dialog) {
            const WindowHandle all = ui::GetDialogItem(dialog, c::kAllPatches);
            const WindowHandle cached = ui::GetDialogItem(dialog, c::kCacheList);
            for (int patch = 0; patch < kGeneralMidiPrograms; ++patch) {
                AddPatchLine(all, patch);
                if (IsPatchUsed(document, patch)) AddPatchLine(cached, patch);
            }
        },
        [&](WindowHandle dialog) {
            const WindowHandle cached = ui::GetDialogItem(dialog, c::kCacheList);
            UndoStep step(document, view, UndoKind::Item, 0, UndoVerb::Change);
            std::fill(std::begin(document->patchesInUse), std::end(document->patchesInUse), uint8_t{0});
            for (int32_t i = 0; i < ui::ListGetCount(cached) && i < kCachedPatches; ++i)
                MarkPatchUsed(document, static_cast<int>(ui::ListGetItemData(cached, i)));
            if (Options().CachePatches != 0) OpenMidiPortsWithPatchCache(document);
            SetDocumentModified(document);
        },
        [&](WindowHandle dialog, int32_t id, uint32_t) {
            const WindowHandle all = ui::GetDialogItem(dialog, c::kAllPatches);
            const WindowHandle cached = ui::GetDialogItem(dialog, c::kCacheList);
            if (id == c::kAdd) {
                const int32_t chosen = ui::ListGetSelection(all);
                if (chosen < 0) return true;
                const int patch = static_cast<int>(ui::ListGetItemData(all, chosen));
                if (!ListHolds(cached, patch)) AddPatchLine(cached, patch);
                return true;
            }
            if (id == c::kRemove) {
                const int32_t chosen = ui::ListGetSelection(cached);
                if (chosen >= 0) ui::ListDeleteString(cached, chosen);
                return true;
            }
            return false;
        });
}

}  // namespace ql
