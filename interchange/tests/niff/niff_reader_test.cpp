// The NIFF reader over writer-made files: the form check, padding, lists, unknown
// ids and tags, typed fields and the chunk-length table, handler order and the
// bounds that end a pass on damaged lengths.
#include "interchange/niff/niff_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_writer.h"
#include "interchange/tests/niff/niff_recorder.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::niff {
namespace {

using testing::Call;
using testing::CallsOf;
using testing::Recorder;
using testing::RecordingReader;

class NiffReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
    }
    void TearDown() override { ResetProgramState(); }

    NiffPassResult Run(const std::vector<uint8_t>& bytes) {
        reader_ = RecordingReader(bytes, recorder_);
        return RunNiffPass(*reader_);
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& box : ui::headless::MessageBoxes()) {
            EXPECT_EQ(box.caption, kNiffImportCaption);
            texts.push_back(box.text);
        }
        return texts;
    }

    Recorder recorder_;
    std::unique_ptr<NiffReader> reader_;
};

template <typename T>
T At(const std::vector<uint8_t>& bytes, size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// A file that is not a RIFX form, and one with nothing in it, are refused with
// their messages and nothing is handled.
TEST_F(NiffReaderTest, RefusesFilesThatAreNotRifxForms) {
    NiffWriter riff;
    riff.BeginForm("NIFF");
    riff.EndList();
    std::vector<uint8_t> bytes = riff.Take();
    bytes[3] = 'F';  // "RIFF": the little-endian form
    EXPECT_FALSE(Run(bytes).ran);
    EXPECT_FALSE(Run({}).ran);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kNiffNoRifx, kNiffNoUsefulData}));
    EXPECT_TRUE(recorder_.calls.empty());
}

// Handler order and padding: start, the tags, then data; pad bytes after an odd
// raw chunk and an odd tag reach no handler; an empty list gives "eol " and no
// call; unknown ids and tags go to the diagnostics only.
TEST_F(NiffReaderTest, HandlersSeeChunksTagsAndNoPadding) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("INAM");
    out.Text("Title");  // odd: one pad byte follows
    out.EndChunk();
    out.BeginList("prts");
    out.EndList();  // empty list
    out.BeginChunk("clef", {1, -2, 0});
    out.Tag(2, {7});  // odd tag: one pad byte
    out.RawTag(0, 1, std::vector<uint8_t>{9});
    out.RawTag(200, 2, std::vector<uint8_t>{1, 2});
    out.Tag(7, {-300});
    out.EndChunk();
    out.BeginChunk("INAM");
    out.Text("ok");
    out.EndChunk();
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    // A private chunk inside the form: written by hand after the writer's run.
    const NiffPassResult result = Run(bytes);
    EXPECT_TRUE(result.ran);
    EXPECT_TRUE(result.complete);
    std::vector<std::string> order;
    for (const auto& call : recorder_.calls) order.push_back(call.what);
    EXPECT_EQ(order, (std::vector<std::string>{"start INAM", "data INAM", "start clef", "tag 2",
                                               "tag 7", "data clef", "start INAM", "data INAM"}));
    EXPECT_EQ(recorder_.calls[0].bytes, (std::vector<uint8_t>{'T', 'i', 't', 'l', 'e'}));
    EXPECT_EQ(recorder_.calls[3].bytes[0], 7);
    EXPECT_EQ(At<int16_t>(recorder_.calls[4].bytes, 0), -300);
    const std::vector<uint8_t>& clef = recorder_.calls[2].bytes;
    EXPECT_EQ(clef, (std::vector<uint8_t>{1, 0xFE, 0}));
    EXPECT_TRUE(Boxes().empty());
    ASSERT_EQ(reader_->diagnostics.size(), 2u);
    EXPECT_EQ(reader_->diagnostics[0], "unknown tag 0");
    EXPECT_EQ(reader_->diagnostics[1], "unknown tag 200");
}

