// The calls of the block edits' service table, each doing nothing while its slot
// is empty.
#include "core/ui/block_edit_services.h"

namespace ql {
namespace {

BlockEditServices& Table() {
    static BlockEditServices table;
    return table;
}

}  // namespace

void SetBlockEditServices(const BlockEditServices& services) {
    Table() = services;
}

int PasteMarkedStaffBlock(ScoreView* view) {
    return Table().pasteMarkedStaffBlock != nullptr ? Table().pasteMarkedStaffBlock(view) : 0;
}

int EditBlockAllStaves(ScoreDocument* document, ScoreView* view, int measure) {
    return Table().editBlockAllStaves != nullptr
               ? Table().editBlockAllStaves(document, view, measure)
               : 0;
}

}  // namespace ql
