// The tag state of a NIFF import: what each chunk inherits, what "taga" and
// "tagi" make persistent or end, what a staff header clears, and the values
// stored for particular tags.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_writer.h"
#include "interchange/tests/niff/niff_recorder.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

// Each "keys" chunk records the flags it was handled with.
struct Snapshots : NiffImportState {
    std::vector<std::array<uint8_t, kNiffTagNumbers>> flags;
    std::vector<NiffTagState::Value> tag47;
    std::vector<int16_t> tag18, tag32;
};

int Snapshot(NiffChunkContext& context, const uint8_t*) {
    auto& state = *static_cast<Snapshots*>(context.import);
    state.flags.push_back(state.tags.flags);
    state.tag47.push_back(state.tags.values[47]);
    state.tag18.push_back(NiffTagShort(state.tags, 18, 0));
    state.tag32.push_back(NiffTagShort(state.tags, 32, 0));
    return 1;
}

Snapshots RunWithTagState(std::vector<uint8_t> bytes) {
    Snapshots state;
    auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &state);
    testing::RegisterTagState(*reader);
    RegisterNiffChunkHandlers(*reader, MakeFourCC("keys"), BeginNiffChunk, Snapshot);
    EXPECT_TRUE(RunNiffPass(*reader).complete);
    return state;
}

void Keys(NiffWriter& out, std::initializer_list<uint8_t> byteTags = {}) {
    out.BeginChunk("keys", {0});
    for (uint8_t tag : byteTags) out.Tag(tag, {1});
    out.EndChunk();
}

void TagChunk(NiffWriter& out, const char (&id)[5], std::initializer_list<uint8_t> byteTags) {
    out.BeginChunk(id);
    for (uint8_t tag : byteTags) out.Tag(tag, {1});
    out.EndChunk();
}

TEST(NiffTagState, PersistenceFollowsTagaTagiAndStaffHeaders) {
    ResetProgramState();
    ui::headless::ResetUi();
    NiffWriter out;
    out.BeginForm("NIFF");
    TagChunk(out, "taga", {2, 4});  // 2 and 4 become persistent
    Keys(out, {21});                // inherits 2 and 4, gives 21
    TagChunk(out, "taga", {27});    // inherits 2 and 4 but makes only 27 persistent
    TagChunk(out, "tagi", {4});     // ends 4
    Keys(out);                      // 2 and 27 inherited
    TagChunk(out, "tagi", {});      // ends every persistent tag
    Keys(out);
    TagChunk(out, "taga", {2});
    out.BeginChunk("sthd");  // clears the persistent set before it loads
    out.Tag(4, {1});
    out.EndChunk();
    Keys(out);
    out.EndList();
    const Snapshots state = RunWithTagState(out.Take());
    ASSERT_EQ(state.flags.size(), 4u);
    auto given = [](const std::array<uint8_t, kNiffTagNumbers>& flags) {
        std::vector<std::pair<int, int>> set;
        for (int tag = 0; tag < kNiffTagNumbers; ++tag)
            if (flags[static_cast<size_t>(tag)] != 0)
                set.emplace_back(tag, flags[static_cast<size_t>(tag)]);
        return set;
    };
    using Set = std::vector<std::pair<int, int>>;
    EXPECT_EQ(given(state.flags[0]), (Set{{2, 2}, {4, 2}, {21, 1}}));
    EXPECT_EQ(given(state.flags[1]), (Set{{2, 2}, {27, 2}}));
    EXPECT_EQ(given(state.flags[2]), Set{});
    EXPECT_EQ(given(state.flags[3]), Set{});
}

// Tags 18, 32 and 47 are preset at each chunk (-2, -1, -1); tag 47 is stored as at
// most 3; tag 23 sets the document's lyric line offset, scaled.
TEST(NiffTagState, PresetsAndStoredValues) {
    ResetProgramState();
    ui::headless::ResetUi();
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("keys", {0});
    out.Tag(47, {9});
    out.Tag(23, {-3, 1});
    out.Tag(23, {50, 7});  // a line past the four the document has: ignored
    out.EndChunk();
    Keys(out);
    out.EndList();
    Snapshots state;
    ScoreDocument* document = AllocDocument();
    ASSERT_NE(document, nullptr);
    state.document = document;
    state.unitScale = 2.5;
    const std::vector<uint8_t> bytes = out.Take();
    auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &state);
    testing::RegisterTagState(*reader);
    RegisterNiffChunkHandlers(*reader, MakeFourCC("keys"), BeginNiffChunk, Snapshot);
    ASSERT_TRUE(RunNiffPass(*reader).complete);
    ASSERT_EQ(state.tag47.size(), 2u);
    int16_t first47 = 0;
    std::memcpy(&first47, state.tag47[0].data(), 2);
    EXPECT_EQ(first47, 3);
    EXPECT_EQ(state.tag18[1], -2);
    EXPECT_EQ(state.tag32[1], -1);
    EXPECT_EQ(static_cast<int16_t>(document->header.lyricLevels[1]), -7);  // -3 x 2.5, truncated
    FreeDocument(document);
}

