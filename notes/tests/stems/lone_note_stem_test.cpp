// The one-pass stem of a lone note against the chord path it stands in for (repair,
// tally, rule, direction, seconds, links, length): random notes with fixed seeds (every
// DurationCode, dots, hidden heads, size classes, stale second and far-side marks, beam
// links), under every stem mode, a kept direction, shown voices and staves of 0 to 5
// lines, after a chord stemmed either way. Both must write the same bytes.
#include <cstring>
#include <random>

#include "notes/stems/stems_internal.h"
#include "notes/tests/stems/stems_fixture.h"

namespace ql::testing_stems {
namespace {

constexpr int kSeeds = 12;
constexpr int kNotesPerSeed = 200;
constexpr uint16_t kSizeClassBits = 0x0030;

// What StemLoneNote stands in for: StemSingleChord's steps on any chord.
int StemByChordPath(const stems::StemRule& rule, ScoreView* view, const stems::VoiceChords& voice,
                    int chord) {
    stems::RepairShortDurations(voice, chord);
    stems::StemTally tally;
    stems::TallyChord(view, voice, chord, tally);
    const int up = rule.Choose(tally, voice.DirectionBefore(chord));
    stems::SetUpSingleChordStem(voice, chord, up);
    return up;
}

class LoneNoteStem : public StemsTest {
  protected:
    void Settings(std::mt19937& random) {
        const uint8_t modes[] = {kStemsFloat, kStemsUp, kStemsDown};
        NotesGlobals& notes = State().notes;
        notes.StemMode = modes[random() % 3];
        notes.KeepStemDirection = random() % 4 == 0 ? 1 : 0;
        notes.KeptStemDirection = random() % 2;
        view_->voiceDisplayMask = random() % 4 == 0 ? 0x02 : 0;
        view_->voiceMask = random() % 2 == 0 ? 0x01 : 0x04;
        SetStaffLines(static_cast<int>(random() % 6));
    }
    static void Scramble(EventRecord& note, std::mt19937& random) {
        note.duration = static_cast<uint8_t>(random() % 13);
        note.word2 = static_cast<uint16_t>(random());
        note.flags = static_cast<uint16_t>((note.flags & ~kSizeClassBits) | (random() & kSizeClassBits));
        note.flags ^= static_cast<uint16_t>(random() & (kEventStemFlag | kEventChordHead));
        note.stemWord = static_cast<uint16_t>(random());
        note.stemLength = static_cast<int16_t>(random());
        note.step = static_cast<uint8_t>(static_cast<int8_t>(static_cast<int>(random() % 33) - 20));
        note.beamPrev = RecordHandle{static_cast<uint16_t>(random() % 3 == 0 ? random() : 0)};
        note.beamNext = RecordHandle{static_cast<uint16_t>(random() % 3 == 0 ? random() : 0)};
    }
};

TEST_F(LoneNoteStem, WritesWhatTheChordPathWrites) {
    EventRecord* before = Note(0, kCodeQuarter, -4);
    EventRecord* note = Note(1024, kCodeQuarter, -4);
    stems::VoiceChords voice(note);
    ASSERT_EQ(voice.ChordCount(), 2);
    ASSERT_EQ(voice.NoteCount(1), 1);
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 random(seed);
        for (int i = 0; i < kNotesPerSeed; ++i) {
            Settings(random);
            before->flags = static_cast<uint16_t>(before->flags ^ (random() & kEventStemFlag));
            Scramble(*note, random);
            const stems::StemRule rule(view_);
            const EventRecord start = *note;
            const int chordUp = StemByChordPath(rule, view_, voice, 1);
            const EventRecord byChord = *note;
            *note = start;
            EXPECT_EQ(stems::StemLoneNote(rule, view_, voice, 1), chordUp);
            ASSERT_EQ(std::memcmp(note, &byChord, sizeof(EventRecord)), 0)
                << "seed " << seed << " note " << i << " duration " << int(start.duration)
                << " step " << int(static_cast<int8_t>(start.step));
        }
    }
}

}  // namespace
}  // namespace ql::testing_stems
