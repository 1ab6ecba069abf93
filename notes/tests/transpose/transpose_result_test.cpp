// What the transposers and the respelling write, byte for byte: a varied staff (two voices,
// chords with seconds, beamed eighths, tie continuations, a clef and a key change inside
// measures, all five codes) is put through a fixed sequence of transpositions and a change of
// key keeping the pitches, and after each one a fingerprint of every note (position, code, tied
// accidental, stem direction and length, beam links, head side, flags) and of every note's
// Accidental (glyph, offset) is compared with the one the program has always given. A change of
// how the walk, the respelling or the restemming is organised must not change any of them.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/respell/respell.h"
#include "notes/tests/pitch/pitch_fixture.h"
#include "notes/transpose/transpose.h"

namespace ql::testing_pitch {
namespace {

constexpr int kMeasures = 8;
constexpr int kSlots = 8;  // eighths per measure
constexpr int kEighth = 9;
constexpr int kQuarter = 10;
constexpr int kEighthTicks = 512;
constexpr int kQuarterTicks = 1024;
constexpr int kTieEnd = 0x0010;

// FNV-1a over the values fed to it.
class Fingerprint {
  public:
    void Add(int value) {
        for (int byte = 0; byte < 4; ++byte) {
            hash_ ^= static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * byte));
            hash_ *= 0x100000001b3ull;
        }
    }
    uint64_t value() const { return hash_; }

  private:
    uint64_t hash_ = 0xcbf29ce484222325ull;
};

class TransposeResultTest : public PitchScoreTest {
  protected:
    void SetUp() override {
        PitchScoreTest::SetUp();
        ASSERT_EQ(InitStaticPoolSet(), 1);  // beam trees of the restemming
        RegisterAccidentalClass();
    }

    EventRecord* Add(MeasureCell* cell, int voice, int time, int duration, int position, int code) {
        EventRecord* note =
            AddEventToVoice(view_, cell, voice, static_cast<uint16_t>(time),
                            static_cast<uint8_t>(duration), static_cast<uint8_t>(position));
        EXPECT_NE(note, nullptr);
        if (note != nullptr) SetNoteAccidentalCode(*note, code);
        return note;
    }

    // Voice 0: eighths, every third a chord (a second or a third), pairs beamed in
    // the even measures, now and then a tie continuation of the note before. Voice 1
    // in every third measure: quarters low on the staff.
    void Build() {
        std::mt19937 random(2165);
        const int clefs[2] = {CodeOf(ClefKind::Treble), CodeOf(ClefKind::Bass)};
        const int keys[4] = {CodeOf(KeyCode::C), CodeOf(KeyCode::G), CodeOf(KeyCode::F),
                             CodeOf(KeyCode::D)};
        for (int m = 1; m <= kMeasures; ++m) {
            MeasureCell* cell = CellWith(clefs[m % 5 == 0], keys[m % 4], m);
            std::vector<EventRecord*> heads;
            int lastPosition = 0;
            for (int slot = 0; slot < kSlots; ++slot) {
                const int time = slot * kEighthTicks;
                const bool tie = slot > 0 && random() % 7 == 0;
                const int position = tie ? lastPosition : static_cast<int>(random() % 14) - 10;
                EventRecord* note =
                    Add(cell, 0, time, kEighth, position, tie ? 0 : static_cast<int>(random() % 6));
                if (tie) {
                    note->word2 = static_cast<uint16_t>(note->word2 | kTieEnd);
                    SetNoteTiedAccidental(*note, static_cast<int>(random() % 3));
                }
                if (slot % 3 == 1)
                    Add(cell, 0, time, kEighth, position - 1 - static_cast<int>(random() % 2),
                        static_cast<int>(random() % 6));
                heads.push_back(GetFirstEventOfChord(note));
                lastPosition = position;
            }
            if (m % 2 == 0)
                for (int slot = 0; slot + 1 < kSlots; slot += 2) {
                    heads[slot]->beamNext = HandleOfEvent(heads[slot + 1]);
                    heads[slot + 1]->beamPrev = HandleOfEvent(heads[slot]);
                }
            if (m % 3 == 0)
                for (int beat = 0; beat < 4; ++beat)
                    Add(cell, 1, beat * kQuarterTicks, kQuarter, static_cast<int>(random() % 5) + 1,
                        static_cast<int>(random() % 6));
        }
        AddClefChange(GetOrCreateMeasureCell(Staff(1), doc_, 3), CodeOf(ClefKind::Alto),
                      2 * kQuarterTicks);
        AddKeyChange(GetOrCreateMeasureCell(Staff(1), doc_, 4), CodeOf(KeyCode::BFlat),
                     kQuarterTicks);
    }

