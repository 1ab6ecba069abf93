// Low memory while records are read: the n-th record allocation of a read fails
// (the pool's test hook), for every n the read makes. The read returns its code,
// gives back every record it took and links nothing; one more allocation lets it
// succeed.
#include <gtest/gtest.h>

#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "files/records/file_codes.h"
#include "files/records/object_records.h"
#include "files/tests/files_fixture.h"
#include "files/tests/records/sample_objects.h"

namespace ql {
namespace {

using testing_files::FilesTest;

class LowMemory : public FilesTest {
  protected:
    std::vector<uint8_t> Sample(ObjectType type) {
        ScopedPoolSet pools(doc_->pools);
        ScoreObject* object = testing_files::MakeSampleObject(doc_, TypeCode(type));
        std::vector<uint8_t> bytes = EncodeObject(object);
        ReleaseObjectByType(doc_, object);
        return bytes;
    }

    // Fails allocation n = 1, 2, ... of the read until it succeeds; the codes seen.
    std::vector<int> ReadWithFailures(const std::vector<uint8_t>& bytes) {
        std::vector<int> codes;
        for (int n = 1; n < 10; ++n) {
            ClearList();
            int live = LiveRecords();
            size_t buffers = doc_->ownedRecords.size();
            FailRecordAllocationAfter(n - 1);
            Feed(bytes);
            int result = ReadScoreObject(view_, ListHead(), 1);
            FailNextRecordAllocations(0);
            if (result == 0) {
                EXPECT_NE(ListHead()->next.get(), nullptr);
                return codes;
            }
            codes.push_back(result);
            EXPECT_EQ(ListHead()->next.get(), nullptr) << "allocation " << n;
            EXPECT_EQ(LiveRecords(), live) << "allocation " << n;
            EXPECT_EQ(doc_->ownedRecords.size(), buffers) << "allocation " << n;
        }
        ADD_FAILURE() << "the read never succeeded";
        return codes;
    }
};

// A picture takes one record (its bytes are a buffer of the document, taken only once
// the record and the bytes are there).
TEST_F(LowMemory, Picture) {
    EXPECT_EQ(ReadWithFailures(Sample(ObjectType::Picture)),
              (std::vector<int>{item_code::kNoRecord}));
}

// A text with a string takes the object, then the string.
TEST_F(LowMemory, TextWithString) {
    EXPECT_EQ(ReadWithFailures(Sample(ObjectType::Text)),
              (std::vector<int>{item_code::kNoRecord, item_code::kTextRecord}));
}

// A MIDI event whose action carries data takes the outer record, then the data.
TEST_F(LowMemory, ActionWithData) {
    EXPECT_EQ(ReadWithFailures(Sample(ObjectType::MidiEvent)),
              (std::vector<int>{item_code::kNoRecord, item_code::kMidiRecord}));
}

// A text box takes the object, then its text.
TEST_F(LowMemory, TextBoxText) {
    EXPECT_EQ(ReadWithFailures(Sample(ObjectType::TextBox)),
              (std::vector<int>{item_code::kNoRecord, item_code::kTextBoxString}));
}

}  // namespace
}  // namespace ql
