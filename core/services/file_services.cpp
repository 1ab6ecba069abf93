// The calls of the score files' service table, each doing nothing while its slot
// is empty.
#include "core/services/file_services.h"

#include "core/services/service_call.h"

namespace ql {
namespace {

FileServices& Table() {
    static FileServices table;
    return table;
}

template <auto Slot, typename... Args>
auto Call(Args... args) {
    return CallSlot(Table().*Slot, args...);
}

}  // namespace

void SetFileServices(const FileServices& services) {
    Table() = services;
}

namespace files {

int SaveScoreFile(ScoreDocument* document, ScoreView* view) {
    return Call<&FileServices::saveScoreFile>(document, view);
}
int WriteScoreBytes(const void* bytes, uint32_t count) {
    return Call<&FileServices::writeScoreBytes>(bytes, count);
}
int ReadScoreBytes(void* buffer, uint32_t count) {
    return Call<&FileServices::readScoreBytes>(buffer, count);
}
uint64_t ScoreBytesLeft() {
    return Call<&FileServices::scoreBytesLeft>();
}

}  // namespace files
}  // namespace ql
