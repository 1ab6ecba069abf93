// Save, Save As, Open by extension and New: what each writes, which boxes it shows,
// and that every refusal leaves the document's path, its file and its lock as they
// were. File dialogs and boxes are answered by the headless backend.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/view.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "files/commands/file_commands.h"
#include "files/score_file.h"
#include "files/tests/read/read_fixture.h"
#include "files/tests/save/save_fixture.h"
#include "interchange/import_commands.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_format.h"
#include "platform/sys/file_lock.h"
#include "platform/tests/sys/scratch_folder.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"

namespace ql::testing_files {
namespace {

namespace fs = std::filesystem;

class FileCommandsTest : public SaveTest {
  protected:
    void SetUp() override {
        SaveTest::SetUp();
        ui::headless::ResetFileDialogs();
        sys::SetLockFolder(PathOf("locks"));
    }
    void TearDown() override {
        for (ScoreView* view : opened_) {
            ScoreDocument* document = view->document;
            sys::ReleaseFileLock(document->fileLock);
            FreeView(view);
            FreeDocument(document);
        }
        sys::ReleaseFileLock(doc_->fileLock);
        SetSaveScoreFileHookForTests({});
        ui::headless::ResetFileDialogs();
        sys::SetLockFolder({});
        SaveTest::TearDown();
    }

    static void AnswerFileDialog(const std::string& path,
                             ui::FileDialogStatus status = ui::FileDialogStatus::Chosen) {
        ui::headless::QueueFileDialogAnswer(ui::FileDialogAnswer{status, path});
    }
    // Another process (another open of the lock file) holds `path`.
    static bool LockedElsewhere(const std::string& path) {
        sys::FileLock probe = sys::LockFileForEditing(path);
        const bool elsewhere = probe.status == sys::FileLockStatus::HeldElsewhere;
        sys::ReleaseFileLock(probe.descriptor);
        return elsewhere;
    }
    // Saves the fixture's score to `path` (its own path is put back).
    void SaveCopyAt(const std::string& path) {
        const std::string own = doc_->path;
        doc_->path = path;
        ASSERT_NE(SaveScoreFile(doc_, view_), 0);
        doc_->path = own;
    }
    // The views the program lists, besides the fixture's; remembered for TearDown.
    std::vector<ScoreView*> NewViews() {
        std::vector<ScoreView*> views;
        for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
            if (view == view_) continue;
            views.push_back(view);
            bool known = false;
            for (ScoreView* old : opened_) known = known || old == view;
            if (!known) opened_.push_back(view);
        }
        return views;
    }
    std::string BoxText(size_t index) const { return ui::headless::MessageBoxes().at(index).text; }

    std::vector<ScoreView*> opened_;
};

// ---- Save ----

TEST_F(FileCommandsTest, SaveWritesOnlyAModifiedNamedDocument) {
    BuildSmallScore();
    // Unmodified: succeeds without writing.
    ClearDocumentModified(doc_);
    EXPECT_EQ(SaveDocument(doc_, view_), 1);
    EXPECT_FALSE(Exists(doc_->path));
    // Modified: written onto its own file, no dialog asked.
    SetDocumentModified(doc_);
    EXPECT_EQ(SaveDocument(doc_, view_), 1);
    EXPECT_EQ(VerifyFile(doc_->path), 0);
    EXPECT_TRUE(ui::headless::FileDialogs().empty());
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(FileCommandsTest, SaveRefusesAReadOnlyFile) {
    BuildSmallScore();
    SaveCopyAt(doc_->path);
    const std::vector<uint8_t> before = Bytes(doc_->path);
    ASSERT_EQ(chmod(doc_->path.c_str(), 0444), 0);
    SetDocumentModified(doc_);
    EXPECT_EQ(SaveDocument(doc_, view_), 0);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(BoxText(0), "File " + doc_->path + " is a read-only file.");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].style & ui::kBoxIconMask, ui::kBoxIconStop);
    EXPECT_EQ(Bytes(doc_->path), before);
}

