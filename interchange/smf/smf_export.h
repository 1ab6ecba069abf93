// "Export to Standard Midi File": the score as a format-1 file at 1,024 ticks per
// quarter, a conductor track (title, copyright, name, key and time signatures,
// tempo) and one track per staff (name, instrument, key, program change, then its
// notes, other channel messages and system-exclusive messages). The file is written under a temporary name
// beside the target and renamed over it only when every track and the close have
// succeeded; any failure leaves an existing target as it was and shows no "OK".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

constexpr int kExportDivision = 1024;

// The title and copyright kept between exports (99 characters each).
struct SmfExportTexts {
    std::string title;
    std::string copyright;
};
SmfExportTexts& KeptExportTexts();

// The name proposed for the export of a score at `scorePath`: the extension of its
// last component replaced by ".MID".
std::filesystem::path ProposedExportName(const std::string& scorePath);

// The score's title as the export proposes it: the first text line of the title
// style on its pages that is not the page number's word (a leading '%' dropped), at
// most 99 characters; empty when there is none.
std::string FindScoreTitle(ScoreView* view);

// Dialog 902, "MIDI Header Information": the title (the score's own when it has
// one, else the kept one) and the kept copyright; OK keeps both (99 characters
// each). False when cancelled: the export then ends.
bool RunMidiHeaderDialog(ScoreView* view, SmfExportTexts& texts);
intptr_t MidiHeaderDlgProc(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data);

// Writes the view's score to `path`; true when the file is in place (status "OK").
bool WriteStandardMidiFile(ScoreView* view, const std::string& path, const SmfExportTexts& texts);

// The command: the save dialog, the title and copyright (dialog 902), the replace
// question, then the writing. Nothing while a run plays.
void ExportStandardMidiFile(ScoreView* view);

}  // namespace ql
