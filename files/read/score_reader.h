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
    int code = 0;          // 0, or the failure code of the read (file_code)
    bool damaged = false;  // a recovery was used, or face names or fonts were dropped
    int repairs = 0;       // stored values out of range replaced by their defaults
};

// The text of the box shown after a damaged load.
inline constexpr char kDamagedFileNotice[] = "The file is damaged. Only part of it could be read.";
// The text of the box shown after a load that repaired values but lost nothing.
inline constexpr char kRepairedFileNotice[] =
    "Some settings of the file were out of range and were set to their defaults.";

// Reads the stream open on the shared score file (from its start) into a new view
// and document; shows nothing. A failure frees everything the read made; a success
// makes the score's "Tempo" and on/off setting the program's.
ScoreLoad ReadScoreIntoNewDocument();

// Opens `path`, reads it and closes it. A failure shows its message (none in quiet
// mode; after an internal error during the read, the message names the code) and
// returns the code with nothing built; a damaged load shows the notice,
// and the document cannot be saved over its file (Save goes to Save As) and stays
// modified; a load that only replaced values out of range shows its own notice, once.
// A loaded score that is not a ".tpl" takes the path and enters the recent files.
ScoreLoad LoadScoreFile(const std::string& path);

// Releases a loaded view and document (both may be null).
void FreeLoadedScore(ScoreLoad& load);

}  // namespace ql