TEST_F(FileCommandsTest, SaveOfAnUnnamedDocumentGoesToSaveAs) {
    BuildSmallScore();
    SetDocumentModified(doc_);
    const std::vector<std::string> unnamed = {
        "untitled_NEW",               // a new score
        "UNTITLED.ql",                // "untitled" in any case
        PathOf("no_extension"),       // no extension
        PathOf("dotted.folder/name"), // a '.' in a folder is not an extension
        "",                           // no path at all
    };
    for (const std::string& path : unnamed) {
        ui::headless::ResetFileDialogs();
        doc_->path = path;
        EXPECT_EQ(SaveDocument(doc_, view_), 0) << path;  // the dialog is cancelled
        ASSERT_EQ(ui::headless::FileDialogs().size(), 1u) << path;
        EXPECT_EQ(ui::headless::FileDialogs()[0].title, "Save As");
        EXPECT_EQ(ui::headless::FileDialogs()[0].defaultExtension, "QL");
        EXPECT_EQ(ui::headless::FileDialogs()[0].initialName, fs::path(path));
    }
    // A named document from a later major version (or a damaged load) goes there too.
    ui::headless::ResetFileDialogs();
    doc_->path = PathOf("score.ql");
    doc_->laterMajorVersion = 1;
    EXPECT_EQ(SaveDocument(doc_, view_), 0);
    EXPECT_EQ(ui::headless::FileDialogs().size(), 1u);
    EXPECT_FALSE(Exists(doc_->path));
}

// A new or imported score (a name in no folder) is proposed the documents folder,
// then the folder of the last score saved under a chosen name.
TEST_F(FileCommandsTest, ScoresWithoutAFolderAreProposedTheLastSaveFolder) {
    BuildSmallScore();
    fs::create_directories(PathOf("documents"));
    fs::create_directories(PathOf("kept"));
    testing::ScopedEnvironment documents("XDG_DOCUMENTS_DIR", PathOf("documents"));
    SetDocumentModified(doc_);
    doc_->path = "tune_MIDI.ql";
    EXPECT_EQ(SaveDocument(doc_, view_), 0);  // asked, and cancelled
    AnswerFileDialog(PathOf("kept/first.ql"));
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 1);
    doc_->path = "Untitled2";
    EXPECT_EQ(SaveDocument(doc_, view_), 0);
    const auto& shown = ui::headless::FileDialogs();
    ASSERT_EQ(shown.size(), 3u);
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i].initialFolder, fs::path(PathOf(i < 2 ? "documents" : "kept"))) << i;
}

// ---- Save As ----

TEST_F(FileCommandsTest, SaveAsMovesNameAndLockToTheNewFile) {
    BuildSmallScore();
    const std::string oldPath = doc_->path;
    doc_->fileLock = sys::LockFileForEditing(oldPath).descriptor;
    ASSERT_GE(doc_->fileLock, 0);
    doc_->laterMajorVersion = 1;
    const std::string newPath = PathOf("renamed.ql");
    AnswerFileDialog(newPath);
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 1);
    EXPECT_EQ(doc_->path, newPath);
    EXPECT_EQ(doc_->laterMajorVersion, 0);
    EXPECT_EQ(VerifyFile(newPath), 0);
    // The new file's lock is held, the old one's let go.
    EXPECT_TRUE(LockedElsewhere(newPath));
    EXPECT_FALSE(LockedElsewhere(oldPath));
    // The saved document is named now: Save writes without a dialog.
    SetDocumentModified(doc_);
    EXPECT_EQ(SaveDocument(doc_, view_), 1);
    EXPECT_EQ(ui::headless::FileDialogs().size(), 1u);
}

