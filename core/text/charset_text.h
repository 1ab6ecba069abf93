// Text of a score in its character set (module DRAW): the character sets with their
// names, the character set each primary language is written in, measuring and drawing
// 8-bit text by first converting it through its character set's code page to UTF-16,
// the three measuring modes, and putting typed, pasted or input-method text into a
// text-entry control under the 1,023-byte limit. Code pages themselves come from the
// text layer (platform/text/code_page.h); a code page the layer lacks is read as 1252
// and reported once per run. Keyboard layouts are the desktop's business: choosing one
// for a character set changes nothing and reports success.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

// Longest text a text-entry control takes, in bytes of its character set.
constexpr size_t kMaxEntryTextBytes = 1023;
// Primary languages of LanguageCharsetTable (0..54).
constexpr int kLanguageCharsetEntries = 55;
// Charset byte of a language no character set applies to.
constexpr uint8_t kNoLanguageCharset = 255;

// Measuring modes ("TextSpacingRef"): on the given context, on the text reference
// context (a fixed 600-dpi device, so that widths never vary by machine), and at the
// font's design size scaled to its height.
enum class MeasuringMode : uint8_t { Context = 0, Reference = 1, DesignSize = 2 };

// Code page of a character set; 1252 when not in the table.
uint16_t CodePageOfCharset(uint8_t charset);
// The name shown for a character set ("Symbol", "OEM", "Default" or the table's);
// null when it has none.
const char* CharsetName(uint8_t charset);
// The character set a primary language (the low byte of a language id) is written
// in; kNoLanguageCharset for a language outside the table.
uint8_t LanguageCharset(int primaryLanguage);
// The character sets whose text the program once drew with wide calls.
bool IsWideTextCharset(uint8_t charset);

// "%s (%s)" of text and charset name, "%s\n(%s)" when the name holds a blank, the
// text alone without a name.
std::string CharsetCaption(std::string_view text, uint8_t charset);
// Sets a dialog control's text to CharsetCaption; false when the control is missing.
bool SetCharsetCaption(platform::WindowHandle dialog, int32_t id, uint8_t charset,
                       std::string_view text);

// The UTF-16 form of 8-bit text in a character set: through its code page, or 1252
// (reported once per code page) when the text layer lacks that code page.
std::u16string TextInCharset(uint8_t charset, std::string_view text);
// The UTF-16 unit of each byte of a character set whose text TextInCharset reads
// byte by byte through its code page (one unit per byte); null for the symbol set
// and for code pages read whole (double-byte ones, and those composing marks).
const std::array<char16_t, 256>* ByteUnitsOfCharset(uint8_t charset);
// The character set of the font selected into a context (0 without one).
uint8_t CharsetOfContext(platform::DcHandle dc);

// Extent of text in a character set on a context; false when the context does not
// resolve or the length is negative.
bool TextExtentInCharset(uint8_t charset, platform::DcHandle dc, const char* text, int length,
                         gfx::Size* size);
// Extent with the character set of the context's font.
bool TextExtentOfFont(platform::DcHandle dc, const char* text, int length, gfx::Size* size);
// Extent by the measuring mode in force.
bool MeasureText(platform::DcHandle dc, const char* text, int length, gfx::Size* size);
// Units per em of the context's font; 0 when it has no outline.
int32_t OutlineEmSquare(platform::DcHandle dc);

// Draws the bytes at (x, y) in the character set of the context's font, as they
// stand (no spread). False when nothing could be drawn.
bool DrawTextInCharset(platform::DcHandle dc, int x, int y, std::string_view bytes);
// Draws text at (x, y) on `dc`, spread by character extra to the width the measuring
// context gives it (the target itself when `measuring` is null). Non-zero on success.
int TextOutInCharset(platform::DcHandle dc, platform::DcHandle measuring, int x, int y,
                     const char* text, int length);

// The measuring mode: "TextSpacingRef" as stored. The reference mode makes the
// reference context from the default printer (core/draw/reference_context.h) and
// falls back to the context mode when none can be made; the other modes drop it.
// ReleaseCharsetText frees the reference context and the cached design-size font.
void SetMeasuringMode(MeasuringMode mode);
MeasuringMode CurrentMeasuringMode();
void ReleaseCharsetText();

// Cuts trailing characters with codes 1..32.
void TrimTrailingSpaces(std::string& text);

// The control's text with its selection replaced by `insert`; false (text unchanged)
// when the result would pass kMaxEntryTextBytes.
bool SpliceWithinLimit(std::string& text, int32_t start, int32_t end, std::string_view insert);
// Replaces an edit control's selection by the text, then selects it (`select`) or
// puts the caret after it. 0 when the result would pass the limit (nothing changes).
int InsertTextAtSelection(platform::WindowHandle edit, std::string_view text, bool select);
// Pasted text (UTF-8) in `charset`, trailing characters 1..32 cut.
std::string PastedTextInCharset(uint8_t charset, std::string_view utf8);
// Clipboard text (UTF-8) pasted into a control holding text of `charset`: converted,
// trailing blanks cut, inserted selected; a beep and 0 when it does not fit or is empty.
int PasteTextInCharset(platform::WindowHandle edit, std::string_view utf8, uint8_t charset);
// An input-method result put in at the caret; refused with a beep (0) when it would
// pass the limit.
int InsertInputMethodResult(platform::WindowHandle edit, std::u16string_view result,
                            uint8_t charset);
// Choosing a keyboard layout for a character set: the desktop's input method does
// it; returns the layout passed in, unchanged.
uint32_t SelectKeyboardLayoutForCharset(uint8_t charset, uint32_t currentLayout);
// Putting a layout back after an entry: activating is the desktop's business too.
// Returns the input locale's layout when its primary language writes `charset`, else
// `fallback`.
uint32_t ActivateKeyboardLayoutForCharset(uint32_t layout, uint8_t charset, uint32_t fallback);

}  // namespace ql
