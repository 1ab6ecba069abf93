// What the score model asks of the score files above it: saving a document, and
// the bytes of the score file being written or read that an object's own record
// goes to or comes from. The files fill the table when the program starts
// (files/file_services_install.h); until then, as in a program built without them,
// each call does nothing and gives 0: nothing is saved, written or read.
//
// The calls are in namespace `files`, under the names the files give them.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;

struct FileServices {
    int (*saveScoreFile)(ScoreDocument* document, ScoreView* view) = nullptr;
    int (*writeScoreBytes)(const void* bytes, uint32_t count) = nullptr;
    int (*readScoreBytes)(void* buffer, uint32_t count) = nullptr;
    uint64_t (*scoreBytesLeft)() = nullptr;
};

void SetFileServices(const FileServices& services);

namespace files {

// Saves the document to its path; non-zero on success, 0 on failure.
int SaveScoreFile(ScoreDocument* document, ScoreView* view);
// Writes bytes to the score file being written: 1 on success (count 0 at once),
// 0 on failure (the failure shown).
int WriteScoreBytes(const void* bytes, uint32_t count);
// Reads exactly `count` bytes from the score file being read: 1 for count 0, else
// `count`, or 0 on a short read.
int ReadScoreBytes(void* buffer, uint32_t count);
// Bytes left to read in the score file (0 when none is open for reading).
uint64_t ScoreBytesLeft();

}  // namespace files
}  // namespace ql