TEST_F(FileCommandsTest, SaveAsOntoItsOwnFileIsRefusedAndWritesNothing) {
    BuildSmallScore();
    SaveCopyAt(doc_->path);
    const std::vector<uint8_t> before = Bytes(doc_->path);
    SetDocumentModified(doc_);
    // The same file, reached through another spelling of its path.
    AnswerFileDialog(folder_ + "/./score.ql");
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(BoxText(0), "File \"" + folder_ + "/./score.ql\"  is already open in another view.");
    EXPECT_EQ(Bytes(doc_->path), before);
    EXPECT_EQ(doc_->path, PathOf("score.ql"));
}

TEST_F(FileCommandsTest, SaveAsRefusesAFileOpenElsewhere) {
    BuildSmallScore();
    // Open in another score window of this program.
    ScoreView* other = InitView(AllocView());
    LinkView(other);
    ScoreDocument* otherDoc = AllocDocument();
    ASSERT_EQ(CreateDocument(otherDoc, other, nullptr), otherDoc);
    otherDoc->path = PathOf("other.ql");
    opened_.push_back(other);
    AnswerFileDialog(PathOf("other.ql"));
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    EXPECT_EQ(BoxText(0), "File \"" + PathOf("other.ql") + "\"  is already open in another view.");
    // Held by another process.
    sys::FileLock held = sys::LockFileForEditing(PathOf("held.ql"));
    ASSERT_EQ(held.status, sys::FileLockStatus::Held);
    AnswerFileDialog(PathOf("held.ql"));
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    ASSERT_EQ(Boxes(), 2u);
    EXPECT_EQ(BoxText(1), "File \"" + PathOf("held.ql") + "\"  is already open in another process.");
    sys::ReleaseFileLock(held.descriptor);
    EXPECT_EQ(doc_->path, PathOf("score.ql"));
    EXPECT_FALSE(Exists(PathOf("other.ql")));
    EXPECT_FALSE(Exists(PathOf("held.ql")));
}

TEST_F(FileCommandsTest, SaveAsRefusesBadNames) {
    BuildSmallScore();
    // A chosen name of 260 bytes is too long; one of 259 is saved.
    const std::string tooLong = folder_ + "/" + std::string(260 - folder_.size() - 4, 'n') + ".ql";
    ASSERT_EQ(tooLong.size(), 260u);
    AnswerFileDialog(tooLong);
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(BoxText(0), "File \"" + tooLong + "\" name is longer than 259 characters.");
    EXPECT_FALSE(Exists(tooLong));
    const std::string longest = tooLong.substr(0, 256) + ".ql";
    AnswerFileDialog(longest);
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 1);
    EXPECT_TRUE(Exists(longest));
    // The dialog's own refusals, each with its text; a cancel shows nothing.
    AnswerFileDialog("bad\1name", ui::FileDialogStatus::InvalidName);
    AnswerFileDialog("huge", ui::FileDialogStatus::NameTooLong);
    AnswerFileDialog("x.ql", ui::FileDialogStatus::Failed);
    AnswerFileDialog("", ui::FileDialogStatus::Cancelled);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    ASSERT_EQ(Boxes(), 4u);
    EXPECT_EQ(BoxText(1), "File \"bad\1name\" name is not valid.");
    EXPECT_EQ(BoxText(2), "File \"huge\" name is longer than 259 characters.");
    EXPECT_EQ(BoxText(3), "Unable to save file as \"x.ql\"");
    EXPECT_EQ(doc_->path, longest);
}

TEST_F(FileCommandsTest, SaveAsOverAnExistingFileAsksFirst) {
    BuildSmallScore();
    const std::string target = PathOf("existing.ql");
    SaveCopyAt(target);
    const std::vector<uint8_t> before = Bytes(target);
    BuildSmallScore(1, 3);  // the document now differs from the file
    // No: nothing written, the target's lock let go again.
    AnswerFileDialog(target);
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(BoxText(0), "File already exists.  Replace " + target + " ?");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, "Save As");
    EXPECT_EQ(Bytes(target), before);
    EXPECT_FALSE(LockedElsewhere(target));
    // Read-only: refused before asking.
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    AnswerFileDialog(target);
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    EXPECT_EQ(BoxText(1), "File " + target + " is a read-only file.");
    EXPECT_FALSE(LockedElsewhere(target));
    // Yes: replaced.
    ASSERT_EQ(chmod(target.c_str(), 0644), 0);
    AnswerFileDialog(target);
    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 1);
    EXPECT_NE(Bytes(target), before);
    EXPECT_EQ(doc_->path, target);
}

