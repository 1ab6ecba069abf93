// TextObject: the base class of every score object that shows a string or one
// symbol character (clefs, keys, accidentals and articulations draw a music-font
// glyph through it; text lines, lyrics, chord symbols, endings and the MIDI marks
// draw text). A 38-byte body after the object header, in pool 8 (type 44 unless a
// subclass sets another). The object owns its pooled string (flag 0) and frees it
// when destroyed; its font and bitmap caches are rebuilt on demand.
//
// Flag bit 6 (yFromStaff): a note-anchored object takes its y from the staff, not
// the note (lyrics and note-attached MIDI marks set it; Home toggles it). Bit 7
// (musicGlyph): the single character is a music-font code. `size` is the font
// height in logical font units, negative for a character height; dialogs show its
// magnitude in 160ths, keeping the sign.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <type_traits>

#include "core/objects/class_table.h"
#include "core/objects/score_byte_reader.h"
#include "core/memory/pool.h"
#include "core/objects/score_object.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct QuickFontRecord;

#pragma pack(push, 1)
struct TextObjectBody {
    ObjectLocation location;  // anchor of the text
    uint16_t flags;           // kText* bits
    int16_t size;             // font height; < 0 a character height
    uint8_t style;         // 1..3 program styles, 0, 4..23 document fonts; own font: face index
    uint8_t charset;       // character set of an own font; the clef kind for clefs
    int32_t width;         // measured, at least 64
    int32_t height;        // measured, 64..2048
    uint32_t fontCache;    // platform font handle bits of an own font (run time)
    uint16_t stringPool;   // pool of the pooled string
    uint16_t string;       // RecordHandle of the string (flag 0), else the character
    uint32_t bitmapCache;  // platform bitmap handle bits of the drag image (run time)
    uint16_t baseline;     // baseline offset from the top
    uint16_t extra;        // class-defined; stored from file version 30 on
};

struct TextObject {
    ScoreObject header;
    TextObjectBody body;
};
#pragma pack(pop)

constexpr uint32_t kTextBodyBytes = 38;
constexpr size_t kTextObjectBytes = 64;
static_assert(sizeof(TextObjectBody) == kTextBodyBytes);
static_assert(sizeof(TextObject) == kTextObjectBytes);
static_assert(std::is_trivially_copyable_v<TextObject>);

// Flags.
constexpr uint16_t kTextOwnsString = 0x0001;
constexpr uint16_t kTextHidden = 0x0002;
constexpr uint16_t kTextOwnFont = 0x0004;
constexpr uint16_t kTextBold = 0x0008;
constexpr uint16_t kTextItalic = 0x0010;
constexpr uint16_t kTextUnderline = 0x0020;
constexpr uint16_t kTextYFromStaff = 0x0040;
constexpr uint16_t kTextMusicGlyph = 0x0080;
constexpr uint16_t kTextFrameMask = 0x0300;  // frame of type 18, verse of type 50
constexpr int kTextFrameShift = 8;
constexpr uint16_t kTextGray = 0x0400;
constexpr uint16_t kTextGlyphByHand = 0x8000;  // articulation glyph changed by hand

// Styles and measured sizes.
constexpr uint8_t kDefaultTextStyle = 3;
constexpr uint8_t kLastProgramStyle = 3;
constexpr uint8_t kLastDocumentStyle = 23;
// Checked readings of the style byte, which a file may hold out of range; the stored
// byte is left as it is. As a style: a slot beyond the document's 24 reads as slot 0
// (the fret-symbol style) in the font records and dialogs, and as slot 4 for the font
// the object is drawn in. As an own font's face: an index beyond the face-name table reads
// as entry 1, the first text face (entry 0 is the music font).
constexpr uint8_t kFaceTableEntries = 32;
constexpr uint8_t kFallbackFaceEntry = 1;
constexpr uint8_t TextStyleSlotOf(uint8_t stored) {
    return stored <= kLastDocumentStyle ? stored : 0;
}
constexpr uint8_t TextFaceIndexOf(uint8_t stored) {
    return stored < kFaceTableEntries ? stored : kFallbackFaceEntry;
}
constexpr int32_t kMinimumTextExtent = 64;
constexpr int32_t kMaximumTextHeight = 2048;
// A string that cannot be resolved shows this; one that cannot be copied makes
// the copy show the single character '%'.
inline constexpr char kMissingStringCopy[] = "??";
constexpr uint16_t kUncopiedStringCharacter = '%';

// The stored form: 24 bytes, then (flag 0) a u16 length and the string bytes.
constexpr size_t kTextRecordBytes = 24;
constexpr uint8_t kExtraWordFileVersion = 30;     // older files hold no extra word
constexpr uint8_t kCurrentFlagsFileVersion = 11;  // older files hold bit 12 at bit 10
constexpr int kTextWriteResultBase = 38;          // WriteTextObjectString: length + 38
constexpr int kTextReadResult = 46;

// Edit commands of OnEditCommand.
enum TextEditCommand : int {
    kTextCommandGrow = 0,
    kTextCommandShrink = 1,
    kTextCommandBold = 2,
    kTextCommandItalic = 3,
    kTextCommandUnderline = 4,
    kTextCommandToolStyle = 5,
    kTextCommandGray = 6,
};
constexpr int16_t kTextSizeCommandStep = 64;

inline TextObject* AsTextObject(ScoreObject* object) {
    return reinterpret_cast<TextObject*>(object);
}
inline const TextObject* AsTextObject(const ScoreObject* object) {
    return reinterpret_cast<const TextObject*>(object);
}

// ---- The class ----

