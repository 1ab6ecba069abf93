// Test hook of the file operations of a save: makes the n-th call of one operation
// (a write to the score file, a flush of its buffer, its fsync, a read of a file,
// the rename over the document, the link that makes a backup) fail with a chosen
// error number, as a full disk or a failing device would. Tests only; the program
// never sets it, and it is off after ResetFileFaultForTests.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>

namespace ql {

enum class FileStep : uint8_t { None, Write, Flush, Sync, Read, Rename, Link };

struct FileFault {
    FileStep step = FileStep::None;
    int nth = 1;        // the call that fails, counted from 1 after the fault is set
    int error = EIO;    // the error number it fails with (0: the call goes on)
    // Runs at that call instead of (or before) failing it: something the program
    // does meanwhile, such as an internal error reported during a save.
    std::function<void()> action;
};

void SetFileFaultForTests(FileFault fault);
void ResetFileFaultForTests();
// The error number this call of `step` is to fail with, or 0 (counts the call).
int InjectedFileFault(FileStep step);
// The calls of `step` counted since the fault was set (for a sweep over every n).
int FileStepCalls(FileStep step);

namespace file_fault_detail {
extern bool g_faultSet;
}  // namespace file_fault_detail

// Whether a fault has been set (and not reset since). Only then can a call fail or
// need counting: a call on the fast path of a write may skip InjectedFileFault while
// this is false. Inline, for the writes of a save's every record.
inline bool FileFaultSet() {
    return file_fault_detail::g_faultSet;
}

}  // namespace ql
