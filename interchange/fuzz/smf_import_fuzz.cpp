// Fuzz entry point for the whole Standard MIDI File import: the input is the file,
// imported as the program imports it ("Continue" in Prepare Import). It must end in
// a score, or in a message with no score left behind and no import flag set. Seed
// corpus: interchange/fuzz/smf_seeds (smf_import_fuzz interchange/fuzz/smf_seeds).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "interchange/bench/import_program.h"
#include "interchange/import_commands.h"
#include "platform/sys/folders.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "sequencer/transcription_dialog_resources.h"

namespace {

const std::string& InputPath() {
    static const std::string path =
        (ql::sys::TemporaryFolder() / ("ql_smf_import_fuzz_" + std::to_string(getpid()) + ".mid")).string();
    return path;
}

int CountViews() {
    int count = 0;
    for (ql::ScoreView* view = ql::State().documents.FirstView; view != nullptr; view = view->nextView) ++count;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql;
    PrepareImportProgram();
    std::ofstream(InputPath(), std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                        static_cast<std::streamsize>(size));
    ui::headless::SetDialogScript(import_options_dialog::kDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    ScoreView* view = ImportFileByExtension(InputPath());
    const FileFlags& files = State().files;
    if (files.Importing != 0 || files.MidiFileTransferActive != 0 || files.MidiImportActive != 0) __builtin_trap();
    if (view == nullptr) {
        if (CountViews() != 0 || ui::headless::MessageBoxes().empty()) __builtin_trap();
    } else {
        ScopedDocumentContext context(view);
        ScoreDocument* document = view->document;
        FreeView(view);
        FreeDocument(document);
    }
    std::remove(InputPath().c_str());
    return 0;
}