// The text family's class: the text bodies of the protocol and three operations
// of its own. Subclasses derive from it.
class TextObjectClass : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    int32_t GetAnchorWord(const ScoreObject* object) const override;
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const override;
    void Measure(ScoreObject* object, ScoreView* view) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    void ReleaseCache(ScoreObject* object, ScoreView* view) const override;
    void StepValue(ScoreObject* object, ScoreView* view, int step) const override;
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override;
    int OnEditCommand(ScoreObject* object, ScoreView* view, int command, int value) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void DrawTracking(ScoreObject* object, ScoreView* view) const override;
    void EraseTracking(ScoreObject* object, ScoreView* view) const override;
    // The anchor moves as far as the handle did (a handle of the text's own rectangle
    // stands at its centre, above the anchor on the baseline): a let-go without a
    // move keeps the text where it was.
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;

    // Draws the display text at the stored baseline on `dc`.
    virtual void DrawString(ScoreObject* object, ScoreView* view, platform::DcHandle dc) const;
    // The text shown (header and footer variables expanded while pages are painted).
    virtual const char* GetDisplayText(ScoreObject* object, ScoreView* view) const;
    // The object's rectangle around an anchor point.
    virtual void SelectTextFont(ScoreObject* object, ScoreView* view, LogicalPoint point,
                                RecordRect* out) const;
};

// The registered text class, and the registration of class id kTextObjectClass and
// type 44 (run at start-up; tests run it after resetting the class table).
const TextObjectClass& TheTextObjectClass();
// The text-family class of an object (the base text class when its registered
// class is not one).
const TextObjectClass& TextClassOf(const ScoreObject* object);
void RegisterTextObjectClasses();

// ---- Construction and strings (current pool set) ----

// Root constructor, text class, type 44, body zeroed, style 3, subtype 0.
void ConstructTextObject(TextObject* text);
// As above; subtype 1 when the view is in page layout.
void ConstructTextObjectForView(TextObject* text, ScoreView* view);
// A new pool-8 text object holding a pooled copy of `source` (type 1 and the
// subtype are the caller's); null when no record can be had.
TextObject* CopyTextObjectString(const char* source);
// Copies the whole body of `source`, clears the caches and duplicates an owned string.
void CopyConstructTextObject(TextObject* text, const TextObject* source);
// Copies the body fields from a body in `sourceSet` into `target` in `targetSet`
// (the string is read there and copied here; "??" when it cannot be found). On a
// failed allocation the target shows '%' without a string and the result is 0.
int CopyTextObjectBody(TextObject* target, const TextObjectBody& source, PoolSet sourceSet,
                       PoolSet targetSet);
// Frees the owned string (never while the program shuts down) and the caches.
void DestroyTextObject(TextObject* text);
// Replaces the pooled string ("?" for an empty text): the pool used, or -1 (null
// text, or no record). Flag 0 is the caller's to set.
int SetTextObjectString(TextObject* text, const char* value);
// The owned string, or null (no flag 0, or its handle does not resolve to a live
// record of its pool in the current set).
char* TextObjectString(const TextObject* text);

// ---- Display text ----

// Expands the header and footer variables of `source` in one left-to-right pass:
// values put in are never scanned again. A result that begins with '%' loses that
// first character. At most kDisplayTextBytes - 1 characters. Returns 1 when a variable was
// replaced. `now` is the local time the text is drawn at.
int ExpandTextVariablesAt(ScoreView* view, const char* source, const std::tm& now,
                          std::string* target);
int ExpandTextVariables(ScoreView* view, const char* source, std::string* target);

// ---- Keys and glyphs ----

// The articulation code the 'F' key flips `code` into; the code itself when it
// has no pair.
uint8_t FlippedArticulationGlyph(uint8_t code);
// The two forms of an articulation glyph's pair: the first is drawn above a note
// (or on an up stem), the second below (on a down stem); both may be the same glyph.
// False for a glyph without a pair.
bool ArticulationGlyphPair(uint8_t code, uint8_t* first, uint8_t* second);

// Own font from the style's font record (nothing for an own font already).
void ConvertStyleToOwnFont(TextObject* text, ScoreDocument* document);
// Sets flag 7 for a style font 1..3 or an own font with face 0.
void RefreshTextStyleFont(TextObject* text);
// Deletes the object's own font (through the document's object cache when a
// document is given) and clears the font cache.
void ReleaseTextObjectFont(TextObject* text, ScoreDocument* document);
// The object's anchor point in logical units (a note anchor for subtype 3).
LogicalPoint TextObjectAnchorPoint(ScoreObject* object, ScoreView* view);
// How far from the anchor the point of `handle` stands while the handle is the text's
// own rectangle as BuildHandles makes it (its centre, above the baseline); zero for a
// handle of another shape. A commit takes the anchor this far back from the handle.
LogicalPoint TextHandleLift(ScoreObject* object, ScoreView* view, const HitRecord& handle);
// The font of the object's style at the view's scale; null when none.
platform::FontHandle CreateTextFont(TextObject* text, ScoreView* view);
// Redraws the focused object in the highlight colours.
void RedrawCurrentObject(ScoreView* view);
// Fills a font record of the document's font layout from the object.
void ApplyTextDialogValues(const TextObject* text, ScoreDocument* document, QuickFontRecord* out);

// ---- Stored form ----

// Writes the 24-byte record and the string; 0 on a write error, else the string
// length + 38.
int WriteTextObjectString(TextObject* text, int (*write)(const void*, uint32_t));
int WriteTextObjectString(TextObject* text);
// Reads it back (the file's version from FileVersion); 0 on a short read or a bad
// length (also one the source says it cannot hold: nothing is allocated for it),
// else 46.
int ReadTextObjectString(TextObject* text, ScoreByteReader read);
int ReadTextObjectString(TextObject* text);

}  // namespace ql
