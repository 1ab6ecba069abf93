// A rest's tuplet numbers are read from its body exactly as a note's from its record.
#include <gtest/gtest.h>

#include "core/model/event_record.h"
#include "core/model/events.h"
#include "notes/rests/rest.h"

namespace ql {
namespace {

// Every combination of kind, ratio and nested byte that matters: table indexes in and
// past the table, free ratios, unknown kinds; note and rest answer alike.
TEST(RestTupletNumbers, AgreeWithTheNoteAccessors) {
    for (uint8_t kind : {0, 1, 2, 3}) {
        for (uint8_t ratio : {0, 5, 8, 9, 0x53, 0xF0}) {
            for (uint8_t nested : {0, 0x54, 0x0F}) {
                EventRecord note{};
                note.tupletKind = kind;
                note.tupletRatio = ratio;
                note.outerRatio = nested;
                RestBody rest{};
                rest.tupletKind = kind;
                rest.tupletValue = ratio;
                rest.extraRatio = nested;
                SCOPED_TRACE(::testing::Message() << int(kind) << " " << int(ratio) << " " << int(nested));
                EXPECT_EQ(GetRestTupletNumerator(rest), GetNoteTupletNumerator(note));
                EXPECT_EQ(GetRestTupletDenominator(rest), GetNoteTupletDenominator(note));
                EXPECT_EQ(GetRestNestedNumerator(rest), GetNoteNestedNumerator(note));
                EXPECT_EQ(GetRestNestedDenominator(rest), GetNoteNestedDenominator(note));
            }
        }
    }
    RestBody free{};
    free.tupletKind = 2;
    free.tupletValue = 0x53;
    EXPECT_EQ(GetRestTupletNumerator(free), 5);
    EXPECT_EQ(GetRestTupletDenominator(free), 3);
}

}  // namespace
}  // namespace ql
