// Test fixture of the score-file tests: a fresh program state on the headless
// backend, the object classes registered as at start-up, a view and a new document
// built for it as the program builds them, and helpers to write records into an
// image, read them back from it and count the records the document's pools hold.
//
// HandBytes writes fixture records by hand, one field per line, from the record
// tables: every call appends little-endian bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"

namespace ql::testing_files {

class HandBytes {
  public:
    HandBytes& u8(uint32_t value);
    HandBytes& u16(uint32_t value);
    HandBytes& u32(uint32_t value);
    // A text field of `width` bytes: the text, then zeros.
    HandBytes& text(const std::string& value, size_t width);
    HandBytes& zeros(size_t count);
    HandBytes& bytes(const std::vector<uint8_t>& value);
    HandBytes& tag(const char* letters);
    const std::vector<uint8_t>& get() const { return bytes_; }
    operator const std::vector<uint8_t>&() const { return bytes_; }  // NOLINT

  private:
    std::vector<uint8_t> bytes_;
};

// Registers every object class the program registers at start-up.
void RegisterAllObjectClasses();

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Staff records for staves 0..staffCount with cells 0..measureCount + 4.
    void BuildStaves(int staffCount, int measureCount);
    MeasureCell* Cell(int staff, int measure);

    // A new object of a type through the class table (null when not registered).
    ScoreObject* Make(ObjectType type);
    // The bytes of one object record (header with its own subtype, then its body).
    std::vector<uint8_t> EncodeObject(ScoreObject* object);
    // The body only (the record without its two header bytes).
    std::vector<uint8_t> EncodeBody(ScoreObject* object);
    // Reads `count` records of `bytes` in file version `version` into a fresh list;
    // the read's result, and the list's first object in *first.
    int ReadObjects(const std::vector<uint8_t>& bytes, uint8_t version, int count,
                    ScoreObject** first);
    ScoreObject* ReadOne(const std::vector<uint8_t>& bytes, uint8_t version = 32);
    // The list head objects are read into (a root object, released with the document).
    ScoreObject* ListHead();
    // Frees every member of the read list.
    void ClearList();

    // Records handed out in the document's pools now.
    int LiveRecords();
    // Makes the shared score file read `bytes`.
    void Feed(const std::vector<uint8_t>& bytes);

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    ScoreObject* head_ = nullptr;
    size_t arenaBytesAtStart_ = 0;
};

// A packed record's field as a value (gtest binds references to what it compares).
template <typename T>
T V(T value) {
    return value;
}

// The bytes of a writer.
inline std::vector<uint8_t> BytesOf(const ByteWriter& writer) {
    return writer.Buffer();
}

}  // namespace ql::testing_files