// What a chunk's handlers change in the tags it loaded (its placement resolved, a
// preset tag written over, an inherited one given anew) is undone when the next
// chunk loads: that chunk sees the persistent values and the presets again.
TEST(NiffTagState, ChangesMadeOnAChunkAreUndoneWhenTheNextLoads) {
    ResetProgramState();
    ui::headless::ResetUi();
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("taga");  // placement 10, 20 from the measure's start; tag 47 = 2
    out.Tag(1, {10, 20});
    out.Tag(3, {"tmsl"});
    out.Tag(47, {2});
    out.EndChunk();
    out.BeginChunk("clef", {0, 0, 0});  // resolved to the event slice below
    out.Tag(18, {7});
    out.EndChunk();
    Keys(out, {2});
    Keys(out);
    out.EndList();
    struct Resolved : Snapshots {
        std::vector<int16_t> x;
    } state;
    state.frame.anchors.measureStartX = 4;
    const std::vector<uint8_t> bytes = out.Take();
    auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &state);
    testing::RegisterTagState(*reader);
    RegisterNiffChunkHandlers(*reader, MakeFourCC("keys"), BeginNiffChunk, Snapshot);
    RegisterNiffChunkHandlers(
        *reader, MakeFourCC("clef"), BeginNiffChunk, [](NiffChunkContext& context, const uint8_t*) {
            auto& resolved = *static_cast<Resolved*>(context.import);
            EXPECT_EQ(ResolveNiffPlacement(resolved, NiffAnchorLevel::kEventSlice),
                      static_cast<int>(NiffAnchorLevel::kMeasureSlice));
            resolved.x.push_back(NiffTagShort(resolved.tags, 1, 0));
            return Snapshot(context, nullptr);
        });
    ASSERT_TRUE(RunNiffPass(*reader).complete);
    ASSERT_EQ(state.x.size(), 1u);
    EXPECT_EQ(state.x[0], 6);  // 10 less the measure's start
    ASSERT_EQ(state.flags.size(), 3u);
    EXPECT_EQ(state.flags[0][3], 0);  // resolved: the anchor is dropped
    EXPECT_EQ(state.tag18[0], 7);
    for (size_t chunk = 1; chunk < 3; ++chunk) {
        EXPECT_EQ(state.flags[chunk][1], kNiffTagInherited) << chunk;
        EXPECT_EQ(state.flags[chunk][3], kNiffTagInherited) << chunk;
        EXPECT_EQ(state.flags[chunk][47], kNiffTagInherited) << chunk;
        EXPECT_EQ(state.tag18[chunk], -2) << chunk;
        int16_t tag47 = 0;
        std::memcpy(&tag47, state.tag47[chunk].data(), 2);
        EXPECT_EQ(tag47, -1) << chunk;  // the preset number over the persistent value
    }
    EXPECT_EQ(state.flags[1][2], kNiffTagGiven);
    EXPECT_EQ(state.flags[2][2], 0);
    // The placement is the persistent one again, and so is its anchor.
    EXPECT_EQ(NiffTagShort(state.tags, 1, 0), 10);
    EXPECT_EQ(NiffTagShort(state.tags, 1, 2), 20);
    EXPECT_EQ(std::memcmp(state.tags.values[3].data(), "tmsl", 4), 0);
}

// The reader stores tags and loads each chunk's tag state in line; the same file
// read through StoreNiffTag and a start handler of another address (so called,
// not run in line) must leave the same tag state at every chunk: values, flags,
// persistent tags, the note reference, and the value a tag handler sees.
struct TagStateTrail : NiffImportState {
    std::vector<NiffTagState> states;
    std::vector<int32_t> noteReferences;
    std::vector<std::vector<uint8_t>> tag22Values;
};