// Fields land in memory in schema order, in host order, with even-width fields
// at even offsets: a staff group's SIGNEDSHORTs follow its BYTE and a pad byte.
TEST_F(NiffReaderTest, TypedFieldsAreConvertedAndAligned) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("note", {3, -1, NiffField::Rational(3, 8)});
    out.EndChunk();
    out.BeginChunk("tmpo", {0x01020304, NiffField::Rational(1, 4), 96});
    out.EndChunk();
    out.BeginChunk("stfg", {5, -7, 300});  // BYTE, then SIGNEDSHORTs after a pad byte
    out.EndChunk();
    out.EndList();
    ASSERT_TRUE(Run(out.Take()).complete);
    const auto notes = CallsOf(recorder_, "data note");
    ASSERT_EQ(notes.size(), 1u);
    const std::vector<uint8_t>& note = notes[0].bytes;
    ASSERT_EQ(note.size(), 6u);
    EXPECT_EQ(note[0], 3);
    EXPECT_EQ(static_cast<int8_t>(note[1]), -1);
    EXPECT_EQ(At<int16_t>(note, 2), 3);
    EXPECT_EQ(At<int16_t>(note, 4), 8);
    const std::vector<uint8_t> tempo = CallsOf(recorder_, "data tmpo")[0].bytes;
    EXPECT_EQ(At<uint32_t>(tempo, 0), 0x01020304u);
    EXPECT_EQ(At<int16_t>(tempo, 8), 96);
    const std::vector<uint8_t> group = CallsOf(recorder_, "data stfg")[0].bytes;
    ASSERT_EQ(group.size(), 6u);
    EXPECT_EQ(group[0], 5);
    EXPECT_EQ(At<int16_t>(group, 2), -7);
    EXPECT_EQ(At<int16_t>(group, 4), 300);
}

// The chunk-length table: "part" at 10 bytes makes string offsets 2 bytes wide
// for the rest of the file; a larger "note" reads its fields and skips the rest
// before its tags; an entry for a raw chunk ("stbl" at 0) changes nothing; a new
// reader starts from the built-in sizes again.
TEST_F(NiffReaderTest, ChunkLengthTableAppliesToItsFileOnly) {
    NiffWriter out(2);
    out.BeginForm("NIFF");
    out.BeginChunk("clt ");
    out.Text("part");
    out.Bytes(std::vector<uint8_t>{0, 0, 0, 10});
    out.Text("note");
    out.Bytes(std::vector<uint8_t>{0, 0, 0, 8});
    out.Text("stbl");
    out.Bytes(std::vector<uint8_t>{0, 0, 0, 0});
    out.EndChunk();
    out.BeginChunk("text", {0x1234});  // a 2-byte string offset
    out.EndChunk();
    out.BeginChunk("note", {1, 2, NiffField::Rational(1, 4)});
    out.Bytes(std::vector<uint8_t>{0xAA, 0xBB});  // the rest of the longer fixed part
    out.Tag(2, {5});
    out.EndChunk();
    out.BeginChunk("stbl");
    out.Text("ab");
    out.EndChunk();
    out.EndList();
    ASSERT_TRUE(Run(out.Take()).complete);
    EXPECT_EQ(At<uint32_t>(CallsOf(recorder_, "data text")[0].bytes, 0), 0x1234u);
    EXPECT_EQ(CallsOf(recorder_, "tag 2")[0].bytes[0], 5);
    EXPECT_EQ(CallsOf(recorder_, "data stbl")[0].bytes, (std::vector<uint8_t>{'a', 'b'}));
    EXPECT_EQ(reader_->schemas.StringOffsetWidth(), 2);
    EXPECT_EQ(NiffSchemas().StringOffsetWidth(), 4);
}

// A handler returning 0 ends the pass quietly; the pass ran but is not complete.
TEST_F(NiffReaderTest, AHandlerCanEndThePass) {
    NiffWriter out;
    out.BeginForm("NIFF");
    for (int i = 0; i < 3; ++i) {
        out.BeginChunk("keys", {i});
        out.EndChunk();
    }
    out.EndList();
    recorder_.stopAt = 1;  // the first data call
    const NiffPassResult result = Run(out.Take());
    EXPECT_TRUE(result.ran);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(CallsOf(recorder_, "data keys").size(), 1u);
    EXPECT_TRUE(Boxes().empty());
}

