// What the reader normalises and how it reads past a damaged file: beam partners
// that must point into the voice on the right side, spacing lists that must keep
// their invariants, ports beyond the logical ports, systems cut to a row's slots,
// face-name entries and font slots beyond their tables, and the two recoveries
// (labels lost, music lost), after which the score loads marked damaged and its
// next generation is stable.
#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "files/records/file_codes.h"
#include "files/tests/read/read_fixture.h"
#include "files/tests/stream/stream_fixture_objects.h"
#include "objects/curves/curve_objects.h"

namespace ql {
namespace {

using testing_files::ReadTest;
using testing_files::V;
namespace tf = testing_files;

using ByteVec = std::vector<uint8_t>;

constexpr size_t kBeamPrevAt = 24;
constexpr size_t kBeamNextAt = 26;
constexpr size_t kDurationAt = 18;
constexpr size_t kPortByteAt = 6;

class ReadRules : public ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        BuildSmallScore(1, 1);
        Index();
    }
    void Index() {
        stream_ = Write(doc_, view_);
        ASSERT_FALSE(stream_.empty());
        ports_ = tf::GetU16(stream_, tf::kPortCountAt);
        staff_ = tf::kPortCountAt + 2 + tf::kPortEntryBytes * ports_ + tf::kGalleyRecordBytes + 3;
        stik_ = tf::FindTag(stream_, "STIK");
        muse_ = tf::FindTag(stream_, "MUSE", stik_);
        font_ = tf::FindTag(stream_, "FONT", muse_);
    }
    ScoreLoad Load(const std::function<void(ByteVec&)>& change) {
        ByteVec bytes = stream_;
        change(bytes);
        return Read(bytes);
    }
    // The beam partners of the loaded voice 0 of staff 1, measure 1, as positions.
    static std::vector<int> Partners(const ScoreLoad& load) {
        ScopedPoolSet pools(load.document->pools);
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(load.document, 1), load.document, 1);
        std::vector<EventRecord*> events;
        for (EventRecord* e = GetVoiceFirstEvent(cell, 0); e != nullptr; e = NextEvent(e)) events.push_back(e);
        std::vector<int> positions;
        for (EventRecord* e : events)
            for (RecordHandle h : {RecordHandle(e->beamPrev), RecordHandle(e->beamNext)}) {
                int position = 0;
                for (size_t i = 0; i < events.size(); ++i)
                    if (h && ResolveEvent(h) == events[i]) position = static_cast<int>(i + 1);
                positions.push_back(position);
            }
        return positions;
    }
    std::vector<int> PartnersAfter(size_t event, size_t field, uint16_t value) {
        ScoreLoad load = Load([&](ByteVec& b) { tf::PutU16(b, muse_ + 16 + event * tf::kEventBytes + field, value); });
        EXPECT_EQ(load.code, 0);
        return load.code == 0 ? Partners(load) : std::vector<int>{};
    }

    ByteVec stream_;
    size_t ports_ = 0, staff_ = 0, stik_ = 0, muse_ = 0, font_ = 0;
};

// Positions are 1-based in the voice: a previous partner before the event, a next
// one after it and inside the voice; anything else is none.
TEST_F(ReadRules, BeamPartnersPointIntoTheVoice) {
    EXPECT_EQ(PartnersAfter(0, kBeamNextAt, 2), (std::vector<int>{0, 2, 1, 0}));  // as written
    EXPECT_EQ(PartnersAfter(0, kBeamNextAt, 1), (std::vector<int>{0, 0, 1, 0}));  // the event itself
    EXPECT_EQ(PartnersAfter(0, kBeamNextAt, 3), (std::vector<int>{0, 0, 1, 0}));  // past the voice
    EXPECT_EQ(PartnersAfter(0, kBeamPrevAt, 2), (std::vector<int>{0, 2, 1, 0}));  // a later previous
    EXPECT_EQ(PartnersAfter(1, kBeamPrevAt, 2), (std::vector<int>{0, 2, 0, 0}));  // itself again
    EXPECT_EQ(PartnersAfter(1, kBeamNextAt, 1), (std::vector<int>{0, 2, 1, 0}));  // an earlier next
    EXPECT_EQ(PartnersAfter(1, kBeamPrevAt, 0xFFFF), (std::vector<int>{0, 2, 0, 0}));
}

