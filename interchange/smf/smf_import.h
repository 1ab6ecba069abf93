// Standard MIDI File import into the new, empty score of a view: tracks (format 1)
// or channels (format 0) become staves, notes go through the transcription as
// recorded notes do, other channel messages become score objects, and meta events
// set the starting tempo and the time and key signatures and become titles, staff
// labels, texts and tempo marks. The file is the one named
// by the program's import path. Damaged tracks end where they can no longer be read
// ("Invalid MIDI file", once) and the tracks read so far stay; a damaged file of
// which no note could be read is refused. Music after the last measure the score
// can hold is left out, and the user is told how many notes; tracks past the last
// staff it can hold are counted in the import's box.
//
// In a format-1 file the first track is the signature track: its meta events set
// the signatures, tempo and titles for the whole score. A first track that also
// plays notes gets a staff of its own, the first, for its channel messages, and
// the other tracks follow it on the next staves; a plain signature track gets none,
// nor does a track that holds nothing but its end. A track playing on several
// channels has a staff for each (see TrackStaves); a keyboard played with both hands
// on one channel has a second staff for its left hand.
#pragma once

#include <algorithm>
#include <array>
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
// The import's box counts the texts, tempo changes and channel messages that would
// have made marks after the last measure the score can hold, and those it made no
// mark of once the score had no more room for marks (some thousands).
inline constexpr char kMarksPastLastMeasure[] =
    "texts, tempo changes and channel messages after the last measure the score can hold";
inline constexpr char kMarksPastRoom[] = "texts, tempo changes and channel messages past the room the score has for marks";

// Source ticks per quarter of a header division: the division itself, or for the
// SMPTE form (top bit set) frames per second x ticks per frame / 2, as if at 120
// quarters a minute; 0 when the division cannot be used.
int ImportResolution(uint16_t division);

// The "Guess clefs" choice of the import options: the transcription picks each
// staff's clef from its notes.
bool& ImportGuessClefs();

// The staves of a track (format 0: of the file's one track, planned as the first). The signature track (the first) has a staff of
// its own only when it plays a note (a note-on of velocity above 0); every other
// track takes the next staff unless it holds nothing but its end, as a sequencer's
// unused tracks do. A track that plays notes on more than one channel takes a staff
// more for each further channel, in the order the channels first play, so that
// every channel keeps its own sound (drums on channel 10 beside a piano). A channel
// of a keyboard sound (a piano, an organ, a harp, or no program named before its
// first note) played with both hands, one note in ten or more struck below G3 while
// one from middle C up sounds or the other way round, takes the staff after its own
// for its notes below middle C, as a piano's two staves (see PlaysWithBothHands).
inline constexpr int kFileChannels = 16;
inline constexpr uint8_t kHandsSplitKey = 60;  // middle C: the lowest key of the upper staff
struct TrackStaves {
    int first = 0;  // the track's staff (0: none): its meta events and the channels below
    std::array<int, kFileChannels> ofChannel{};  // the staff of a channel's notes; 0: `first`
    std::array<int, kFileChannels> lowerOf{};    // the staff of a channel's notes below middle C; 0: none
    uint16_t playing = 0;                        // the channels that play notes, a bit each
    int last() const {
        return std::max({first, *std::max_element(ofChannel.begin(), ofChannel.end()),
                         *std::max_element(lowerOf.begin(), lowerOf.end())});
    }
};

// What the plan reads of a channel's notes: how many it strikes, how many of them
// it strikes while a note on the other side of middle C sounds, and its program
// before its first note (-1: none).
struct ChannelHands {
    int notes = 0;
    int across = 0;
    int program = -1;
};
// Whether a channel of these notes plays a keyboard with both hands (see above).
bool PlaysWithBothHands(const ChannelHands& hands, int channel);
// The staves of the first `tracks` track chunks. The file is left where it was.
std::vector<TrackStaves> PlanTrackStaves(smf::MidiFileReader& file, int tracks);
// The last staff of a plan (0 for none).
int LastPlannedStaff(const std::vector<TrackStaves>& plan);

// The line of the import's box that counts the tracks' staves (a track, or a further
// channel of one) past the last staff the score can hold.
inline constexpr char kStavesPastLastStaff[] = "tracks and channels past the last staff the score can hold";

SmfImportResult ImportStandardMidiFile(ScoreView* view);

}  // namespace ql