TEST_F(FileCommandsTest, FailedSaveAsPutsPathAndLockBack) {
    BuildSmallScore();
    const std::string oldPath = doc_->path;
    doc_->fileLock = sys::LockFileForEditing(oldPath).descriptor;
    const int oldLock = doc_->fileLock;
    std::string pathDuringSave;
    SetSaveScoreFileHookForTests([&](ScoreDocument* document, ScoreView*) {
        pathDuringSave = document->path;
        return 0;
    });
    AnswerFileDialog(PathOf("failing.ql"));
    EXPECT_EQ(SaveDocumentAs(doc_, view_), 0);
    EXPECT_EQ(pathDuringSave, PathOf("failing.ql"));  // the writer saw the new name
    EXPECT_EQ(doc_->path, oldPath);
    EXPECT_EQ(doc_->fileLock, oldLock);
    EXPECT_TRUE(LockedElsewhere(oldPath));
    EXPECT_FALSE(LockedElsewhere(PathOf("failing.ql")));
}

// ---- Open by extension ----

TEST_F(FileCommandsTest, OpenSendsImportExtensionsToTheirImportsInAnyCase) {
    const std::vector<std::string> imports = {"a.mid", "B.MID", "c.Rmi", "d.nif", "e.NIF",
                                              "f.xml", "g.XmL", "h.mxl", "i.MXL", "j.ql.mid"};
    for (const std::string& name : imports) {
        EXPECT_EQ(OpenDocumentFile(PathOf(name)), 1) << name;
    }
    // None of the files exists: each import says it cannot open its file.
    ASSERT_EQ(Boxes(), imports.size());
    for (size_t i = 0; i < imports.size(); ++i) {
        const bool musicXml = i >= 5 && i < 9;
        if (musicXml)
            EXPECT_EQ(BoxText(i), imports[i] + ": cannot open " + PathOf(imports[i])) << imports[i];
        else
            EXPECT_EQ(BoxText(i).rfind("File open error", 0), 0u) << imports[i];
    }
    EXPECT_TRUE(NewViews().empty());
    EXPECT_EQ(State().files.Opening, 0);
}

TEST_F(FileCommandsTest, OpenReadsEveryOtherNameNatively) {
    BuildSmallScore();
    // ".ql", no extension, an unknown one, and an import extension inside a folder name.
    const std::vector<std::string> names = {"a.ql", "noext", "c.QL", "d.midi", "e.mid.bak"};
    for (const std::string& name : names) SaveCopyAt(PathOf(name));
    for (const std::string& name : names) {
        EXPECT_EQ(OpenDocumentFile(PathOf(name)), 1) << name;
    }
    const std::vector<ScoreView*> views = NewViews();  // the newest first
    ASSERT_EQ(views.size(), names.size());
    EXPECT_EQ(Boxes(), 0u);
    for (size_t i = 0; i < names.size(); ++i) {
        ScoreDocument* document = views[names.size() - 1 - i]->document;
        EXPECT_EQ(document->path, PathOf(names[i]));
        EXPECT_EQ(document->changeCounter, 0) << names[i];
        EXPECT_GE(document->fileLock, 0) << names[i];
        EXPECT_TRUE(LockedElsewhere(PathOf(names[i])));
        EXPECT_EQ(views[names.size() - 1 - i]->currentPage, document->firstPage);
    }
    EXPECT_EQ(State().files.Opening, 0);
}

