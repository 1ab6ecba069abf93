// The texts and tempo changes of an imported Standard MIDI File as score objects:
// the signature track's first three texts become title lines on the first page,
// copyright notices page lines at its foot, a text at the start of a staff its
// label (taking over the track name met just before it), track and instrument
// names, lyrics and other texts text lines where they fall, and tempo events tempo
// marks. Objects of the signature track go to staff 1. In a single-track file
// (format 0) every text stays a text line where it falls, and the track's name at
// its start names the staff when it fits the first system's indent on one line,
// else it heads the title lines. Page texts and labels wait for the pages to be
// laid out. Text bytes are kept as the file has them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sequencer/channel_events.h"

namespace ql {

struct ScoreView;
struct ScoreObject;

constexpr size_t kMostTitleLines = 3;
constexpr uint8_t kTitleStyle = 12;
constexpr uint8_t kImportedTextStyle = 17;

struct ImportTexts {
    std::vector<std::string> titles;   // at most kMostTitleLines, line breaks removed
    std::vector<std::string> notices;  // one per copyright event
    std::vector<std::string> labels;   // by staff; empty: none
    std::vector<ScoreObject*> trackNames;  // by staff: the remembered track-name line
    std::vector<CellListEnd> ends;         // by staff: where its texts and marks were last appended
    bool singleTrack = false;              // a format-0 file: labels come from names alone
};

void BeginImportTexts(ImportTexts& texts, int staffCount, bool singleTrack = false);

// A meta event of a text type (0x01 text .. 0x05 lyric) met on `staff` (0: the
// signature track) at the staff's current place in the transcription.
void ImportMetaText(ImportTexts& texts, ScoreView* view, int staff, uint8_t type, std::span<const uint8_t> data);

// A tempo mark of `beatsPerMinute` quarters at `staff`'s current place, put in
// staff 1 when `staff` is the signature track; hidden when the import hides tempo.
ScoreObject* ImportTempoMark(ImportTexts& texts, ScoreView* view, int staff, int beatsPerMinute);

// The title lines, notices and staff labels, once the pages are laid out.
void PlaceImportTexts(const ImportTexts& texts, ScoreView* view);

}  // namespace ql