    uint64_t FingerprintOfStaff() {
        Fingerprint print;
        for (int m = 1; m <= kMeasures; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(Staff(1), doc_, m);
            print.Add(cell->clefKey);
            for (int voice = 0; voice < kVoiceCount; ++voice)
                for (EventRecord* n = GetVoiceFirstEvent(cell, voice); n != nullptr;
                     n = NextEvent(n))
                    AddNote(print, *n);
        }
        return print.value();
    }

    static void AddNote(Fingerprint& print, const EventRecord& n) {
        for (const int value :
             {int(n.time), int(n.step), int(n.flags), int(n.word2), int(n.stemWord),
              int(n.stemLength), int(n.duration), int(n.crossStaffPosition), int(n.beamPrev.bits),
              int(n.beamNext.bits)})
            print.Add(value);
        const ScoreObject* sign = GetEventAttachment(&n);
        print.Add(sign != nullptr);
        if (sign == nullptr) return;
        print.Add(sign->type);
        print.Add(AsTextObject(const_cast<ScoreObject*>(sign))->body.string);
        print.Add(AccidentalOffset(sign));
    }

    TransposeRequest Whole() {
        TransposeRequest request;
        request.staff = 1;
        request.firstMeasure = 1;
        request.lastMeasure = kMeasures + 1;
        return request;
    }
};

// Each step of the sequence, with the fingerprint the staff has after it.
TEST_F(TransposeResultTest, EveryTranspositionWritesWhatItAlwaysHas) {
    Build();
    std::vector<uint64_t> prints;
    prints.push_back(FingerprintOfStaff());

    TransposeRequest up = Whole();  // a major second up into the key two sharps higher
    up.newKey = CodeOf(KeyCode::D);
    up.direction = TransposeDirection::Up;
    TransposeBySemitones(view_, up);
    prints.push_back(FingerprintOfStaff());

    TransposeRequest byKey = Whole();  // degree for degree into F, downwards, an octave up
    byKey.newKey = CodeOf(KeyCode::F);
    byKey.direction = TransposeDirection::Down;
    byKey.semitones = 12;
    TransposeByKey(view_, byKey);
    prints.push_back(FingerprintOfStaff());

    TransposeRequest partial;  // from the middle of measure 2 to the middle of measure 6
    partial.staff = 1;
    partial.firstMeasure = 2;
    partial.firstTick = 3 * kEighthTicks;
    partial.lastMeasure = 6;
    partial.lastTick = 5 * kEighthTicks;
    partial.semitones = 3;
    partial.newClef = CodeOf(ClefKind::Bass);
    partial.clefMode = TransposeClefMode::Transpose;
    partial.voiceMask = 0x1;
    TransposeBySemitones(view_, partial);
    prints.push_back(FingerprintOfStaff());

    TransposeMeasures(view_, kAllVoicesMask, 1, 3, 7, -5);
    prints.push_back(FingerprintOfStaff());

    TransposeSelection(view_, MeasureBlock{1, 1, 1, kMeasures}, 7);
    prints.push_back(FingerprintOfStaff());

    // A change of key keeping the pitches, in every measure: parked, keyed, respelled.
    for (int m = 1; m <= kMeasures; ++m) {
        MeasureCell* cell = GetOrCreateMeasureCell(Staff(1), doc_, m);
        ParkCellPitches(Staff(1), cell);
        const int key = (CellKey(*cell) + 3 * m) % kKeyCodeCount;
        cell->clefKey = static_cast<uint8_t>(CellClef(*cell) | key << kKeyNibbleShift);
        RespellCellFromParkedPitches(view_, cell);
    }
    prints.push_back(FingerprintOfStaff());

    // The fingerprints the program gives, recorded once and reviewed. After the last
    // transposition the staff holds 96 notes, 72 with a sign, 30 stems up, 16 beam
    // links and 10 heads on the far side.
    const std::vector<uint64_t> expected = {
        0x84ee975fb432eb86ull, 0x65d3de1da7535f73ull, 0xe70fa5cd03a5362cull, 0xd990df7feeb79fdfull,
        0x45451bdef05193f9ull, 0xd625d90139b75b36ull, 0x25e2ac063b720c9eull,
    };
    ASSERT_EQ(prints.size(), expected.size());
    for (size_t i = 0; i < prints.size(); ++i)
        EXPECT_EQ(prints[i], expected[i]) << "after step " << i;
}

}  // namespace
}  // namespace ql::testing_pitch