int RecordTagState(NiffChunkContext& context, const uint8_t* fixedPart) {
    auto& trail = *static_cast<TagStateTrail*>(context.import);
    NiffTagState state = trail.tags;
    state.written = 0;  // which bits may differ is bookkeeping, not state
    trail.states.push_back(state);
    trail.noteReferences.push_back(trail.noteReference);
    trail.noteReference = 7;  // loading the next chunk resets it
    if (context.id == MakeFourCC("taga")) return ActivateNiffTags(context, fixedPart);
    if (context.id == MakeFourCC("tagi")) return DeactivateNiffTags(context, fixedPart);
    return 1;
}

void RecordTag22(NiffTagContext& context, const uint8_t* value) {
    static_cast<TagStateTrail*>(context.import)->tag22Values.emplace_back(value, value + kNiffTagValueBytes);
}

std::vector<uint8_t> ChunksWithManyTags() {
    constexpr const char* kIds[] = {"keys", "clef", "taga", "tagi", "sthd", "note", "tmsl"};
    std::mt19937 random(41);
    NiffWriter out;
    out.BeginForm("NIFF");
    for (int chunk = 0; chunk < 400; ++chunk) {
        const std::string id = kIds[random() % std::size(kIds)];
        if (id == "keys") out.BeginChunk("keys", {static_cast<int64_t>(random() % 8)});
        else if (id == "clef") out.BeginChunk("clef", {1, 2, 3});
        else if (id == "note") out.BeginChunk("note", {4, -2, NiffField::Rational(1, 8)});
        else if (id == "tmsl") out.BeginChunk("tmsl", {2, NiffField::Rational(3, 16)});
        else out.BeginChunk(id == "taga" ? "taga" : id == "tagi" ? "tagi" : "sthd");
        for (unsigned tags = random() % 4; tags > 0; --tags) {
            const auto small = static_cast<int64_t>(random() % 200) - 100;
            switch (random() % 7) {
                case 0: out.Tag(1, {small, small + 3}); break;
                case 1: out.Tag(2, {small & 0x7F}); break;
                case 2: out.Tag(18, {small}); break;
                case 3: out.Tag(22, {small & 0x7F, 2, 3}); break;
                case 4: out.Tag(32, {small}); break;
                case 5: out.Tag(47, {small}); break;
                default: out.Tag(3, {"tmsl"}); break;
            }
        }
        out.EndChunk();
    }
    out.EndList();
    return out.Take();
}

// BeginNiffChunk itself, which the reader runs in line, or a handler of another
// address that calls it, which the reader calls.
NiffChunkHandler BeginHandler(bool called) {
    return called ? +[](NiffChunkContext& context, const uint8_t* fixedPart) {
        return BeginNiffChunk(context, fixedPart);
    } : NiffChunkHandler{BeginNiffChunk};
}

TagStateTrail ReadTrail(const std::vector<uint8_t>& bytes, bool throughHandlers) {
    TagStateTrail trail;
    auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &trail);
    const NiffChunkHandler begin = BeginHandler(throughHandlers);
    EXPECT_NE(begin == BeginNiffChunk, throughHandlers);
    for (const NiffChunkRecord& row : BuiltInNiffChunkSchema())
        RegisterNiffChunkHandlers(*reader, row.id, begin, RecordTagState);
    for (int tag = 1; tag <= kNiffKnownTags; ++tag) {
        if (throughHandlers) RegisterNiffTagHandler(*reader, tag, StoreNiffTag);
        else RegisterNiffTagStorage(*reader, tag);
    }
    // A tag stored in line still reaches its handler, after the store.
    if (!throughHandlers) RegisterNiffTagHandler(*reader, 22, RecordTag22);
    EXPECT_TRUE(RunNiffPass(*reader).complete);
    return trail;
}

TEST(NiffTagState, StoredInLineAsByTheHandlers) {
    const std::vector<uint8_t> bytes = ChunksWithManyTags();
    const TagStateTrail inLine = ReadTrail(bytes, false);
    const TagStateTrail called = ReadTrail(bytes, true);
    ASSERT_EQ(inLine.states.size(), 400u);
    ASSERT_EQ(called.states.size(), inLine.states.size());
    size_t given = 0;
    for (size_t chunk = 0; chunk < inLine.states.size(); ++chunk) {
        const NiffTagState& a = inLine.states[chunk];
        const NiffTagState& b = called.states[chunk];
        EXPECT_EQ(a.values, b.values) << chunk;
        EXPECT_EQ(a.flags, b.flags) << chunk;
        EXPECT_EQ(a.persistentValues, b.persistentValues) << chunk;
        EXPECT_EQ(a.persistentFlags, b.persistentFlags) << chunk;
        EXPECT_EQ(a.persistentWritten, b.persistentWritten) << chunk;
        EXPECT_EQ(inLine.noteReferences[chunk], -1) << chunk;
        EXPECT_EQ(called.noteReferences[chunk], -1) << chunk;
        given += std::count(a.flags.begin(), a.flags.end(), kNiffTagGiven);
    }
    EXPECT_GT(given, 200u);  // the file gives tags enough to matter
    EXPECT_FALSE(inLine.tag22Values.empty());
    EXPECT_TRUE(called.tag22Values.empty());
    int16_t tag47 = 0;
    std::memcpy(&tag47, inLine.states.back().values[47].data(), 2);
    EXPECT_LE(tag47, kNiffTag47Highest);
}

