// The byte layer of native score files over the shared handle, and the save entry
// point. The stream writer is not built yet: SaveScoreFile reports failure and writes
// nothing until it is, so its callers (autosave, the emergency copy) tell the truth.
#include "files/score_file.h"

#include <utility>

#include "files/bytes/score_file_handle.h"
#include "platform/sys/file_io.h"
#include "shell/system_error.h"

namespace ql {
namespace {

SaveScoreFileHook& TestHook() {
    static SaveScoreFileHook hook;
    return hook;
}

void ReportWriteFailure() {
    ShowSystemError(kScoreWriteErrorText, TheScoreFile().LastError());
}

}  // namespace

void SetSaveScoreFileHookForTests(SaveScoreFileHook hook) {
    TestHook() = std::move(hook);
}

int SaveScoreFile(ScoreDocument* document, ScoreView* view) {
    if (TestHook()) return TestHook()(document, view);
    // provisional: the stream writer (order of the records, backups, verification)
    // is not built; nothing is written and the save reports failure.
    return 0;
}

int WriteScoreBytes(const void* bytes, uint32_t count) {
    if (count == 0) return 1;
    if (TheScoreFile().Write(bytes, count)) return 1;
    ReportWriteFailure();
    return 0;
}

int ReadScoreBytes(void* buffer, uint32_t count) {
    if (count == 0) return 1;
    return TheScoreFile().Read(buffer, count) ? static_cast<int>(count) : 0;
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
