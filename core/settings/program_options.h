// The program's settings whose owning modules are not built yet, or that belong to
// the shell: the integer rows of the settings table that no other module holds (one
// variable per key, of the row's width and sign), and the text and composite
// settings. The settings store loads and saves them (shell/settings_store.h); their
// modules read them here. Integer defaults are the table's (shell/settings_table.h),
// applied on first use and by ResetProgramOptions. User-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/score_document.h"
#include "core/settings/logical_ports.h"
#include "core/units/units.h"
#include "platform/gfx/types.h"

namespace ql {

constexpr int kChordTypeCount = 16;
constexpr int kQuickZoomCount = 4;
constexpr int kSettingColourCount = 5;

// The three default text fonts, in this order.
enum class DefaultFont : int { TextLine = 0, Lyric = 1, MeasureNumbers = 2 };
constexpr int kDefaultFontCount = 3;

// A default text font as stored: "%u,%u,%d,%u,%u,%u,%u,%s".
struct DefaultFontSetting {
    uint32_t winFont = 0;  // 1: an own face; 0: the quick-font slot below
    uint32_t slot = 0;     // quick-font slot, or face index of an own face
    int32_t height = 0;    // 160ths of a staff-line space
    uint32_t bold = 0;
    uint32_t italic = 0;
    uint32_t underline = 0;
    uint32_t charset = 0;
    std::string face;
    bool operator==(const DefaultFontSetting&) const = default;
};

// A stored quick zoom: scroll origin and zoom.
struct QuickZoom {
    bool stored = false;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t zoom = 0;
};

struct ProgramOptions {
    // Section "Quaverlinescribe".
    uint8_t QuantizeMouse = 0;
    uint8_t AllowStepEntry = 0;
    uint8_t FollowMusic = 0;
    uint8_t RTCFrequency = 0;
    uint8_t RecordMode = 0;
    uint8_t SyncPorts = 0;
    uint8_t ThruPorts = 0;
    uint8_t MidiStepInPort = 0;
    uint8_t RecordPort = 0;
    uint8_t SyncInPort = 0;
    int32_t FudgeLimit = 0;
    int32_t ExtendLimit = 0;  // ticks; the default 512 needs more than a byte
    int32_t PreQuantization = 0;
    int32_t PostQuantization = 0;
    uint8_t AllowMIDIdelay = 0;
    uint8_t CommonCut = 0;
    uint8_t RecordCountdown = 0;
    uint8_t PlayCountdown = 0;
    uint8_t RecordStaff = 0;
    uint8_t SplitStaff = 0;
    uint8_t SplitPoint = 0;
    uint8_t CachePatches = 0;
    uint8_t RecordContinue = 0;
    // The record range of Record Setup: a recording without "RecordContinue" runs
    // from punch-in to punch-out (0: not set, from the current measure to the end).
    uint16_t PunchIn = 0;
    uint16_t PunchOut = 0;
    // Playback Settings and MIDI Synchronization of the session (not stored): the
    // semitones added to every staff, the play-range mode (0 from the start, 2 from
    // the page, 4 the range) with its measures, and the sync modes of playing and
    // recording (0 none, 1 master, 2 slave).
    int8_t GlobalTranspose = 0;
    uint8_t PlayRangeMode = 0;
    uint16_t PlayRangeFirst = 1;
    uint16_t PlayRangeLast = 1;
    uint8_t PlaySyncMode = 0;
    uint8_t RecordSyncMode = 0;
    // Playback options of the session (not stored): swing on the eighths, on the
    // sixteenths, and playing loose ("Loosen Up!").
    uint8_t SwingEighths = 0;
    uint8_t SwingSixteenths = 0;
    uint8_t PlayLoose = 0;
    uint8_t RecordMetro = 0;
    uint8_t RecordEcho = 0;
    uint8_t PlayMetro = 0;
    uint8_t KeepMIDI = 0;
    uint8_t KeepQuantizationError = 0;
    uint8_t QuantizationErrorLimit = 0;
    uint8_t HomeZoom = 0;
    uint8_t InchRule = 0;
    uint8_t ShowMargins = 0;
    uint8_t StartMaximized = 0;
    uint8_t SendPatches = 0;
    uint8_t IsAutoRewind = 0;
    uint8_t ShowHidden = 0;
    uint8_t SavePreferences = 0;
    uint8_t LoadLastFile = 0;
    uint8_t PickListEntries = 0;
    uint8_t RulerOn = 0;
    uint8_t IsAllowFocus = 0;
    uint8_t UseBoxCursor = 0;
    uint8_t Verify = 0;  // also "VerifySave"
    uint8_t FilterTempo = 0;
    uint8_t FilterKEYP = 0;
    uint8_t FilterRTC = 0;
    uint8_t FilterPATCH = 0;
    uint8_t FilterCHAP = 0;
    uint8_t FilterPITCH = 0;
    uint8_t HideKEYP = 0;
    uint8_t HideRTC = 0;
    uint8_t HidePATCH = 0;
    uint8_t HideCHAP = 0;
    uint8_t HidePITCH = 0;
    uint8_t HideTEMPO = 0;
    uint8_t ResetMode = 0;
    uint8_t AllowTriplets = 0;
    uint8_t AllowSyncopation = 0;
    uint8_t AllowQuin = 0;
    // Transcription options without a settings row: "Clip notes to remove overlaps"
    // (stored only), "Extend notes to fill gaps", the channel-staff table (255:
    // unset), the note timbre (-1: the staff's), and "Loosen Up!" (velocity
    // looseness 2..64, timing 0..6, dotted).
    uint8_t ClipNotes = 0;
    uint8_t ExtendNotes = 1;
    uint8_t ChannelStaff[16] = {255, 255, 255, 255, 255, 255, 255, 255,
                                255, 255, 255, 255, 255, 255, 255, 255};
    int8_t NoteTimbre = -1;
    uint8_t VelocityLooseness = 16;
    uint8_t TimingLooseness = 4;
    uint8_t LoosenessDotted = 0;
    uint8_t ReleaseButtonWnds = 0;
    uint8_t ShowPlaybackLoc = 0;
    uint8_t AutoScroll = 0;
    // Section "Version 2".
    uint8_t PolyMode = 0;
    uint8_t UseToolTips = 0;
    uint8_t AutoSlash = 0;
    uint8_t SymmetricSlurs = 0;
    uint8_t SymmetricHairpins = 0;
    uint8_t SyncPalettes = 0;
    uint8_t ClipBlackAndWhite = 0;
    uint8_t UsePopupMenus = 0;
    uint8_t AutoMMR = 0;
    uint8_t AutoLastBar = 0;
    uint8_t ShowOffPage = 0;
    uint8_t AutoReformat = 0;
    uint8_t SmoothScreen = 0;
    uint8_t BackupCopies = 0;
    uint8_t KeySigAllStaves = 0;
    // Section "ToolbarSettings".
    uint8_t LRToolbar = 0;
    uint8_t NoteToolbar = 0;
    uint8_t TextToolbar = 0;
    uint8_t FileToolbar = 0;
    uint8_t CDToolbar = 0;
    uint8_t PageToolbar = 0;
    uint8_t WinToolbar = 0;
    uint8_t ToolBarText = 0;
    uint8_t EditToolbar = 0;
    uint8_t ViewToolbar = 0;
    uint8_t VoxToolbar = 0;
    uint8_t SmallToolBars = 0;
    int16_t ToolSize = 0;