// Notes longer than duration code 10 keep no partners; 10 keeps them.
TEST_F(ReadRules, LongNotesKeepNoBeamPartners) {
    auto withDuration = [&](uint8_t code) {
        ScoreLoad load = Load([&](ByteVec& b) { b.at(muse_ + 16 + kDurationAt) = code; });
        EXPECT_EQ(load.code, 0);
        return Partners(load);
    };
    EXPECT_EQ(withDuration(10), (std::vector<int>{0, 2, 1, 0}));
    EXPECT_EQ(withDuration(11), (std::vector<int>{0, 0, 1, 0}));
}

// A spacing list is kept only when its columns increase, do not overlap and last at
// least two ticks; otherwise the measure has none.
TEST_F(ReadRules, SpacingListsKeepTheirInvariants) {
    auto spacingOf = [&](std::vector<uint16_t> words) {
        ScoreLoad load = Load([&](ByteVec& b) {
            tf::PutU16(b, stik_ + 4 + 8, static_cast<uint16_t>(words.size() / 4));
            ByteVec entries;
            for (uint16_t w : words) entries.insert(entries.end(), {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)});
            b.insert(b.begin() + static_cast<std::ptrdiff_t>(stik_ + 4 + tf::kMeasureBytes), entries.begin(), entries.end());
        });
        EXPECT_EQ(load.code, 0);
        return load.code == 0 ? static_cast<bool>(load.document->measureTable[1].spacing) : false;
    };
    EXPECT_TRUE(spacingOf({0, 0, 512, 0, 0, 512, 512, 0}));    // sound
    EXPECT_FALSE(spacingOf({0, 512, 512, 0, 0, 0, 512, 0}));   // decreasing
    EXPECT_FALSE(spacingOf({0, 0, 600, 0, 0, 512, 512, 0}));   // overlapping
    EXPECT_TRUE(spacingOf({0, 0, 2, 0}));                      // two ticks
    EXPECT_FALSE(spacingOf({0, 0, 1, 0}));                     // shorter
}

// A port above the eight logical ports becomes 0; port 7 and "none" stay.
TEST_F(ReadRules, PortsBeyondTheLogicalPortsBecomeZero) {
    auto portAfter = [&](uint8_t port) {
        ScoreLoad load = Load([&](ByteVec& b) { b.at(staff_ + kPortByteAt) = port; });
        EXPECT_EQ(load.code, 0);
        ScopedPoolSet pools(load.document->pools);
        return static_cast<int>(StaffRecordOf(load.document, 1)->timbres[0].port);
    };
    EXPECT_EQ(portAfter(7), 7);
    EXPECT_EQ(portAfter(8), 0);
    EXPECT_EQ(portAfter(kNoTimbrePort), kNoTimbrePort);
}

// A stored system is cut to 24 measures, whatever the user's setting; its range
// follows the running measure. Up to 24 a system is kept whole.
TEST_F(ReadRules, SystemsAreCutToARowsSlots) {
    for (int stored : {23, 24, 25, 40}) {
        const int kept = std::min(stored, 24);
        {
            ScopedPoolSet pools(doc_->pools);
            ScoreSystem* system = doc_->firstPage->firstSystem.get();
            system->firstMeasure = 1;
            system->lastMeasure = static_cast<uint16_t>(stored);
        }
        Index();
        ScoreLoad load = Read(stream_);
        ASSERT_EQ(load.code, 0) << stored;
        ScopedPoolSet pools(load.document->pools);
        EXPECT_EQ(V(load.document->firstPage->firstSystem->firstMeasure), 1) << stored;
        EXPECT_EQ(V(load.document->firstPage->firstSystem->lastMeasure), kept) << stored;
        EXPECT_EQ(V(load.document->firstPage->lastMeasure), kept) << stored;
    }
}

