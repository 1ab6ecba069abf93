// LyricObject (type 50): one syllable of sung text attached to a note, on one of four
// verse lines. Lyrics are typed in place under the notes in a loop of entry windows,
// one per syllable: Space or Tab closes the syllable and the entry moves on to the
// next note (across measures and systems), Enter ends the loop, and pasted text is
// spread one word per note. Ctrl-dragging a lyric moves its whole verse line.
//
// A lyric's anchor is a note anchor: an x offset from its note and a y offset from
// its verse line, which lies the document's verse-line offset for that verse below
// the staff. The verse is held in flag bits 8-9.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/text/text_object.h"

namespace ql {

struct EventRecord;
struct ScoreView;

constexpr int kVerseCount = 4;
constexpr uint8_t kLyricUndoType = 50;
// The x offset of a new syllable, and the step it grows by with the syllable's length
// when the syllable is closed with Space or Tab.
constexpr int16_t kLyricStartOffset = 64;
constexpr int16_t kLyricOffsetStep = 64;
// Events whose duration-code byte has this bit take no lyric.
constexpr uint8_t kNoLyricDurationBit = 0x10;
// A verse mask of this or more is reset to 0.
constexpr uint8_t kVerseMaskLimit = 16;

// Program-wide state of lyric typing (user-interface thread only).
struct LyricState {
    uint8_t verseMask = 0;  // the views' verse mask (bits 0-3)
    int currentVerse = 0;
    bool verseLineMoved = false;  // a Ctrl-drag moved a verse line
    uint8_t savedVoiceMask = 0;   // the view's voice mask while the Lyric tool is armed
};
LyricState& TheLyricState();
void ResetLyricState();

// The verse of new lyrics: the lowest bit of the mask, 0 when it is empty (a mask of
// 16 or more is reset to 0 first).
int VerseOfMask(uint8_t& mask);
int LyricVerse(const TextObject* lyric);
void SetLyricVerse(TextObject* lyric, int verse);
// The anchor's x and y offsets from the note.
int16_t LyricXOffset(const TextObject* lyric);
void SetLyricOffsets(TextObject* lyric, int16_t x, int16_t y);

// The x offset that centres a syllable under its note's head: half a black head.
int16_t LyricOffsetUnderHead(const ScoreView* view);

// The x offset of a syllable closed with Space or Tab: 64, plus 64 for an odd length,
// 64 more for over 2 characters and 64 more for over 6.
int16_t SyllableOffset(std::string_view text);

// The first lyric of a verse on a note's attachment chain; null when none.
TextObject* FindLyricOnNote(EventRecord* note, int verse);
// The event at `time` in any voice of the current cell with a lyric of the current
// verse: that lyric, or null.
TextObject* FindNoteLyric(ScoreView* view, int time);
// Repaints every lyric attached to an event of the current cell.
void RefreshCellLyrics(ScoreView* view);

// The next note the entry moves to after `note`: the earliest event of the current
// cell after its time (the last of its chord), passing over events marked by
// kNoLyricDurationBit; else the first such event of the next measure that has one,
// which becomes current. Null at the end of the score.
EventRecord* NextLyricNote(ScoreView* view, EventRecord* note);

// A new empty lyric of `verse` on the note, linked to it; null when it cannot be
// had or linked.
TextObject* NewLyricOnNote(ScoreView* view, EventRecord* note, int verse);

// A new lyric on the note, typed in the entry window: the window's result (the
// syllable is dropped on Escape, on a blank syllable and on 1340). Nothing on a
// master page (2).
int CreateLyricAtNote(ScoreView* view, EventRecord* note);
// Types lyrics from a note (or from a lyric already there) on, until Enter, Escape
// or the end of the score. Each syllable is one undo step.
void RunLyricEntry(ScoreView* view, EventRecord* note, TextObject* startLyric);

// Registers the lyric class over the stored text class of type 50.
void RegisterLyricClass();

}  // namespace ql
