// Damaged scores fed to the builder, from fixed seeds: voice chains with random
// durations, steps, tuplet bytes, beam links that leave their voice, loops, links
// back to the head, dangling and freed handles, attachments that do not resolve and
// tuplet marks; measures of random lengths (0 and above 32,768 among them), stretch
// factors, barlines, flags, clefs, keys and signatures. Every build must finish,
// keep x rising inside each measure and at or below 32,767, and leave the pools'
// bytes as they were (the scroll view writes only its system's last measure).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_fixture.h"

namespace ql::testing_beatmap {
namespace {

constexpr int kStaves = 4;
constexpr int kMaxChainEvents = 12;
constexpr int kLengthChoices[] = {0, 40000, 4096, 3072, 32768, 65535, 512, 16, 7};

// A tuplet mark class that writes nothing.
class QuietTupletMarks : public ScoreObjectClass {
  public:
    void ResetState(ScoreObject* /*object*/, ScoreView* /*view*/) const override { ++calls; }
    mutable int calls = 0;
};

// The usable bytes of every block of every pool, with the descriptors.
std::vector<std::byte> PoolBytes(const ScoreDocument& document) {
    std::vector<std::byte> bytes;
    for (const RecordPool& pool : document.pools.pools) {
        const auto* descriptor = reinterpret_cast<const std::byte*>(&pool);
        bytes.insert(bytes.end(), descriptor, descriptor + sizeof pool);
        for (int b = 0; b < pool.blockCount; ++b) {
            const std::byte* base = pool.blocks[b].base.get();
            bytes.insert(bytes.end(), base, base + (size_t{pool.blocks[b].capacity} << pool.shift));
        }
    }
    return bytes;
}

class DamagedScoreTest : public BeatMapTest, public ::testing::WithParamInterface<uint32_t> {
  protected:
    void SetUp() override {
        BeatMapTest::SetUp();
        BuildScore(kStaves, {3, 2}, 4);
        RegisterObjectClass(ClassOfType(ObjectType::Tuplet), &marks_);
        random_.seed(GetParam());
    }

    int Random(int below) { return static_cast<int>(random_() % static_cast<uint32_t>(below)); }
    RecordHandle AnyHandle() {
        switch (Random(4)) {
            case 0:
                return RecordHandle{static_cast<uint16_t>(random_())};  // garbage
            case 1:
                return freed_.empty() ? RecordHandle{}
                                      : freed_[Random(static_cast<int>(freed_.size()))];
            default:
                return events_.empty()
                           ? RecordHandle{}
                           : HandleOfEvent(events_[Random(static_cast<int>(events_.size()))]);
        }
    }

    void DamageMeasures() {
        for (int m = 0; m <= doc_->header.measureCount + 4; ++m) {
            MeasureRecord& record = Record(m);
            record.lengthTicks = static_cast<uint16_t>(
                Random(3) == 0 ? kLengthChoices[Random(std::size(kLengthChoices))]
                               : 16 * (1 + Random(2048)));
            record.stretch = static_cast<uint16_t>(Random(4) == 0 ? random_() : 256 + Random(4000));
            record.barline = static_cast<uint8_t>(random_());
            record.flags = static_cast<uint8_t>(Random(3) == 0 ? random_() : 0);
            record.lead = static_cast<int16_t>(Random(600));
            record.trail = static_cast<int16_t>(Random(600));
            if (Random(8) == 0) record.spacing = RecordHandle{static_cast<uint16_t>(random_())};
            for (int s = 0; s <= kStaves; ++s) {
                MeasureCell* cell = Cell(s, m);
                cell->clefKey = static_cast<uint8_t>(Random(3) == 0 ? random_() : cell->clefKey);
                cell->beats = static_cast<uint8_t>(Random(4) == 0 ? random_() : cell->beats);
                cell->beatUnit = static_cast<uint8_t>(Random(4) == 0 ? random_() : cell->beatUnit);
            }
        }
    }

    EventRecord* RandomEvent() {
        EventRecord* event = AllocEvent(sizeof(EventRecord));
        if (event == nullptr) return nullptr;
        for (size_t i = 0; i < sizeof(EventRecord); ++i)
            reinterpret_cast<uint8_t*>(event)[i] = static_cast<uint8_t>(random_());
        event->attachment = RecordHandle{};
        if (Random(20) == 0) {
            event->step = kSentinelStep;  // looks like a head in the middle of a chain
            event->time = kSentinelTime;
        }
        return event;
    }

    void Attach(EventRecord* event) {
        const int choice = Random(10);
        if (choice == 0) event->attachment = RecordHandle{static_cast<uint16_t>(random_())};
        if (choice != 1) return;
        auto* mark = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
        if (mark == nullptr) return;
        ConstructTextObject(mark);
        mark->header.classId = ClassOfType(ObjectType::Tuplet);
        mark->header.type = TypeCode(ObjectType::Tuplet);
        mark->body.flags = static_cast<uint16_t>(random_());
        event->attachment = PtrToHandle(kTextObjectPool, mark);
    }