// Damaged lengths end the pass with the incomplete-record message, after what
// came before was handled: a chunk longer than its list, a form longer than the
// file, a length of 0xFFFFFFFF, a list of 2 bytes, a 17th nested list, and a
// tag longer than its chunk.
TEST_F(NiffReaderTest, DamagedLengthsEndThePassWithTheMessage) {
    struct Case {
        const char* name;
        void (*write)(NiffWriter&);
        const char* message;
    };
    const Case cases[] = {
        {"chunk past its list",
         [](NiffWriter& out) {
             out.BeginList("grup");
             out.SetNextLength(40);
             out.BeginChunk("keys", {1});
             out.EndChunk();
             out.BeginChunk("keys", {2});
             out.EndChunk();
             out.EndList();
         },
         kNiffIncompleteChunk},
        {"all ones",
         [](NiffWriter& out) {
             out.SetNextLength(0xFFFFFFFF);
             out.BeginChunk("INAM");
             out.EndChunk();
         },
         kNiffIncompleteChunk},
        {"list of 2",
         [](NiffWriter& out) {
             out.SetNextLength(2);
             out.BeginList("grup");
             out.EndList();
         },
         kNiffIncompleteChunk},
        {"17 levels",
         [](NiffWriter& out) {
             for (int i = 0; i < 16; ++i) out.BeginList("grup");
             for (int i = 0; i < 16; ++i) out.EndList();
         },
         kNiffIncompleteChunk},
        {"tag past its chunk",
         [](NiffWriter& out) {
             out.BeginChunk("keys", {1});
             out.RawTag(2, 9, std::vector<uint8_t>{1});
             out.EndChunk();
         },
         kNiffIncompleteTag},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::headless::ResetUi();
        recorder_.calls.clear();
        NiffWriter out;
        out.BeginForm("NIFF");
        out.BeginChunk("INAM");
        out.Text("first");
        out.EndChunk();
        c.write(out);
        out.EndList();
        const NiffPassResult result = Run(out.Take());
        EXPECT_TRUE(result.ran);
        EXPECT_FALSE(result.complete);
        EXPECT_EQ(CallsOf(recorder_, "data INAM").size(), 1u);
        EXPECT_EQ(Boxes(), std::vector<std::string>{c.message});
    }
    // Sixteen levels (the form and fifteen lists) still read.
    NiffWriter deep;
    deep.BeginForm("NIFF");
    for (int i = 0; i < 15; ++i) deep.BeginList("grup");
    for (int i = 0; i < 15; ++i) deep.EndList();
    deep.EndList();
    ui::headless::ResetUi();
    EXPECT_TRUE(Run(deep.Take()).complete);
    EXPECT_TRUE(Boxes().empty());

    // A form longer than the file.
    NiffWriter cut;
    cut.BeginForm("NIFF");
    cut.BeginChunk("keys", {1});
    cut.EndChunk();
    cut.EndList();
    std::vector<uint8_t> bytes = cut.Take();
    bytes.resize(bytes.size() - 2);
    EXPECT_FALSE(Run(bytes).ran);
    EXPECT_EQ(Boxes(), std::vector<std::string>{kNiffIncompleteChunk});
}

// Every id of the schema is found at its own row, and ids it does not hold are
// not found, however near they lie to one it holds.
TEST(NiffSchemaTest, EveryChunkIdIsFoundAtItsRowAndNoOther) {
    const NiffSchemas schemas;
    const auto rows = BuiltInNiffChunkSchema();
    for (size_t i = 0; i < rows.size(); ++i) {
        const FourCC id = rows[i].id;
        EXPECT_EQ(schemas.FindChunk(id), static_cast<int>(i)) << std::string(id.begin(), id.end());
        for (size_t at = 0; at < id.size(); ++at) {
            FourCC near = id;
            near[at] = static_cast<uint8_t>(near[at] ^ 0x20);  // a letter in the other case
            bool held = false;
            for (const NiffChunkRecord& row : rows) held = held || row.id == near;
            if (!held) {
                EXPECT_EQ(schemas.FindChunk(near), -1) << std::string(near.begin(), near.end());
            }
        }
    }
    for (const FourCC& id : {MakeFourCC("RIFX"), MakeFourCC("LIST"), MakeFourCC("xxxx"), MakeFourCC("    "), MakeFourCC("notf")})
        EXPECT_EQ(schemas.FindChunk(id), -1) << std::string(id.begin(), id.end());
}

