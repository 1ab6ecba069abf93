// The user-level commands of native score files: Save, Save As, New Manuscript,
// opening a file by its extension (native scores and templates read here, MIDI,
// NIFF and MusicXML files handed to their imports) and the Import command. Every
// refusal is told to the user and leaves the document, its path, its window
// caption and its file lock as they were.
#pragma once

#include <filesystem>

#include "layout/page/new_manuscript_dialog.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;

// Save (57603): 1 when the document was saved or needed no save, 0 when it was not
// saved. A document that is unnamed, comes from a later major version or was loaded
// damaged goes to Save As.
int SaveDocument(ScoreDocument* document, ScoreView* view);

// Save As (57604): asks for a name and saves under it; 1 when saved, 0 otherwise
// (cancelled or refused, with the document unchanged).
int SaveDocumentAs(ScoreDocument* document, ScoreView* view);

// The folder a score without a folder of its own (a new or imported one) is proposed
// to be saved or exported in: that of the last score saved under a name chosen, else
// the user's documents folder.
std::filesystem::path ProposedSaveFolder();

// Before the last window of a modified score closes: asks whether to save it (Yes,
// No, Cancel). 0 when the window must stay open (Cancel, or a save that did not
// happen); otherwise non-zero, after saving when the answer was Yes.
int AskSaveChanges(ScoreView* view);

// New (57600): runs the New Manuscript dialog and builds a new score, or opens the
// chosen template as an unnamed score.
void CmdNewManuscript();

// What New does with the dialog's choice: nothing for a cancel; the template opened
// as an unnamed score; or a blank unnamed score of the chosen shape. The new view,
// or null when nothing was made.
ScoreView* NewManuscriptFromChoice(const NewManuscriptChoice& choice);
// A blank score of the block's shape named `path`, shown in a new window, not
// modified; null when it cannot be made.
ScoreView* NewScoreFromBlock(const NewScoreBlock& block, const std::string& path);

// Opens a file by its extension: ".nif", ".mid", ".rmi", ".xml" and ".mxl" (any
// case) go to their imports; any other name, also one without an extension, to
// the native reader. 1 when nothing more is to be done (the user was told, the
// file was already open, or an import ran), else the loader's result.
int OpenDocumentFile(const std::filesystem::path& path);

// Open: asks for a file (starting in the folder of the last file opened) and opens
// it by its extension. What OpenDocumentFile returns; 0 when the dialog was cancelled.
int CmdOpenFile();

// The folder of the last native file the user opened (empty before the first).
std::filesystem::path LastOpenFolder();

// Prepares and shows the window of a freshly loaded score.
void ShowLoadedDocument(ScoreView* view);

// Import (40114): runs the import dialog and shows the imported score.
void CmdImportFile();

}  // namespace ql
