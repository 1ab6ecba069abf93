// The calls of the importers' service table, each importing nothing while its slot
// is empty.
#include "core/ui/import_services.h"

namespace ql {
namespace {

ImportServices& Table() {
    static ImportServices table;
    return table;
}

}  // namespace

void SetImportServices(const ImportServices& services) {
    Table() = services;
}

ScoreView* ImportFileByExtension(const std::filesystem::path& path) {
    return Table().importFileByExtension != nullptr ? Table().importFileByExtension(path) : nullptr;
}

ScoreView* ChooseAndImportFile() {
    return Table().chooseAndImportFile != nullptr ? Table().chooseAndImportFile() : nullptr;
}

}  // namespace ql