TEST_F(FileCommandsTest, OpenOfAFileAlreadyShownOpensNothing) {
    BuildSmallScore();
    SaveCopyAt(PathOf("twice.ql"));
    ASSERT_EQ(OpenDocumentFile(PathOf("twice.ql")), 1);
    ASSERT_EQ(NewViews().size(), 1u);
    // Again, by another spelling of the path: the window is there already.
    EXPECT_EQ(OpenDocumentFile(PathOf("./twice.ql")), 1);
    EXPECT_EQ(NewViews().size(), 1u);
    EXPECT_EQ(Boxes(), 0u);  // no read was tried: not even the lock was asked for
    EXPECT_EQ(State().files.Opening, 0);
}

TEST_F(FileCommandsTest, OpenThatFailsLeavesNothingBehind) {
    // Not a score file: told, no window, the file's lock let go.
    const std::string junk = PathOf("junk.ql");
    { std::FILE* f = std::fopen(junk.c_str(), "wb"); ASSERT_NE(f, nullptr); std::fputs("not a score at all, not at all", f); std::fclose(f); }
    EXPECT_EQ(OpenDocumentFile(junk), 1);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_TRUE(NewViews().empty());
    EXPECT_FALSE(LockedElsewhere(junk));
    // Held by another process: told by the lock check, nothing read.
    BuildSmallScore();
    SaveCopyAt(PathOf("held.ql"));
    sys::FileLock held = sys::LockFileForEditing(PathOf("held.ql"));
    EXPECT_EQ(OpenDocumentFile(PathOf("held.ql")), 1);
    sys::ReleaseFileLock(held.descriptor);
    EXPECT_EQ(Boxes(), 2u);
    EXPECT_TRUE(NewViews().empty());
    // Read-only, and the user declines.
    ASSERT_EQ(chmod(PathOf("held.ql").c_str(), 0444), 0);
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(OpenDocumentFile(PathOf("held.ql")), 1);
    EXPECT_EQ(BoxText(2), "File " + PathOf("held.ql") + " is a read-only file.\nDo you want to continue?");
    EXPECT_TRUE(NewViews().empty());
    EXPECT_EQ(State().files.Opening, 0);
}

// A damaged file (its label lengths cut short) opens beside another score: the
// recovered score is shown with the one notice and stays modified; Save offers
// Save As, so the file is never written over; the other score is as it was.
TEST_F(FileCommandsTest, OpenOfADamagedFileShowsItAndNeverSavesOverIt) {
    BuildSmallScore(1, 2);
    SaveCopyAt(PathOf("damaged.ql"));
    std::vector<uint8_t> damaged = Bytes(PathOf("damaged.ql"));
    const size_t ports = GetU16(damaged, kPortCountAt);
    const size_t label = FirstLabelLengthAt(1, ports);
    PutU16(damaged, label, 0xFFFF);
    { std::FILE* f = std::fopen(PathOf("damaged.ql").c_str(), "wb"); ASSERT_NE(f, nullptr);
      std::fwrite(damaged.data(), 1, damaged.size(), f); std::fclose(f); }
    const std::vector<std::string> otherBefore = SummariseModel(doc_);
    const int otherChanges = doc_->changeCounter;

    EXPECT_EQ(OpenDocumentFile(PathOf("damaged.ql")), 1);
    const std::vector<ScoreView*> views = NewViews();
    ASSERT_EQ(views.size(), 1u);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(BoxText(0), kDamagedFileNotice);
    ScoreDocument* opened = views[0]->document;
    EXPECT_EQ(views[0]->currentPage, opened->firstPage);
    EXPECT_NE(opened->changeCounter, 0);  // closing it asks

    // Save goes to Save As with the old name offered; cancelled, nothing is written.
    EXPECT_EQ(SaveDocument(opened, views[0]), 0);
    ASSERT_EQ(ui::headless::FileDialogs().size(), 1u);
    EXPECT_EQ(ui::headless::FileDialogs()[0].title, "Save As");
    EXPECT_EQ(Bytes(PathOf("damaged.ql")), damaged);
    // A Save As elsewhere writes the recovered score and lets it be saved again.
    AnswerFileDialog(PathOf("recovered.ql"));
    EXPECT_EQ(SaveDocument(opened, views[0]), 1);
    EXPECT_EQ(VerifyFile(PathOf("recovered.ql")), 0);
    EXPECT_EQ(opened->laterMajorVersion, 0);
    EXPECT_EQ(Bytes(PathOf("damaged.ql")), damaged);

    EXPECT_EQ(SummariseModel(doc_), otherBefore);
    EXPECT_EQ(doc_->changeCounter, otherChanges);
    EXPECT_EQ(State().files.ScoreFileReading, 0);
    EXPECT_EQ(State().files.Opening, 0);
}

