// The export and import tests' fixture (see smf_score_fixture.h).
#include "interchange/tests/smf/smf_score_fixture.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <map>

#include "core/draw/fonts.h"
#include "core/draw/reference_context.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "files/bytes/file_faults.h"
#include "interchange/import_commands.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/ties/ties.h"
#include "objects/stored_classes.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/recording.h"
#include "platform/sys/folders.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "sequencer/performance_builder.h"
#include "sequencer/transcription_dialog_resources.h"
#include "sequencer/transcription_stream.h"

namespace ql::testing {

void SmfScoreTest::SetUp() {
    OpenNewDocument([] {
        RegisterStoredObjectClasses();
        RegisterAccidentalClass();
        RegisterRestClass();
        RegisterTieClass();
        RegisterTranscriptionDialogResources();
        ResetProgramOptions();
        ql::Options().KeepQuantizationError = 0;
    });
    ASSERT_EQ(InitStaticPoolSet(), 1);
    MakeStatusBar();
    folder_ = (sys::TemporaryFolder() / ("ql_smf_" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(folder_);
}

void SmfScoreTest::TearDown() {
    for (ScoreView* view : imported_) {
        ScopedDocumentContext context(view);
        ScoreDocument* document = view->document;
        FreeView(view);
        if (document != nullptr) FreeDocument(document);
    }
    ResetFileFaultForTests();
    ResetTranscription();
    ResetProgramOptions();
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    CloseNewDocument();
}

void SmfEngravingTest::SetUp() {
    SmfScoreTest::SetUp();
    ASSERT_TRUE(CreateMusicFonts());
    ASSERT_TRUE(MakeReferenceContext());
    measuring_ = gfx::CreateRecordingContext({});
    ASSERT_TRUE(measuring_);

}

void SmfEngravingTest::TearDown() {
    gfx::DeleteContext(measuring_);
    measuring_ = {};
    DropReferenceContext();
    DeleteMusicFonts();
    SmfScoreTest::TearDown();
}

void SmfScoreTest::BuildScore(int staffCount, int measureCount) {
    doc_->header.staffCount = static_cast<uint8_t>(staffCount);
    doc_->header.measureCount = static_cast<uint16_t>(measureCount);
    for (int s = 0; s <= staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
        ASSERT_TRUE(staff != nullptr && IsStaffComplete(staff));
        doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        for (int v = 0; v < kVoicesPerStaff; ++v)
            staff->timbres[v] = StaffTimbre{0, static_cast<uint8_t>(s > 0 ? s - 1 : 0), 0, 0};
    }
    for (int m = 0; m <= measureCount + 1; ++m) MeasureRecordOf(doc_, m)->lengthTicks = kBarTicks;
}

EventRecord* SmfScoreTest::Note(int staff, int measure, int time, uint8_t code, int step) {
    view_->currentMeasureLength = kBarTicks;
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    return AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(time), code, static_cast<uint8_t>(step));
}

std::string SmfScoreTest::PathOf(const std::string& name) const {
    return folder_ + "/" + name;
}

std::string SmfScoreTest::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

ScoreView* SmfScoreTest::Import(const std::string& path) {
    ui::headless::SetDialogScript(import_options_dialog::kDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    ScoreView* view = ImportFile(path);
    if (view != nullptr) imported_.push_back(view);
    return view;
}

ScoreView* SmfScoreTest::ImportFile(const std::string& path) {
    platform::DcHandle& paint = State().drawing.PaintDC;
    const platform::DcHandle kept = paint;
    if (measuring_) paint = measuring_;
    ScoreView* view = ImportFileByExtension(path);
    paint = kept;
    return view;
}

std::string SmfScoreTest::Notes(ScoreView* view, int staff) {
    ScopedDocumentContext context(view);
    ScoreDocument* document = view->document;
    StaffRecord* record = StaffRecordOf(document, staff);
    std::string text;
    if (record == nullptr) return text;
    for (int m = 1; m <= document->header.measureCount; ++m) {
        MeasureCell* cell = GetOrCreateMeasureCell(record, document, m);
        if (cell == nullptr) continue;
        std::multimap<std::pair<int, int>, std::string> items;
        for (EventRecord* e = GetVoiceFirstEvent(cell, 0); e != nullptr; e = NextEvent(e)) {
            if ((e->word2 & kTieEndsHere) != 0) continue;  // a continued sound, not an onset
            const int key = NoteToMidiKey(record, *e, CellClef(*cell), CellKey(*cell));
            items.emplace(std::make_pair(int{e->time}, key),
                          std::to_string(m) + ":" + std::to_string(e->time) + ":" + std::to_string(key));
        }
        for (const auto& [at, item] : items) text += (text.empty() ? "" : " ") + item;
    }
    return text;
}

int SmfScoreTest::OtherViews(ScoreView* own) {
    int count = 0;
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView)
        if (view != own) ++count;
    return count;
}

std::string PythonWithMido() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const std::string command = std::string(python) + " -c 'import mido' 2>/dev/null";
        if (std::system(command.c_str()) == 0) return python;
    }
    return {};
}

std::string RunPython(const std::string& python, const std::string& script, const std::string& argument) {
    const std::string scriptPath = argument + "_script.py";
    std::ofstream(scriptPath) << script;
    const std::string command = python + " '" + scriptPath + "' '" + argument + "'";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 512> buffer;
        size_t count = 0;
        while ((count = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), count);
        pclose(pipe);
    }
    std::remove(scriptPath.c_str());
    return output;
}

}  // namespace ql::testing
