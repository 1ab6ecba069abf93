// Standard MIDI File import into the new, empty score of a view: tracks (format 1)
// or channels (format 0) become staves, notes go through the transcription as
// recorded notes do, other channel messages become score objects, and meta events
// set the starting tempo and the time and key signatures and become titles, staff
// labels, texts and tempo marks. The file is the one named
// by the program's import path. Damaged tracks end where they can no longer be read
// ("Invalid MIDI file", once) and the tracks read so far stay; a damaged file of
// which no note could be read is refused. Music after the last measure the score
// can hold is left out, and the user is told how many notes.
//
// In a format-1 file the first track is the signature track: its meta events set
// the signatures, tempo and titles for the whole score. A first track that also
// plays notes gets a staff of its own, the first, for its channel messages, and
// the other tracks follow it on the next staves; a plain signature track gets none,
// nor does a track that holds nothing but its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ql {

namespace smf {
struct MidiFileReader;
}

struct ScoreView;

enum class SmfImportResult : uint8_t {
    Imported,   // the score holds the file
    Refused,    // the file could not be imported (the user was told why)
    Cancelled,  // the user cancelled the progress dialog, or the file was too large
};

// The texts of the import, by string id (used as they stand).
inline constexpr char kType2NotSupportedText[] = " Type 2 files are not supported";
inline constexpr char kImportCaptionText[] = "Import from Standard Midi File";
inline constexpr char kImportCancelledText[] = "Import Cancelled";
inline constexpr char kSingleTrackText[] = "Single track";
inline constexpr char kSignatureTrackText[] = "Reading Signature track";
inline constexpr char kFileTooLargeText[] = "MIDI file is too large.";

// Source ticks per quarter of a header division: the division itself, or for the
// SMPTE form (top bit set) frames per second x ticks per frame / 2, as if at 120
// quarters a minute; 0 when the division cannot be used.
int ImportResolution(uint16_t division);

// The "Guess clefs" choice of the import options: the transcription picks each
// staff's clef from its notes.
bool& ImportGuessClefs();

// Format 1: the staff each track's notes go to, by track, for the first `tracks`
// track chunks; 0 for a track that gets no staff. The signature track (the first)
// has a staff of its own only when it plays a note (a note-on of velocity above 0);
// every other track takes the next staff unless it holds nothing but its end, as a
// sequencer's unused tracks do. The file is left where it was.
std::vector<int> TrackStaves(smf::MidiFileReader& file, int tracks);

SmfImportResult ImportStandardMidiFile(ScoreView* view);

}  // namespace ql