    // A chain of random events behind the voice's head, with links of every kind.
    void DamageVoice(MeasureCell* cell, int voice) {
        EventRecord* head = GetOrCreateVoiceChain(cell, doc_, voice);
        std::vector<EventRecord*> chain;
        for (int i = Random(kMaxChainEvents); i > 0; --i)
            if (EventRecord* event = RandomEvent()) chain.push_back(event);
        for (size_t i = 0; i < chain.size(); ++i) {
            const int kind = Random(10);
            chain[i]->next =
                kind < 6   ? (i + 1 < chain.size() ? HandleOfEvent(chain[i + 1]) : RecordHandle{})
                : kind < 9 ? AnyHandle()
                           : HandleOfEvent(head);
            chain[i]->prev =
                Random(2) == 0 ? HandleOfEvent(i == 0 ? head : chain[i - 1]) : AnyHandle();
            chain[i]->beamPrev = Random(3) == 0 ? AnyHandle() : RecordHandle{};
            chain[i]->beamNext = Random(3) == 0 ? AnyHandle() : RecordHandle{};
            Attach(chain[i]);
            events_.push_back(chain[i]);
        }
        head->next = chain.empty()     ? RecordHandle{}
                     : Random(10) == 0 ? AnyHandle()
                                       : HandleOfEvent(chain[0]);
        if (Random(6) == 0 && !chain.empty()) {  // a freed record left linked
            freed_.push_back(HandleOfEvent(chain.back()));
            FreeEvent(chain.back());
            events_.pop_back();
        }
    }

    void DamageScore() {
        DamageMeasures();
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= doc_->header.measureCount + 4; ++m)
                for (int voice = 0; voice < kVoiceCount; ++voice)
                    if (Random(2) == 0) DamageVoice(Cell(s, m), voice);
    }

    // x rises (or stays) with ticks in every slot with measures of its own, and no
    // position passes 32,767.
    void ExpectRisingX(const ScoreSystem* system, const char* where) {
        const int own = std::min(system->lastMeasure - system->firstMeasure + 1, kLastBeatMapSlot);
        for (int slot = 1; slot <= own; ++slot) {
            const std::vector<int> ticks = Ticks(system, slot);
            EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end())) << where << " slot " << slot;
            for (int x : ticks) EXPECT_LE(x, kMaxBeatMapX) << where << " slot " << slot;
        }
        for (int slot = 1; slot <= kLastBeatMapSlot; ++slot)
            EXPECT_LE(Map().contentX[BeatMapCell(system->number, slot)], kMaxBeatMapX) << where;
    }

    void BuildEveryPage() {
        for (int page = 0; page < 2; ++page) {
            ShowSystem(page, 0);
            UpdateBeatMaps(view_, 1);
            for (ScoreSystem* system = Page(page)->firstSystem.get(); system != nullptr;
                 system = system->next.get()) {
                view_->currentSystem = system;
                for (int slot = 1; slot <= kBeatMapSlots; ++slot) BuildBeatMapSlot(view_, slot);
                ExpectRisingX(system, "page view");
            }
        }
    }

    std::mt19937 random_;
    std::vector<EventRecord*> events_;
    std::vector<RecordHandle> freed_;
    QuietTupletMarks marks_;
};

TEST_P(DamagedScoreTest, BuildsWriteOnlyTheMapAndKeepXRising) {
    DamageScore();
    const std::vector<std::byte> before = PoolBytes(*doc_);
    BuildEveryPage();
    EXPECT_TRUE(PoolBytes(*doc_) == before) << "a page-view build wrote into the pools";

    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    view_->pageView = 0;
    view_->visibleRect = gfx::Rect{kLogicalOrigin, kLogicalOrigin, kMaxBeatMapX, 0};
    UpdateBeatMaps(view_, 1);  // sets the scroll system's last measure
    const std::vector<std::byte> scrolled = PoolBytes(*doc_);
    UpdateBeatMaps(view_, 1);
    EXPECT_TRUE(PoolBytes(*doc_) == scrolled) << "a scroll-view build wrote into the pools";
    ExpectRisingX(view_->galleySystem, "scroll view");
    EXPECT_GT(marks_.calls, 0) << "no tuplet mark was reached";
}

INSTANTIATE_TEST_SUITE_P(FixedSeeds, DamagedScoreTest,
                         ::testing::Values(1u, 2u, 3u, 17u, 42u, 99u, 1234u, 4242u, 65535u,
                                           271828u));

}  // namespace
}  // namespace ql::testing_beatmap