// The reader puts off loading the tag state of chunks whose tags only it stores,
// until something looks: the data handler of "keys", the handlers of "taga" and
// "tagi", a handler of tag 22 in the middle of a chunk, the end of the pass.
// What each of them sees, and the state the pass leaves, must be what loading
// every chunk at its start gives: the same file read with a start handler that
// is called (not run in line) and every tag stored by StoreNiffTag.
struct LookTrail : NiffImportState {
    std::vector<NiffTagState> seen;
    std::vector<int32_t> noteReferences;
};

void Look(NiffImportState* import) {
    auto& trail = *static_cast<LookTrail*>(import);
    NiffTagState state = trail.tags;
    state.written = 0;  // bookkeeping, not state
    trail.seen.push_back(state);
    trail.noteReferences.push_back(trail.noteReference);
}

int LookAtChunk(NiffChunkContext& context, const uint8_t* fixedPart) {
    Look(context.import);
    if (context.id == MakeFourCC("taga")) return ActivateNiffTags(context, fixedPart);
    if (context.id == MakeFourCC("tagi")) return DeactivateNiffTags(context, fixedPart);
    return 1;
}

// Every kind of chunk the walk meets: typed ones with and without handlers of
// their own, lists, raw and unknown chunks; tags of every number the schema
// knows and some it does not, of every length from none to past their fields.
std::vector<uint8_t> MixedChunksAndTags(unsigned seed) {
    std::mt19937 random(seed);
    NiffWriter out;
    out.BeginForm("NIFF");
    int depth = 0;
    for (int chunk = 0; chunk < 3000; ++chunk) {
        const unsigned kind = random() % 20;
        if (kind == 0 && depth < 3) {
            out.BeginList("grup");
            ++depth;
            continue;
        }
        if (kind == 1 && depth > 0) {
            out.EndList();
            --depth;
            continue;
        }
        if (kind == 2) {
            out.BeginChunk("INAM");
            out.Text("abc");
            out.EndChunk();
            continue;
        }
        if (kind == 3) {
            out.Bytes(std::vector<uint8_t>{'z', 'z', 'z', 'z', 0, 0, 0, 2, 1, 2});
            continue;
        }
        if (kind == 4) out.BeginChunk("keys", {static_cast<int64_t>(random() % 8)});
        else if (kind == 5) out.BeginChunk("taga");
        else if (kind == 6) out.BeginChunk("tagi");
        else if (kind < 10) out.BeginChunk("note", {4, -2, NiffField::Rational(1, 8)});
        else if (kind < 13) out.BeginChunk("tmsl", {2, NiffField::Rational(3, 16)});
        else if (kind < 15) out.BeginChunk("sthd");
        else if (kind < 17) out.BeginChunk("clef", {1, 2, 3});
        else out.BeginChunk("slur");
        for (unsigned tags = random() % 5; tags > 0; --tags) {
            constexpr uint8_t kStrange[] = {0, 49, 200, 255};
            const auto number = random() % 8 == 0 ? kStrange[random() % 4]
                                                  : static_cast<uint8_t>(1 + random() % kNiffKnownTags);
            std::vector<uint8_t> value(random() % 13);
            for (uint8_t& byte : value) byte = static_cast<uint8_t>(random());
            out.RawTag(number, static_cast<uint8_t>(value.size()), value);
        }
        out.EndChunk();
    }
    while (depth-- > 0) out.EndList();
    out.EndList();
    return out.Take();
}