TEST_F(FileCommandsTest, ATemplateOpensAsAnUnnamedScore) {
    BuildSmallScore(2, 2);
    SaveCopyAt(PathOf("shape.TPL"));
    // Opened by extension: unnamed, so its first Save goes to Save As.
    ASSERT_EQ(OpenDocumentFile(PathOf("shape.TPL")), 1);
    std::vector<ScoreView*> views = NewViews();
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0]->document->path, "untitled_NEW");
    EXPECT_EQ(SaveDocument(views[0]->document, views[0]), 0);
    EXPECT_EQ(ui::headless::FileDialogs().size(), 1u);
    // Chosen in New: the same, at page 1 and its first system, without the lock.
    NewManuscriptChoice choice;
    choice.accepted = true;
    choice.useTemplate = true;
    choice.templatePath = PathOf("shape.TPL");
    ScoreView* view = NewManuscriptFromChoice(choice);
    ASSERT_NE(view, nullptr);
    views = NewViews();
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(view->document->path, "untitled_NEW");
    EXPECT_EQ(view->document->header.staffCount, 2);
    EXPECT_EQ(view->currentPage, view->document->firstPage);
    EXPECT_EQ(view->currentSystem, view->document->firstPage->firstSystem.get());
    EXPECT_EQ(view->document->fileLock, -1);
    EXPECT_EQ(State().files.OpeningAsBase, 0);
}

// A score (not a template) chosen in New gives the new manuscript its first page
// only; the same score saved as a template gives it everything. Both are unnamed and
// unchanged, and the file chosen is left as it was.
TEST_F(FileCommandsTest, AScoreChosenAsTheBaseGivesItsFirstPage) {
    BuildSmallScore(1, 3);
    {
        ScopedPoolSet pools(doc_->pools);
        doc_->firstPage->firstMeasure = 1;
        doc_->firstPage->lastMeasure = 1;
        ASSERT_EQ(AppendPage(view_), 1);
    }
    ASSERT_EQ(doc_->header.pageCount, 2);
    State().files.TrimPagesOption = 0;  // the files keep the empty measures and page
    SaveCopyAt(PathOf("base.ql"));
    SaveCopyAt(PathOf("base.tpl"));
    const std::vector<uint8_t> file = Bytes(PathOf("base.ql"));
    const auto chosen = [&](const char* name) {
        NewManuscriptChoice choice;
        choice.accepted = true;
        choice.useTemplate = true;
        choice.templatePath = PathOf(name);
        return NewManuscriptFromChoice(choice);
    };

    ScoreView* fromScore = chosen("base.ql");
    ASSERT_NE(fromScore, nullptr);
    EXPECT_EQ(fromScore->document->header.pageCount, 1);
    EXPECT_EQ(fromScore->document->header.measureCount, 1);
    EXPECT_EQ(fromScore->document->path, "untitled_NEW");
    EXPECT_EQ(fromScore->document->changeCounter, 0);
    EXPECT_EQ(Bytes(PathOf("base.ql")), file);

    ScoreView* fromTemplate = chosen("base.tpl");
    ASSERT_NE(fromTemplate, nullptr);
    EXPECT_EQ(fromTemplate->document->header.pageCount, 2);
    EXPECT_GT(fromTemplate->document->header.measureCount, 1);
    EXPECT_EQ(NewViews().size(), 2u);
}