// An id's entry carries its chunk's fixed-part size as FixedPartBytes gives it,
// also after a chunk-length table changed it, and says when the size is too
// large for the entry to hold.
TEST(NiffSchemaTest, IdEntriesFollowTheChunkLengthTable) {
    NiffSchemas schemas;
    auto expectEntriesMatch = [&schemas](const char* when) {
        for (int index = 0; index < kNiffChunkTypes; ++index) {
            const FourCC id = schemas.Chunk(index).id;
            const NiffIdEntry entry = schemas.LookUpChunk(id.data());
            const int32_t size = schemas.FixedPartBytes(index);
            EXPECT_EQ(entry.index, index) << when;
            EXPECT_EQ(entry.fixedPartBytes, size <= INT16_MAX ? size : kNiffFixedPartBeyondEntry)
                << when << " " << std::string(id.begin(), id.end());
        }
    };
    expectEntriesMatch("built in");
    schemas.ApplyChunkLength(MakeFourCC("note"), 9);
    schemas.ApplyChunkLength(MakeFourCC("tmsl"), 40000);
    expectEntriesMatch("declared");
    EXPECT_EQ(schemas.LookUpChunk(MakeFourCC("note").data()).fixedPartBytes, 9);
    EXPECT_EQ(schemas.LookUpChunk(MakeFourCC("tmsl").data()).fixedPartBytes, kNiffFixedPartBeyondEntry);
    schemas.ApplyChunkLength(MakeFourCC("part"), 10);  // remakes the plans
    expectEntriesMatch("with short string offsets");
    EXPECT_EQ(schemas.LookUpChunk(MakeFourCC("zzzz").data()).index, -1);
}

// A fixed part declared longer than an id's entry holds is read as declared:
// its fields, then the rest passed over before the tags.
TEST_F(NiffReaderTest, AVeryLongDeclaredFixedPartIsPassedOver) {
    constexpr uint32_t kDeclared = 40000;
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("clt ");
    out.Text("note");
    out.Bytes(std::vector<uint8_t>{0, 0, kDeclared >> 8, kDeclared & 0xFF});
    out.EndChunk();
    out.BeginChunk("note", {1, 2, NiffField::Rational(1, 4)});
    out.Bytes(std::vector<uint8_t>(kDeclared - 6, 0x17));
    out.Tag(2, {5});
    out.EndChunk();
    out.EndList();
    ASSERT_TRUE(Run(out.Take()).complete);
    const auto notes = CallsOf(recorder_, "data note");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].bytes[0], 1);
    const auto tags = CallsOf(recorder_, "tag ");
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0].what, "tag 2");
    EXPECT_EQ(tags[0].bytes[0], 5);
}

// What the reader does with a chunk or a tag follows every registration: a
// second registration replaces the first, a handler taken away stops being
// called while the tag is still stored, and a pass leaves nothing registered.
TEST_F(NiffReaderTest, RegistrationsDecideEachChunkAndTag) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("keys", {3});
    out.Tag(5, {7, 8});
    out.Tag(2, {9});
    out.EndChunk();
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    Recorder recorder;
    auto reader = OpenNiffReader(ByteSource::FromMemory(bytes), &recorder);
    RegisterNiffChunkHandlers(*reader, MakeFourCC("keys"), BeginNiffChunk, nullptr);
    RegisterNiffChunkHandlers(*reader, MakeFourCC("keys"), BeginNiffChunk, [](NiffChunkContext& context, const uint8_t*) {
        static_cast<Recorder*>(context.import)->calls.push_back({"data keys", {}});
        return 1;
    });
    const NiffTagHandler recordTag = [](NiffTagContext& context, const uint8_t*) {
        static_cast<Recorder*>(context.import)->calls.push_back({"tag " + std::to_string(context.tag), {}});
    };
    RegisterNiffTagStorage(*reader, 5);
    RegisterNiffTagHandler(*reader, 5, recordTag);
    RegisterNiffTagHandler(*reader, 5, nullptr);  // stored, no longer handled
    RegisterNiffTagHandler(*reader, 2, recordTag);  // handled, not stored
    ASSERT_TRUE(RunNiffPass(*reader).complete);
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].what, "tag 2");
    EXPECT_EQ(recorder.calls[1].what, "data keys");
    EXPECT_EQ(NiffTagShort(recorder.tags, 5, 2), 8);
    EXPECT_EQ(recorder.tags.flags[5], kNiffTagGiven);
    EXPECT_EQ(recorder.tags.flags[2], 0);

    // The next pass over the same reader, with nothing registered.
    recorder.tags = {};
    ASSERT_TRUE(RunNiffPass(*reader).complete);
    EXPECT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.tags.flags[5], 0);
}