LookTrail ReadLooking(std::unique_ptr<ByteSource> source, bool loadEveryChunk) {
    LookTrail trail;
    auto reader = OpenNiffReader(std::move(source), &trail);
    const NiffChunkHandler begin = BeginHandler(loadEveryChunk);
    for (const NiffChunkRecord& row : BuiltInNiffChunkSchema())
        RegisterNiffChunkHandlers(*reader, row.id, begin, nullptr);
    for (const FourCC& id : {MakeFourCC("keys"), MakeFourCC("taga"), MakeFourCC("tagi")})
        RegisterNiffChunkHandlers(*reader, id, begin, LookAtChunk);
    for (int tag = 1; tag <= kNiffKnownTags; ++tag) {
        if (loadEveryChunk) RegisterNiffTagHandler(*reader, tag, StoreNiffTag);
        else RegisterNiffTagStorage(*reader, tag);
    }
    if (loadEveryChunk) {
        RegisterNiffTagHandler(*reader, 22, [](NiffTagContext& context, const uint8_t* value) {
            StoreNiffTag(context, value);
            Look(context.import);
        });
    } else {
        RegisterNiffTagHandler(*reader, 22, [](NiffTagContext& context, const uint8_t*) { Look(context.import); });
    }
    EXPECT_TRUE(RunNiffPass(*reader).complete);
    Look(&trail);  // the state the pass leaves
    return trail;
}

TEST(NiffTagState, PutOffLoadsGiveWhatLoadingEveryChunkGives) {
    for (const unsigned seed : {7u, 41u, 2026u}) {
        const std::vector<uint8_t> bytes = MixedChunksAndTags(seed);
        const LookTrail loaded = ReadLooking(ByteSource::FromMemory(bytes), true);
        ASSERT_GT(loaded.seen.size(), 500u) << seed;
        size_t given = 0;
        for (const bool fromFile : {false, true}) {
            std::unique_ptr<ByteSource> source =
                fromFile ? testing::FileSourceOf(bytes) : ByteSource::FromMemory(bytes);
            ASSERT_NE(source, nullptr);
            const LookTrail putOff = ReadLooking(std::move(source), false);
            ASSERT_EQ(putOff.seen.size(), loaded.seen.size()) << seed << " file " << fromFile;
            for (size_t look = 0; look < loaded.seen.size(); ++look) {
                const NiffTagState& a = putOff.seen[look];
                const NiffTagState& b = loaded.seen[look];
                const std::string where = std::to_string(seed) + " look " + std::to_string(look) +
                                          (fromFile ? " from the file" : " from memory");
                EXPECT_EQ(a.values, b.values) << where;
                EXPECT_EQ(a.flags, b.flags) << where;
                EXPECT_EQ(a.persistentValues, b.persistentValues) << where;
                EXPECT_EQ(a.persistentFlags, b.persistentFlags) << where;
                EXPECT_EQ(a.persistentWritten, b.persistentWritten) << where;
                EXPECT_EQ(putOff.noteReferences[look], loaded.noteReferences[look]) << where;
                given += std::count(a.flags.begin(), a.flags.end(), kNiffTagGiven);
            }
        }
        EXPECT_GT(given, 1000u) << seed;  // the looks see tags enough to matter
    }
}

// Fixed parts as handlers saw them, beside the tag state's in-line start.
struct FixedParts : NiffImportState {
    std::vector<std::vector<uint8_t>> seen;
};

int RecordFixedPart(NiffChunkContext& context, const uint8_t* fixedPart) {
    auto& parts = *static_cast<FixedParts*>(context.import);
    if (fixedPart == nullptr) parts.seen.emplace_back();
    else parts.seen.emplace_back(fixedPart, fixedPart + context.data.size());
    return 1;
}

// A "note" (BYTE, SIGNEDBYTE, RATIONAL) is converted for a data handler after
// the in-line start, and for a start handler of its own with no data handler.
TEST(NiffTagState, FixedPartsReachHandlersBesideTheInLineStart) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("note", {3, -1, NiffField::Rational(3, 8)});
    out.Tag(1, {4, 5});
    out.EndChunk();
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    const std::vector<uint8_t> expected = {3, 0xFF, 3, 0, 8, 0};
    for (const bool startOwn : {false, true}) {
        FixedParts parts;
        auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &parts);
        testing::RegisterTagState(*reader);
        if (startOwn) RegisterNiffChunkHandlers(*reader, MakeFourCC("note"), RecordFixedPart, nullptr);
        else RegisterNiffChunkHandlers(*reader, MakeFourCC("note"), BeginNiffChunk, RecordFixedPart);
        ASSERT_TRUE(RunNiffPass(*reader).complete);
        ASSERT_EQ(parts.seen.size(), 1u) << startOwn;
        EXPECT_EQ(parts.seen[0], expected) << startOwn;
    }
}

}  // namespace
}  // namespace ql::niff
