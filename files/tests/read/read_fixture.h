// Fixture of the reader's tests: the save fixture's document and folder, a stream
// written from a document into memory, a stream read into a new view and document,
// the locations of the stream's sections, and a summary of a document's model (the
// links a writer could hide: beam partners as positions, attachment chains, spacing
// chains, rest lists, page and system chains) for comparing two documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/read/score_reader.h"
#include "files/stream/score_stream_walker.h"
#include "files/tests/save/save_fixture.h"
#include "files/tests/stream/stream_layout.h"

namespace ql::testing_files {

class ReadTest : public SaveTest {
  protected:
    void TearDown() override;

    // The stream of a document, written into memory (empty when the write failed).
    static std::vector<uint8_t> Write(ScoreDocument* document, ScoreView* view);
    // Reads bytes into a new view and document; the test frees them in TearDown.
    ScoreLoad Read(const std::vector<uint8_t>& bytes);
    // The bytes written from a loaded score.
    static std::vector<uint8_t> Rewrite(const ScoreLoad& load) { return Write(load.document, load.view); }
    // Builds the stream fixtures' full score into the fixture's document.
    void BuildFull();

    std::vector<ScoreLoad> loads_;
};

// The offset of the first four letters `tag` in the bytes at or after `from` (the
// size when missing).
size_t FindTag(const std::vector<uint8_t>& bytes, const char* tag, size_t from = 0);
// Little-endian stores into a byte vector.
void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value);
uint16_t GetU16(const std::vector<uint8_t>& bytes, size_t at);


// A stream of the current version rewritten in the stored layout of an older
// `version` (1 to 32): its version field one byte wide holding `raw`, or two bytes;
// the short header for a one-byte field below 18; measure records and spacing
// entries of the version's sizes, and up to version 8 the old margin records. Empty
// when a page holds an object other than its margins and the version needs them
// rewritten.
std::vector<uint8_t> AsOlderVersion(const std::vector<uint8_t>& current, uint8_t version, bool oneByte, uint8_t raw,
                                    int measures);

// A field of a stream as the walk read it.
struct FieldAt {
    uint64_t offset = 0;
    uint64_t length = 0;
    StreamField field = StreamField::Prologue;
};
// The fields of `bytes` in stream order, as the verifying walk reads them with the
// view (its document's pools hold the objects the walk builds and releases); *code
// gets the walk's result. With `recover` the walk reads past damage as a load does.
std::vector<FieldAt> StreamFieldsOf(const std::vector<uint8_t>& bytes, ScoreView* view, int* code,
                                    bool recover = false);

// The model of a document as lines of text, one per record, in walk order.
std::vector<std::string> SummariseModel(ScoreDocument* document);

}  // namespace ql::testing_files