// The calls the handlers get when `bytes` are read from a file are those they
// got from memory.
void ExpectFileReadAsMemory(const std::vector<uint8_t>& bytes, const std::vector<Call>& fromMemory) {
    std::unique_ptr<ByteSource> source = testing::FileSourceOf(bytes);
    ASSERT_NE(source, nullptr);
    Recorder fromFile;
    auto reader = OpenNiffReader(std::move(source), &fromFile);
    testing::RegisterRecorders(*reader);
    ASSERT_TRUE(RunNiffPass(*reader).complete);
    ASSERT_EQ(fromFile.calls.size(), fromMemory.size());
    for (size_t i = 0; i < fromMemory.size(); ++i) {
        EXPECT_EQ(fromFile.calls[i].what, fromMemory[i].what) << "call " << i;
        EXPECT_EQ(fromFile.calls[i].bytes, fromMemory[i].bytes) << "call " << i;
    }
}

// A file read through its 8 KiB buffer gives the handlers what the same bytes
// give from memory, also for the chunks and fields the buffer's ends cut through.
TEST_F(NiffReaderTest, ChunksSplitByTheFileBufferReadAsFromMemory) {
    NiffWriter out;
    out.BeginForm("NIFF");
    for (int i = 0; i < 1200; ++i) {  // about 24 KiB: the buffer's ends fall everywhere
        out.BeginChunk("part", {i, 0x0A0B0C0D, 0x11223344, 7, -1, -2, -3});
        out.Tag(1, {static_cast<int16_t>(i), -5});
        out.Tag(14, {NiffField::Rational(3, 8)});
        out.EndChunk();
    }
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    ASSERT_TRUE(Run(bytes).complete);
    const std::vector<Call> fromMemory = recorder_.calls;
    const auto parts = CallsOf(recorder_, "data part");
    ASSERT_EQ(parts.size(), 1200u);
    EXPECT_EQ(At<int16_t>(parts[5].bytes, 0), 5);
    EXPECT_EQ(At<uint32_t>(parts[5].bytes, 2), 0x0A0B0C0Du);
    EXPECT_EQ(At<uint32_t>(parts[5].bytes, 6), 0x11223344u);  // across the converted part's eighth byte
    EXPECT_EQ(static_cast<int8_t>(parts[5].bytes[13]), -3);

    ExpectFileReadAsMemory(bytes, fromMemory);
}

// The reader reads a file in runs wider than the source's first buffer: chunks
// of three lengths put the ends of the runs at many places in them.
TEST_F(NiffReaderTest, ChunksSplitByTheReadersWideRunsReadAsFromMemory) {
    NiffWriter out;
    out.BeginForm("NIFF");
    for (int i = 0; i < 9000; ++i) {  // about 300 KiB
        out.BeginChunk("part", {i, 0x0A0B0C0D, 0x11223344, 7, -1, -2, -3});
        out.Tag(1, {static_cast<int16_t>(i), -5});
        if (i % 3 != 0) out.Tag(14, {NiffField::Rational(3, 8)});
        if (i % 3 == 2) out.Tag(13, {i % 5});
        out.EndChunk();
    }
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    ASSERT_GT(bytes.size(), 4 * 64 * 1024u);
    ASSERT_TRUE(Run(bytes).complete);
    ASSERT_EQ(CallsOf(recorder_, "data part").size(), 9000u);
    ExpectFileReadAsMemory(bytes, recorder_.calls);
}

}  // namespace
}  // namespace ql::niff
