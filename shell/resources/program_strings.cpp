// The program's string table and its registration into the program bundle.
#include "shell/resources/program_strings.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/ui/help.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"
#include "core/ui/string_ids.h"
#include "core/ui/system_error.h"
#include "interchange/smf/smf_strings.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page/page_layout_resources.h"
#include "notes/pitch/patch_names.h"
#include "shell/program/frame_option_commands.h"
#include "shell/program/program_ids.h"
#include "staves/staff_dialog_resources.h"

namespace ql {
namespace {

constexpr ProgramStringEntry kProgramStrings[] = {
    // Product and documents.
    {kStrUntitled, "Untitled"},
    {kStrProductName, "Quaverlinescribe"},
    {kStrProductCaption, "Quaverlinescribe"},
    // Start-up, the frame, the score windows and the logo window.
    {kStrNoComctl, "Unable to initialize the common control library (COMCTL32.DLL)."},
    {kStrFontMissing, "Unable to locate font %s."},
    {kStrChordFontMissing, "Warning:  Unable to locate Fretmark font.\nChord symbols will not display correctly."},
    {kStrAutoSaveCaption, "Quaverlinescribe (Auto Save)"},
    {kStrTerminating, "Program terminating..."},
    {kStrFrameException, "An exception has occurred in main window command processing.\nProgram will try to save file data before terminating."},
    {kStrViewException, "An exception has occurred in view window message processing.\nProgram will try to save file data before terminating."},
    {kStrViewCommandException, "An exception has occurred in view window command processing.\nProgram will try to save file data before terminating."},
    {kStrTempo, "Tempo"},
    {kStrElapsedTime, "Elapsed time:  %d:%02d"},
    {kStrVersion3Warning, "Warning - This file was created by Quaverlinescribe Version 3.\nSome file data may not be compatible with Version 2."},
    {kStrPage, "Page"},
    {kStrOf, "of"},
    {kStrStart, "start"},
    {kStrEnd, "End"},
    {kStrLeftMaster, "  Left Master Page  "},
    {kStrRightMaster, "  Right Master Page  "},
    {kStrVersion, "Version"},
    {kStrFirstLogoLine, "A music notation editor and MIDI sequencer."},
    {kStrFirstLogoLine + 1, "Scores, parts, playback and recording."},
    // Low memory and invalid input.
    {kStrModuleLineReport, "%s\n %s"},
    {kStrResourceMemoryLow, "Resource memory is low.\nReleasing some resources..."},
    {kStrInvalidValue, "Invalid value"},
    {kStrErrorNumber, "Error %ld"},
    // Standard MIDI Files.
    {kStrExportMidiFileCaption, "Export to Standard Midi File"},
    {kStrPageWord, "page"},
    {kStrPagesWord, "pages"},
    {kStrFileOpenError, "File open error"},
    {kStrMidiTrack, "Track"},
    {kStrInvalidMidiFile, "Invalid MIDI file"},
    {kStrInvalidMidiData, "Invalid MIDI data"},
    {kStrImportMidiFileCaption, "Import MIDI File"},
    // The internal-error report.
    {kStrErrorOccurredIn, "An error has occured in"},
    {kStrFileSavedAs, "Your file has been saved as"},
    {kStrExitAdvice, "You should exit Windows"},
    {kStrMemoryError, "Memory error"},
    {kStrReportNumbers, "Report error numbers to Tech Support"},
    {kStrSupportContact,
     "Please send these numbers and what you were doing to the program's maintainers."},
    {kStrFileNotSavedAs, "Your file could NOT be saved as"},
    // Status bar and note descriptions.
    {kStrAttackRelease, "Attack=%d Release=%d "},
    {kStrTickLength, "Tick=%d Length=%d"},
    {kStrTiedLeft, "-Tied Left- "},
    {kStrTiedRight, "-Tied Right- "},
    {kStrTickLengthShort, " Tick=%d Len=%d"},
    {kStrNoticeLabel, "Notice:"},
    {kStrVolumeAbsolute, "  Volume=%d (dyna %d, key velocity %d)"},
    {kStrVolumeRelative, "  Volume=%d (staff %d + dyna %d + key velocity %d)"},
    {kStrVolumeNoMark, "  Volume=%d (staff %d + key velocity %d)"},
    {kStrStaffVoice, "[Staff %d, Voice %d] "},
    {kStrNoteVoice, "[Voice %d]   "},
    {kStrRestVoice, "[Voice %d]"},
    // Staves and their dialogs.
    {kStrNone, "NONE"},
    {kStrStaff, "Staff"},
    {kStrUsePageView, "Use Page view"},
    {kStrDeleteStaffAnyway, "Cannot undo staff deletion.  Delete anyway?"},
    {kStrPerfect, "Perfect"},
    {kStrDiminished, "Diminished"},
    {kStrMajor, "Major"},
    {kStrMinor, "Minor"},
    {kStrStaffSizeRange, "Staff size must be 50-100%."},
    // Help and progress.
    {kStrCantOpenHelp, "Can't Open Help file!"},
    {kStrHelpPagesUnshown, "No browser could show the help. Its pages are in:"},
    {kStrFormatPosition, " Page %d  System %d  Staff %d "},
    {kStrFormattingData, "Formatting data..."},
    {kStrConfirmCancel, "Are you sure you want to cancel?"},
    // Settings: colour names, chord-type suffixes, the score held by another process.
    {kStrFirstColourName + 0, "red"},
    {kStrFirstColourName + 1, "green"},
    {kStrFirstColourName + 2, "blue"},
    {kStrFirstColourName + 3, "black"},
    {kStrFirstColourName + 4, "grey"},
    {kStrFirstColourName + 5, "sky"},
    {kStrFirstColourName + 6, "white"},
    {kStrFirstChordType + 0, " "},
    {kStrFirstChordType + 1, "m"},
    {kStrFirstChordType + 2, "+5"},
    {kStrFirstChordType + 3, "7"},
    {kStrFirstChordType + 4, "maj7"},
    {kStrFirstChordType + 5, "m7"},
    {kStrFirstChordType + 6, "dim7"},
    {kStrFirstChordType + 7, "7+5"},
    {kStrFirstChordType + 8, "6"},
    {kStrFirstChordType + 9, "9"},
    {kStrFirstChordType + 10, "(sus4)"},
    {kStrFirstChordType + 11, "7(sus 4)"},
    {kStrFirstChordType + 12, "m6"},
    {kStrFirstChordType + 13, "(add2)"},
    {kStrFirstChordType + 14, "m7-5"},
    {kStrFirstChordType + 15, "9-5"},
    {kStrOpenInAnotherProcess, " is already open in another process."},
    {kStrPagePosition, "Page position"},
    {kStrScrollToMeasure, "Scroll to measure"},
    {kStrOutOfRange, "Out of range"},
    {kStrInches, "Inches"},
    {kStrCentimeters, "Centimeters"},
    {new_manuscript_dialog::kStrTemplateFilter, " Template (*.tpl)~*.tpl~~"},
    {kStrPickListNotFound, " (not found)"},
    {kStrPickListNotMounted, " (not mounted)"},
    // The MIDI outputs at start.
    {kStrMidiDevices, "MIDI devices"},
    {kStrNoMidiDevices, " No MIDI devices"},
    // The formatting modes in the status bar.
    {kStrAbsoluteFormatting, "Absolute formatting"},
    {kStrRelativeFormatting, "Relative formatting"},
    // The palette windows' titles.
    {kStrMainPaletteTitle, "Main"},
    {kStrFirstToolPaletteTitle + 0, "Staff Tools"},
    {kStrFirstToolPaletteTitle + 1, "Notes"},
    {kStrFirstToolPaletteTitle + 2, "Graphics"},
    {kStrFirstToolPaletteTitle + 3, "Text & Symbols"},
    {kStrFirstToolPaletteTitle + 4, "Performance"},
    {kStrFirstToolPaletteTitle + 5, "Dynamics"},
    {kStrFirstToolPaletteTitle + 6, "Heads"},
    {kStrFirstToolPaletteTitle + 7, "Accents"},
    {kStrFirstToolPaletteTitle + 8, "Ornaments"},
    // The page band's arrows ("Previous Page" is the toolbar tips' string).
    {kStrNextPageArrow, "Next Page"},
    // The main bar's button labels, by image.
    {kStrFirstBandLabel + 0, "New"},
    {kStrFirstBandLabel + 1, "Open"},
    {kStrFirstBandLabel + 2, "Save"},
    {kStrFirstBandLabel + 3, "Print"},
    {kStrFirstBandLabel + 4, "Undo"},
    {kStrFirstBandLabel + 5, "Redo"},
    {kStrFirstBandLabel + 6, "Cut"},
    {kStrFirstBandLabel + 7, "Copy"},
    {kStrFirstBandLabel + 8, "Paste"},
    {kStrFirstBandLabel + 9, "Clear"},
    {kStrFirstBandLabel + 10, "Play"},
    {kStrFirstBandLabel + 11, "Record"},
    {kStrFirstBandLabel + 12, "Stop"},
    {kStrFirstBandLabel + 13, "Pause"},
    {kStrFirstBandLabel + 14, "Scroll"},
    {kStrFirstBandLabel + 15, "Page"},
    {kStrFirstBandLabel + 16, "Ruler"},
    {kStrFirstBandLabel + 17, "Margins"},
    {kStrFirstBandLabel + 18, "Hidden"},
    {kStrFirstBandLabel + 19, "Layout"},
    {kStrFirstBandLabel + 20, "View"},
    {kStrFirstBandLabel + 21, "Next"},
    {kStrFirstBandLabel + 22, "Tile"},
    {kStrFirstBandLabel + 23, "Stack"},
    {kStrFirstBandLabel + 24, "Voice 1"},
    {kStrFirstBandLabel + 25, "Voice 2"},
    {kStrFirstBandLabel + 26, "Voice 3"},
    {kStrFirstBandLabel + 27, "Voice 4"},
    {kStrFirstBandLabel + 28, "Previous"},
    {kStrFirstBandLabel + 29, "Next"},
    {kStrFirstBandLabel + 30, "First"},
    {kStrFirstBandLabel + 31, "Last"},
    {kStrFirstBandLabel + 32, "Head"},
    {kStrFirstBandLabel + 33, "Flip"},
    {kStrFirstBandLabel + 34, "Staccato"},
    {kStrFirstBandLabel + 35, "Legato"},
    {kStrFirstBandLabel + 36, "Rest"},
    {kStrFirstBandLabel + 37, "Larger"},
    {kStrFirstBandLabel + 38, "Smaller"},
    {kStrFirstBandLabel + 39, "Bold"},
    {kStrFirstBandLabel + 40, "Italic"},
    {kStrFirstBandLabel + 41, "Underline"},
    {kStrFirstBandLabel + 42, "Gray"},
    // General MIDI program names, by program number.
    {kStrFirstPatchName + 0, "Acoustic Grand Piano"},
    {kStrFirstPatchName + 1, "Bright Acoustic Piano"},
    {kStrFirstPatchName + 2, "Electric Grand Piano"},
    {kStrFirstPatchName + 3, "Honky-tonk Piano"},
    {kStrFirstPatchName + 4, "Electric Piano 1"},
    {kStrFirstPatchName + 5, "Electric Piano 2"},
    {kStrFirstPatchName + 6, "Harpsichord"},
    {kStrFirstPatchName + 7, "Clavi"},
    {kStrFirstPatchName + 8, "Celesta"},
    {kStrFirstPatchName + 9, "Glockenspiel"},
    {kStrFirstPatchName + 10, "Music Box"},
    {kStrFirstPatchName + 11, "Vibraphone"},
    {kStrFirstPatchName + 12, "Marimba"},
    {kStrFirstPatchName + 13, "Xylophone"},
    {kStrFirstPatchName + 14, "Tubular Bells"},
    {kStrFirstPatchName + 15, "Dulcimer"},
    {kStrFirstPatchName + 16, "Drawbar Organ"},
    {kStrFirstPatchName + 17, "Percussive Organ"},
    {kStrFirstPatchName + 18, "Rock Organ"},
    {kStrFirstPatchName + 19, "Church Organ"},
    {kStrFirstPatchName + 20, "Reed Organ"},
    {kStrFirstPatchName + 21, "Accordion"},
    {kStrFirstPatchName + 22, "Harmonica"},
    {kStrFirstPatchName + 23, "Tango Accordion"},
    {kStrFirstPatchName + 24, "Acoustic Guitar (nylon)"},
    {kStrFirstPatchName + 25, "Acoustic Guitar (steel)"},
    {kStrFirstPatchName + 26, "Electric Guitar (jazz)"},
    {kStrFirstPatchName + 27, "Electric Guitar (clean)"},
    {kStrFirstPatchName + 28, "Electric Guitar (muted)"},
    {kStrFirstPatchName + 29, "Overdriven Guitar"},
    {kStrFirstPatchName + 30, "Distortion Guitar"},
    {kStrFirstPatchName + 31, "Guitar harmonics"},
    {kStrFirstPatchName + 32, "Acoustic Bass"},
    {kStrFirstPatchName + 33, "Electric Bass (finger)"},
    {kStrFirstPatchName + 34, "Electric Bass (pick)"},
    {kStrFirstPatchName + 35, "Fretless Bass"},
    {kStrFirstPatchName + 36, "Slap Bass 1"},
    {kStrFirstPatchName + 37, "Slap Bass 2"},
    {kStrFirstPatchName + 38, "Synth Bass 1"},
    {kStrFirstPatchName + 39, "Synth Bass 2"},
    {kStrFirstPatchName + 40, "Violin"},
    {kStrFirstPatchName + 41, "Viola"},
    {kStrFirstPatchName + 42, "Cello"},
    {kStrFirstPatchName + 43, "Contrabass"},
    {kStrFirstPatchName + 44, "Tremolo Strings"},
    {kStrFirstPatchName + 45, "Pizzicato Strings"},
    {kStrFirstPatchName + 46, "Orchestral Harp"},
    {kStrFirstPatchName + 47, "Timpani"},
    {kStrFirstPatchName + 48, "String Ensemble 1"},
    {kStrFirstPatchName + 49, "String Ensemble 2"},
    {kStrFirstPatchName + 50, "SynthStrings 1"},
    {kStrFirstPatchName + 51, "SynthStrings 2"},
    {kStrFirstPatchName + 52, "Choir Aahs"},
    {kStrFirstPatchName + 53, "Voice Oohs"},
    {kStrFirstPatchName + 54, "Synth Voice"},
    {kStrFirstPatchName + 55, "Orchestra Hit"},
    {kStrFirstPatchName + 56, "Trumpet"},
    {kStrFirstPatchName + 57, "Trombone"},
    {kStrFirstPatchName + 58, "Tuba"},
    {kStrFirstPatchName + 59, "Muted Trumpet"},
    {kStrFirstPatchName + 60, "French Horn"},
    {kStrFirstPatchName + 61, "Brass Section"},
    {kStrFirstPatchName + 62, "SynthBrass 1"},
    {kStrFirstPatchName + 63, "SynthBrass 2"},
    {kStrFirstPatchName + 64, "Soprano Sax"},
    {kStrFirstPatchName + 65, "Alto Sax"},
    {kStrFirstPatchName + 66, "Tenor Sax"},
    {kStrFirstPatchName + 67, "Baritone Sax"},
    {kStrFirstPatchName + 68, "Oboe"},
    {kStrFirstPatchName + 69, "English Horn"},
    {kStrFirstPatchName + 70, "Bassoon"},
    {kStrFirstPatchName + 71, "Clarinet"},
    {kStrFirstPatchName + 72, "Piccolo"},
    {kStrFirstPatchName + 73, "Flute"},
    {kStrFirstPatchName + 74, "Recorder"},
    {kStrFirstPatchName + 75, "Pan Flute"},
    {kStrFirstPatchName + 76, "Blown Bottle"},
    {kStrFirstPatchName + 77, "Shakuhachi"},
    {kStrFirstPatchName + 78, "Whistle"},
    {kStrFirstPatchName + 79, "Ocarina"},
    {kStrFirstPatchName + 80, "Lead 1 (square)"},
    {kStrFirstPatchName + 81, "Lead 2 (sawtooth)"},
    {kStrFirstPatchName + 82, "Lead 3 (calliope)"},
    {kStrFirstPatchName + 83, "Lead 4 (chiff)"},
    {kStrFirstPatchName + 84, "Lead 5 (charang)"},
    {kStrFirstPatchName + 85, "Lead 6 (voice)"},
    {kStrFirstPatchName + 86, "Lead 7 (fifths)"},
    {kStrFirstPatchName + 87, "Lead 8 (bass + lead)"},
    {kStrFirstPatchName + 88, "Pad 1 (new age)"},
    {kStrFirstPatchName + 89, "Pad 2 (warm)"},
    {kStrFirstPatchName + 90, "Pad 3 (polysynth)"},
    {kStrFirstPatchName + 91, "Pad 4 (choir)"},
    {kStrFirstPatchName + 92, "Pad 5 (bowed)"},
    {kStrFirstPatchName + 93, "Pad 6 (metallic)"},
    {kStrFirstPatchName + 94, "Pad 7 (halo)"},
    {kStrFirstPatchName + 95, "Pad 8 (sweep)"},
    {kStrFirstPatchName + 96, "FX 1 (rain)"},
    {kStrFirstPatchName + 97, "FX 2 (soundtrack)"},
    {kStrFirstPatchName + 98, "FX 3 (crystal)"},
    {kStrFirstPatchName + 99, "FX 4 (atmosphere)"},
    {kStrFirstPatchName + 100, "FX 5 (brightness)"},
    {kStrFirstPatchName + 101, "FX 6 (goblins)"},
    {kStrFirstPatchName + 102, "FX 7 (echoes)"},
    {kStrFirstPatchName + 103, "FX 8 (sci-fi)"},
    {kStrFirstPatchName + 104, "Sitar"},
    {kStrFirstPatchName + 105, "Banjo"},
    {kStrFirstPatchName + 106, "Shamisen"},
    {kStrFirstPatchName + 107, "Koto"},
    {kStrFirstPatchName + 108, "Kalimba"},
    {kStrFirstPatchName + 109, "Bag pipe"},
    {kStrFirstPatchName + 110, "Fiddle"},
    {kStrFirstPatchName + 111, "Shanai"},
    {kStrFirstPatchName + 112, "Tinkle Bell"},
    {kStrFirstPatchName + 113, "Agogo"},
    {kStrFirstPatchName + 114, "Steel Drums"},
    {kStrFirstPatchName + 115, "Woodblock"},
    {kStrFirstPatchName + 116, "Taiko Drum"},
    {kStrFirstPatchName + 117, "Melodic Tom"},
    {kStrFirstPatchName + 118, "Synth Drum"},
    {kStrFirstPatchName + 119, "Reverse Cymbal"},
    {kStrFirstPatchName + 120, "Guitar Fret Noise"},
    {kStrFirstPatchName + 121, "Breath Noise"},
    {kStrFirstPatchName + 122, "Seashore"},
    {kStrFirstPatchName + 123, "Bird Tweet"},
    {kStrFirstPatchName + 124, "Telephone Ring"},
    {kStrFirstPatchName + 125, "Helicopter"},
    {kStrFirstPatchName + 126, "Applause"},
    {kStrFirstPatchName + 127, "Gunshot"},
};

}  // namespace

std::span<const ProgramStringEntry> ProgramStringTable() {
    return kProgramStrings;
}

const char* BuiltInProgramString(int32_t id) {
    // The table in id order, made once; an id listed twice keeps its first text.
    auto byIdOrder = [](const ProgramStringEntry& a, const ProgramStringEntry& b) {
        return a.id < b.id;
    };
    static const std::vector<ProgramStringEntry> byId = [&] {
        std::vector<ProgramStringEntry> entries(std::begin(kProgramStrings),
                                                std::end(kProgramStrings));
        std::stable_sort(entries.begin(), entries.end(), byIdOrder);
        return entries;
    }();
    const auto found = std::lower_bound(byId.begin(), byId.end(), ProgramStringEntry{id, nullptr},
                                        byIdOrder);
    return found != byId.end() && found->id == id ? found->text : nullptr;
}

void AddProgramStrings(sys::ResourceBundle& bundle) {
    for (const ProgramStringEntry& entry : kProgramStrings)
        bundle.strings.emplace(entry.id, entry.text);
}

void RegisterProgramStrings() {
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    AddProgramStrings(*bundle);
    sys::SetProgramBundle(std::move(bundle));
}

}  // namespace ql
