// Loading a native score file into a new document: the stream walk in its building
// mode (score_build_sink.h), the finishing steps that make the document whole, and
// the messages of a failed or damaged load. A load either hands back a complete
// view and document or leaves nothing behind: no document, view, flag or record.
#pragma once

#include <string>

namespace ql {

struct ScoreDocument;
struct ScoreView;

// What a load produced. On success the caller owns the view and the document
// (both are in the program-wide lists and the document is the current one;
// FreeLoadedScore releases them).
struct ScoreLoad {
    ScoreView* view = nullptr;
    ScoreDocument* document = nullptr;
    int code = 0;           // 0, or the failure code of the read (file_code)
    bool damaged = false;   // a recovery was used, or face names or fonts were dropped
    int repairedPages = 0;  // pages without systems taken out (the score is modified)
    int repairedMetrics = 0;  // stored metrics out of range replaced by their defaults
};

// The text of the box shown after a damaged load.
inline constexpr char kDamagedFileNotice[] = "The file is damaged. Only part of it could be read.";
// The line the load's one box gives to metrics the read repaired.
inline constexpr char kRepairedMetricsNotice[] =
    "Some settings of the file were out of range and were set to their defaults.";

// The text that tells, once for the whole file, how many pages without systems a
// load took out.
std::string RepairedPagesNotice(int pages);

// Reads the stream open on the shared score file (from its start) into a new view
// and document; shows nothing. A failure frees everything the read made; a success
// makes the score's "Tempo" and on/off setting the program's.
ScoreLoad ReadScoreIntoNewDocument();

// Opens `path`, reads it and closes it. A failure shows its message (none in quiet
// mode; after an internal error during the read, the message names the code) and
// returns the code with nothing built; a damaged document cannot be saved over its
// file (Save goes to Save As) and stays modified. A loaded score that is not a
// ".tpl" takes the path and enters the recent files.
ScoreLoad LoadScoreFile(const std::string& path);

// The one box a successful load has to show once its score is on the screen: the
// damage, and the pages and metrics the read repaired; nothing for a clean load.
void ShowLoadNotice(const ScoreLoad& load);

// Releases a loaded view and document (both may be null).
void FreeLoadedScore(ScoreLoad& load);

}  // namespace ql