    // Text and composite settings.
    std::string Language;
    std::string ChordTypes[kChordTypeCount];
    std::string InitStaffSeparation;  // text numbers, kept as typed
    std::string NumSystemsSep;
    uint8_t MeasureNumberShowChange = 1;
    std::string PickListDrives;
    std::string CopyRight;
    std::string TemplatePath;
    // Output-device entry of logical ports 1..8 (sequencer/logical_ports.h): 0 the
    // default device (the built-in synthesizer), n the n-th output, 255 none. An
    // entry is taken from the settings when it is 255, or below OutputDeviceEntries
    // when a count of the output devices is known.
    uint8_t MidiPortMap[kLogicalPortCount] = {};
    // "MidiPortNames": the device name of each logical port, separated by '|'; a
    // name found in the current device list wins over the entry of MidiPortMap.
    std::string MidiPortNames;
    // "RecordPortName": the record input's device name; found in the current list,
    // it wins over "RecordPort" (an index among the inputs).
    std::string RecordPortName;
    // "SyncInPortName": the device name of the sync input; found in the current
    // list, it wins over "SyncInPort" (an index among the inputs).
    std::string SyncInPortName;
    // "MidiStepInPortName": the device name of step entry's input; found in the
    // current list, it wins over "MidiStepInPort" (an index among the inputs).
    std::string MidiStepInPortName;
    // "MetronomePortName": the metronome's device name; found in the current list,
    // it wins over "MetronomePort" (an output device entry).
    std::string MetronomePortName;
    int32_t OutputDeviceEntries = 0;
    QuickZoom QuickZooms[kQuickZoomCount];
    // "ColorTitle", "ColorMenu", "ColorButton", "ColorPageIcon", "ColorPageIconNumber";
    // none until a setting gives one (the windows that use them keep their own).
    std::optional<gfx::Colour> Colours[kSettingColourCount];
    DefaultFontSetting DefaultFonts[kDefaultFontCount];
    // The engraving metrics as staff spaces, d.ddd words, by word of the metric record
    // (core/model/engraving_metrics.h).
    BcdInches Metrics[kPageDistanceCount] = {};

    // Metronome (section "Quaverlinescribe").
    int32_t MetronomePort = 0;
    int32_t MetronomePatch = 115;
    int32_t MetronomeCH = 9;  // the channel less 1
    int32_t MetronomeBarKey = 75;
    int32_t MetronomeBeatKey = 72;
    int32_t MetronomeKv = 110;
};

// The options (integer rows at their table defaults on first use).
ProgramOptions& Options();
// Every option back to its default (start-up and tests).
void ResetProgramOptions();

}  // namespace ql