TEST_F(FileCommandsTest, OpenCommandAsksForAFileInTheLastFolderUsed) {
    BuildSmallScore();
    fs::create_directory(PathOf("sub"));
    SaveCopyAt(PathOf("sub/one.ql"));
    // Cancelled: nothing opened.
    EXPECT_EQ(CmdOpenFile(), 0);
    ASSERT_EQ(ui::headless::FileDialogs().size(), 1u);
    EXPECT_EQ(ui::headless::FileDialogs()[0].title, "Open Quaverlinescribe File");
    EXPECT_EQ(ui::headless::FileDialogs()[0].initialName, fs::path("*.ql"));
    EXPECT_TRUE(NewViews().empty());
    // Chosen: opened, and its folder is where the next Open starts.
    AnswerFileDialog(PathOf("sub/one.ql"));
    EXPECT_EQ(CmdOpenFile(), 1);
    EXPECT_EQ(NewViews().size(), 1u);
    EXPECT_EQ(LastOpenFolder(), fs::path(PathOf("sub")));
    CmdOpenFile();
    EXPECT_EQ(ui::headless::FileDialogs()[2].initialFolder, fs::path(PathOf("sub")));
}

// ---- New ----

TEST_F(FileCommandsTest, NewBuildsTheDialogsChoice) {
    // Cancelled: nothing made.
    EXPECT_EQ(NewManuscriptFromChoice(NewManuscriptChoice{}), nullptr);
    EXPECT_TRUE(NewViews().empty());
    // Three staves per system.
    const auto savedMetrics = std::to_array(Options().Metrics);
    SetDefaultMetrics();
    NewManuscriptChoice choice;
    choice.accepted = true;
    choice.block = doc_->header.newScoreBlock;
    choice.block.initStavesPerSystem = 3;
    ScoreView* view = NewManuscriptFromChoice(choice);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(NewViews().size(), 1u);
    ScoreDocument* document = view->document;
    EXPECT_EQ(document->header.staffCount, 3);
    EXPECT_EQ(document->path, "untitled_NEW");
    EXPECT_EQ(document->changeCounter, 0);
    EXPECT_EQ(view->currentPage, document->firstPage);
    // Its file stores the metrics it is engraved with: the header's distances read
    // back give the same ones.
    uint16_t engraved[kPageDistanceCount];
    std::copy(std::begin(document->internalDistances), std::end(document->internalDistances), engraved);
    EXPECT_NE(engraved[static_cast<int>(EngravingMetric::StaffLineWid)], 0);
    ConvertHeaderToInternal(document);
    EXPECT_TRUE(std::equal(std::begin(engraved), std::end(engraved), std::begin(document->internalDistances)));
    std::copy(savedMetrics.begin(), savedMetrics.end(), std::begin(Options().Metrics));
    // A new score is unnamed: Save asks for a name.
    SetDocumentModified(document);
    EXPECT_EQ(SaveDocument(document, view), 0);
    EXPECT_EQ(ui::headless::FileDialogs().size(), 1u);
    // The command runs the dialog and clears the opening flag.
    RegisterPageLayoutResources();
    ui::headless::SetDialogScript(new_manuscript_dialog::kNewManuscriptDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    CmdNewManuscript();
    EXPECT_EQ(NewViews().size(), 2u);
    EXPECT_EQ(State().files.Opening, 0);
}

TEST_F(FileCommandsTest, CancelledImportCommandMakesNothing) {
    CmdImportFile();
    ASSERT_EQ(ui::headless::FileDialogs().size(), 1u);
    EXPECT_EQ(ui::headless::FileDialogs()[0].title, kImportTitle);
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_TRUE(NewViews().empty());
    EXPECT_EQ(State().files.Opening, 0);
}

}  // namespace
}  // namespace ql::testing_files
