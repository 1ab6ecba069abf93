// The byte layer of native score files over the shared handle (the save entry point
// is in files/save/score_save.cpp).
#include "files/score_file.h"

#include <utility>

#include "core/state.h"
#include "core/ui/system_error.h"
#include "files/bytes/score_file_handle.h"
#include "platform/sys/file_io.h"

namespace ql {
namespace {

uint32_t g_writeErrorsShown = 0;

// A save in autosave mode shows nothing: its caller reports the failure.
void ReportWriteFailure() {
    ++g_writeErrorsShown;
    if (State().files.AutoSaving) return;
    ShowSystemError(kScoreWriteErrorText, TheScoreFile().LastError());
}

}  // namespace

uint32_t ScoreWriteErrorsShown() {
    return g_writeErrorsShown;
}

int WriteScoreBytes(const void* bytes, uint32_t count) {
    if (count == 0) return 1;
    bool written = TheScoreFile().Write(bytes, count);
    State().files.BytesMoved = TheScoreFile().LastCount();
    if (written) return 1;
    ReportWriteFailure();
    return 0;
}

int ReadScoreBytes(void* buffer, uint32_t count) {
    if (count == 0) return 1;
    bool read = TheScoreFile().Read(buffer, count);
    State().files.BytesMoved = TheScoreFile().LastCount();
    return read ? static_cast<int>(count) : 0;
}

const uint8_t* BorrowScoreBytes(uint32_t count) {
    const uint8_t* bytes = TheScoreFile().Borrow(count);
    State().files.BytesMoved = TheScoreFile().LastCount();
    return bytes;
}

uint64_t ScoreBytesLeft() {
    return TheScoreFile().Remaining();
}

uint64_t ScoreFilePosition() {
    return TheScoreFile().Position();
}

int SeekScoreFile(uint64_t position) {
    return TheScoreFile().Seek(position) ? 1 : 0;
}

int FlushScoreFile() {
    if (TheScoreFile().Flush()) return 1;
    ReportWriteFailure();
    return 0;
}

int OpenScoreFileForRead(const std::string& path) {
    return TheScoreFile().OpenFile(path, sys::FileShare::None) ? 1 : 0;
}

int CreateScoreFileForWrite(const std::string& path) {
    return TheScoreFile().CreateFile(path) ? 1 : 0;
}

int CreateUniqueScoreFileForWrite(const std::string& prefix, const std::string& suffix, std::string* path) {
    return TheScoreFile().CreateUniqueFile(prefix, suffix, path) ? 1 : 0;
}

void OpenScoreImageForRead(std::vector<uint8_t> image) {
    TheScoreFile().OpenImage(std::move(image));
}

void CreateScoreImageForWrite() {
    TheScoreFile().CreateImage();
}

std::vector<uint8_t> TakeScoreImage() {
    return TheScoreFile().TakeImage();
}

int CloseScoreFile() {
    ScoreFile& file = TheScoreFile();
    bool writing = file.GetMode() == ScoreFile::Mode::WriteFile;
    if (!file.Close() && writing) ReportWriteFailure();
    return 0;
}

int FileExists(const std::string& path) {
    int error = 0;
    sys::FileDescriptor file = sys::OpenFileForRead(path, sys::FileShare::ReadWrite, &error);
    if (file == sys::kNoFile) return 0;
    sys::CloseFile(file, nullptr);
    return 1;
}

}  // namespace ql