// The damaged loads: each keeps what it could read, is marked damaged, cannot be
// saved over its file and stays modified; its own next generation is stable.
TEST_F(ReadRules, DamagedFilesLoadWhatCouldBeRecovered) {
    const std::vector<std::function<void(ByteVec&)>> damages = {
        // A negative label length: the labels are skipped to "STIK".
        [&](ByteVec& b) { tf::PutU16(b, staff_ + 40, 0xFFFF); },
        // A cell object that does not read: the music is skipped to "PAGE".
        [&](ByteVec& b) {
            tf::PutU16(b, muse_ + 12, 1);
            tf::PutU16(b, muse_ + 14, 0xFFFF);
        },
        // More face names than the table holds: the rest are dropped.
        [&](ByteVec& b) {
            const uint16_t extra = static_cast<uint16_t>(33 - ports_);
            tf::PutU16(b, tf::kPortCountAt, 33);
            b.insert(b.begin() + static_cast<std::ptrdiff_t>(tf::kPortCountAt + 2 + tf::kPortEntryBytes * ports_),
                     tf::kPortEntryBytes * extra, 'a');
        },
        // A font slot outside the 24 slots: the record is dropped.
        [&](ByteVec& b) { tf::PutU16(b, font_ + 6, 30); },
    };
    for (size_t i = 0; i < damages.size(); ++i) {
        SCOPED_TRACE(i);
        ScoreLoad load = Load(damages[i]);
        ASSERT_EQ(load.code, 0);
        EXPECT_TRUE(load.damaged);
        EXPECT_EQ(V(load.document->laterMajorVersion), 1);
        EXPECT_NE(V(load.document->changeCounter), 0);
        const ByteVec g2 = Rewrite(load);
        ScoreLoad again = Read(g2);
        ASSERT_EQ(again.code, 0);
        EXPECT_FALSE(again.damaged);
        EXPECT_EQ(Rewrite(again), g2);
    }
}

// A lost label leaves the staff without one; lost music leaves the cell empty.
TEST_F(ReadRules, RecoveriesLoseOnlyWhatFollows) {
    ScoreLoad music = Load([&](ByteVec& b) {
        tf::PutU16(b, muse_ + 12, 1);
        tf::PutU16(b, muse_ + 14, 0xFFFF);
    });
    ASSERT_EQ(music.code, 0);
    ScopedPoolSet pools(music.document->pools);
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(music.document, 1), music.document, 1);
    EXPECT_EQ(GetVoiceFirstEvent(cell, 0), nullptr);
    EXPECT_NE(music.document->firstPage, nullptr);
}

// A tie read for an event of voice v takes voice v, whatever the view's voice mask
// and the stored bits; the view's mask is its own again after the load.
using ReadVoices = ReadTest;
TEST_F(ReadVoices, TiesTakeTheVoiceTheyAreReadIn) {
    BuildFull();
    constexpr uint8_t kTieType = 5;
    auto tieOf = [](EventRecord* event) -> TieObject* {
        for (ScoreObject* o = event != nullptr ? GetEventAttachment(event) : nullptr; o != nullptr; o = o->next.get())
            if (o->type == kTieType) return AsTie(o);
        return nullptr;
    };
    auto eventAt = [](ScoreDocument* document, int staff, int measure, int voice) {
        return GetVoiceFirstEvent(GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure), voice);
    };
    // Ties stored with voice bits other than their event's voice.
    auto attachTie = [&](EventRecord* event, unsigned storedVoice) {
        ScoreObject* tie = tf::MakeFixtureObject(doc_, kTieType);
        ASSERT_NE(tie, nullptr);
        ASSERT_EQ(AttachObjectToNote(view_, event, tie), 1);
        AsTie(tie)->body.shape =
            static_cast<uint16_t>((AsTie(tie)->body.shape & ~kTieVoiceMask) | (storedVoice << kTieVoiceShift));
    };
    ASSERT_NE(eventAt(doc_, 1, 1, 0), nullptr);
    ASSERT_NE(eventAt(doc_, 2, 5, 2), nullptr);
    if (tieOf(eventAt(doc_, 1, 1, 0)) == nullptr) attachTie(eventAt(doc_, 1, 1, 0), 1);
    tieOf(eventAt(doc_, 1, 1, 0))->body.shape |= static_cast<uint16_t>(1u << kTieVoiceShift);
    attachTie(eventAt(doc_, 2, 5, 2), 3);
    view_->voiceMask = 0x0F;
    const ByteVec stream = Write(doc_, view_);

    ScoreLoad load = Read(stream);
    ASSERT_EQ(load.code, 0);
    ScopedPoolSet pools(load.document->pools);
    TieObject* first = tieOf(eventAt(load.document, 1, 1, 0));
    TieObject* second = tieOf(eventAt(load.document, 2, 5, 2));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ((first->body.shape & kTieVoiceMask) >> kTieVoiceShift, 0);
    EXPECT_EQ((second->body.shape & kTieVoiceMask) >> kTieVoiceShift, 2);
    ScoreView* fresh = InitView(AllocView());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(load.view->voiceMask, fresh->voiceMask);
    FreeView(fresh);
}

}  // namespace
}  // namespace ql
