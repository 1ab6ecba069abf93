// Damaged voices fed to every stem and beam operation, with fixed seeds: random
// values, steps, tuplets and flags; beam links to anything (other voices, other
// cells, freed records, sentinels, chord members, themselves, random bits); chains
// with loops, cuts, dangling links and times out of order. Each operation must end,
// leave no beam node behind, and write nothing but the damaged voice's own events:
// their chain links, times and steps stay, and every other byte of the document's
// pools (other voices and cells, sentinels, freed records) is unchanged.
//
// Chain links are only damaged within the voice or towards records that are not
// live: a forward chain link into another voice would make that voice's events part
// of this chain, so they would be the chain's own.
#include <cstring>
#include <random>

#include "core/objects/score_object.h"
#include "notes/stems/stems.h"
#include "notes/tests/stems/stems_fixture.h"

namespace ql::testing_stems {
namespace {

constexpr int kSeeds = 40;
constexpr int kOperationsPerSeed = 80;
constexpr int kMaxChords = 14;
constexpr RecordHandle kPastThePool{0x7C01};  // a block the pool never had
constexpr RecordHandle kNotADocumentHandle{0x8123};

// Bytes of a record, to compare before and after.
struct Saved {
    const void* at;
    std::vector<uint8_t> bytes;
};

Saved Save(const void* at, size_t size) {
    const auto* p = static_cast<const uint8_t*>(at);
    return Saved{at, std::vector<uint8_t>(p, p + size)};
}

bool Unchanged(const Saved& saved) {
    return std::memcmp(saved.at, saved.bytes.data(), saved.bytes.size()) == 0;
}

// The fields no stem or beam operation may change.
struct ChainFields {
    RecordHandle prev, next;
    uint16_t time;
    uint8_t step, tupletKind, tupletRatio, outerRatio;
};

ChainFields FieldsOf(const EventRecord& e) {
    return {e.prev, e.next, e.time, e.step, e.tupletKind, e.tupletRatio, e.outerRatio};
}

bool operator==(const ChainFields& a, const ChainFields& b) {
    return a.prev == b.prev && a.next == b.next && a.time == b.time && a.step == b.step &&
           a.tupletKind == b.tupletKind && a.tupletRatio == b.tupletRatio &&
           a.outerRatio == b.outerRatio;
}

class DamagedChains : public StemsTest, public ::testing::WithParamInterface<int> {
  protected:
    int Random(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    template <typename T>
    T Pick(const std::vector<T>& v) { return v[Random(0, static_cast<int>(v.size()) - 1)]; }

    // Beamed eighths in voice 2 of the damaged cell and in voice 1 of another cell.
    void BuildBystanders() {
        std::vector<EventRecord*> sameCell, otherCell;
        for (int i = 0; i < 4; ++i) sameCell.push_back(Note(1, i * 512, kCodeEighth, -2));
        Beam(sameCell);
        MeasureCell* damaged = cell_;
        UseCell(1, 2);
        for (int i = 0; i < 4; ++i) otherCell.push_back(Note(0, i * 512, kCodeEighth, 1));
        Beam(otherCell);
        cell_ = damaged;
        view_->currentCell = damaged;
        sameCell_ = sameCell;
        otherCell_ = otherCell;
    }

    // The voice to damage: chords of random values, steps, tuplets and flags.
    void BuildVoice() {
        voice_.clear();
        int time = 0;
        const int chords = Random(1, kMaxChords);
        for (int c = 0; c < chords; ++c) {
            const int notes = Random(1, 3);
            for (int n = 0; n < notes; ++n) {
                EventRecord* note = Note(0, time, Random(0, 15), Random(-20, 20));
                if (note == nullptr) continue;
                note->tupletKind = static_cast<uint8_t>(Random(0, 3) == 0 ? Random(1, 2) : 0);
                note->tupletRatio = static_cast<uint8_t>(Random(0, 255));
                note->outerRatio = static_cast<uint8_t>(Random(0, 4) == 0 ? Random(0, 255) : 0);
                note->word2 = static_cast<uint16_t>(Random(0, 0xFFFF));
                note->flags = static_cast<uint16_t>(note->flags ^ Random(0, 0xFFFE));
                voice_.push_back(note);
            }
            time += Random(0, 3) == 0 ? 0 : Random(16, 1024);
        }
        // Two records freed after linking: dangling handles.
        freed_.clear();
        for (int i = 0; i < 2; ++i) {
            EventRecord* gone = Note(0, time + 16 * i, kCodeEighth, 0);
            freed_.push_back(HandleOfEvent(gone));
            UnlinkEvent(gone, doc_);
            FreeEvent(gone);
        }
    }

    RecordHandle AnyHandle() {
        switch (Random(0, 9)) {
            case 0: return RecordHandle{};
            case 1: return HandleOfEvent(Pick(voice_));
            case 2: return HandleOfEvent(Pick(sameCell_));
            case 3: return HandleOfEvent(Pick(otherCell_));
            case 4: return Pick(freed_);
            case 5: return cell_->voices[0];
            case 6: return kPastThePool;
            case 7: return RecordHandle{static_cast<uint16_t>(Random(0, 0xFFFF))};
            default: return RecordHandle{};  // keep some links as they were made
        }
    }

    // Handles that name no other voice's live record.
    RecordHandle ChainHandle() {
        switch (Random(0, 4)) {
            case 0: return HandleOfEvent(Pick(voice_));
            case 1: return Pick(freed_);
            case 2: return kPastThePool;
            case 3: return kNotADocumentHandle;
            default: return RecordHandle{};
        }
    }

    void Damage() {
        // Plausible groups first, then random links over them.
        for (size_t i = 0; i + 1 < voice_.size(); ++i) {
            if (Random(0, 1) == 0) continue;
            voice_[i]->beamNext = HandleOfEvent(voice_[i + 1]);
            voice_[i + 1]->beamPrev = HandleOfEvent(voice_[i]);
        }
        for (EventRecord* note : voice_) {
            if (Random(0, 2) == 0) note->beamPrev = AnyHandle();
            if (Random(0, 2) == 0) note->beamNext = AnyHandle();
            if (Random(0, 6) == 0) note->next = ChainHandle();
            if (Random(0, 6) == 0) note->prev = Random(0, 1) ? ChainHandle() : AnyHandle();
            if (Random(0, 9) == 0) note->time = static_cast<uint16_t>(Random(0, 5000));
        }
    }

    // Every byte of the document's pools, and the fields of the voice's own events
    // that must stay.
    void SaveBystanders() {
        saved_.clear();
        for (int pool = 0; pool < kDocumentPoolCount; ++pool) {
            const RecordPool& descriptor = doc_->pools.pools[pool];
            for (int block = 0; block < descriptor.blockCount; ++block)
                saved_.push_back(Save(descriptor.blocks[block].base.get(),
                                      BlockLiveBytes(descriptor, block)));
        }
        chainFields_.clear();
        for (EventRecord* e : voice_) chainFields_.push_back(FieldsOf(*e));
    }

    // True when the byte at `at` lies in one of the voice's own events.
    bool IsVoiceByte(const uint8_t* at) const {
        for (const EventRecord* e : voice_) {
            const auto* start = reinterpret_cast<const uint8_t*>(e);
            if (at >= start && at < start + sizeof(EventRecord)) return true;
        }
        return false;
    }

    void ExpectOnlyTheVoiceWritten(int seed, int step) {
        for (const Saved& block : saved_) {
            if (Unchanged(block)) continue;
            const auto* bytes = static_cast<const uint8_t*>(block.at);
            for (size_t i = 0; i < block.bytes.size(); ++i) {
                if (bytes[i] == block.bytes[i] || IsVoiceByte(bytes + i)) continue;
                FAIL() << "seed " << seed << " op " << step << ": a byte outside the voice changed";
            }
        }
        for (size_t i = 0; i < voice_.size(); ++i)
            ASSERT_TRUE(FieldsOf(*voice_[i]) == chainFields_[i]) << "seed " << seed << " op " << step;
        ASSERT_EQ(LiveScratchNodes(), 0) << "seed " << seed << " op " << step;
    }

    EventRecord* AnyEvent() {
        if (Random(0, 15) == 0) return static_cast<EventRecord*>(HandleToPtr(kEventRecordPool, Pick(freed_)));
        if (Random(0, 15) == 0) return nullptr;
        return Pick(voice_);
    }

    void RunOperation(int op) {
        EventRecord* a = AnyEvent();
        EventRecord* b = AnyEvent();
        switch (op) {
            case 0: UpdateBeamForNote(view_, a); break;
            case 1: ComputeNoteStemDirection(view_, a); break;
            case 2: {
                BeamNode* root = CollectBeamGroup(view_, a);
                BeamGroupShape shape;
                ComputeGroupStems(view_, root, &shape);
                FreeBeamTree(root);
                break;
            }
            case 3: CanBeamWith(view_, a, b); break;
            case 4: AutoBeamNoteQuiet(view_, a); break;
            case 5: AutoBeamNote(view_, a); break;
            case 6: JoinBeamGroups(view_, a, b); break;
            case 7: BreakBeamGroup(view_, a, b); break;
            case 8: RestemFromEvent(view_, a); break;
            case 9: AutoBeamWithPrevious(view_, a); break;
            default: AutoBeamWithNext(view_, b); break;
        }
    }

    // Random program settings and time signature for this seed.
    void RandomSettings() {
        NotesGlobals& notes = State().notes;
        notes.StemMode = static_cast<uint8_t>(Random(0, 3));
        notes.AutoBeam = static_cast<uint8_t>(Random(0, 4) != 0);
        notes.MaxBeamChords = static_cast<uint8_t>(Random(0, 16));
        notes.KeepStemDirection = static_cast<uint8_t>(Random(0, 5) == 0);
        State().sequencer.TranscriptionActive = static_cast<uint8_t>(Random(0, 3) == 0);
        cell_->beats = static_cast<uint8_t>(Random(0, 4) == 0 ? Random(0, 255) : Random(1, 12));
        cell_->beatUnit = static_cast<uint8_t>(Random(0, 4) == 0 ? Random(0, 255) : Random(7, 12));
        view_->voiceMask = static_cast<uint8_t>(Random(0, 15));
        view_->voiceDisplayMask = static_cast<uint8_t>(Random(0, 1));
    }

    std::mt19937 rng_;
    std::vector<EventRecord*> voice_, sameCell_, otherCell_;
    std::vector<RecordHandle> freed_;
    std::vector<Saved> saved_;
    std::vector<ChainFields> chainFields_;
};

TEST_P(DamagedChains, OperationsEndAndWriteOnlyTheVoice) {
    const int seed = GetParam();
    rng_.seed(static_cast<unsigned>(seed));
    BuildBystanders();
    BuildVoice();
    Damage();
    RandomSettings();
    SaveBystanders();
    for (int step = 0; step < kOperationsPerSeed; ++step) {
        RunOperation(Random(0, 10));
        ExpectOnlyTheVoiceWritten(seed, step);
    }
    // The whole measure: every voice of the damaged cell may change, no other cell.
    const Saved other = Save(otherCell_[0], sizeof(EventRecord));
    RestemMeasureRange(view_, 1, 1, 1, 1);
    EXPECT_TRUE(Unchanged(other));
    EXPECT_EQ(LiveScratchNodes(), 0);
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, DamagedChains, ::testing::Range(1, kSeeds + 1));

}  // namespace
}  // namespace ql::testing_stems
