// Keys, edit commands and style stepping of text objects, and the glyph pairs of
// the 'F' key. Every attribute change erases the object, turns a style font into
// an own font, changes the attribute, drops the font cache, redraws, marks the
// document modified and is one undo step named by the key's verb.
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/draw/colour_sets.h"
#include "core/services/display_services.h"
#include "core/services/score_object_services.h"
#include "core/ui/dialog_fields.h"
#include "core/model/document.h"
#include "core/draw/fonts.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"

namespace ql {
namespace {

// Virtual keys the text objects take.
// Shown when a text's face cannot be added to the score's full face-name table.
constexpr const char* kFaceTableFullNotice =
    "The score's list of text fonts is full; the text takes the first text font.";
constexpr uint32_t kKeyTab = 9;
constexpr uint32_t kKeyEnter = 13;
constexpr uint32_t kKeySpace = 32;
constexpr uint32_t kKeyHome = 36;
constexpr uint32_t kKeyB = 'B';
constexpr uint32_t kKeyF = 'F';
constexpr uint32_t kKeyG = 'G';
constexpr uint32_t kKeyH = 'H';
constexpr uint32_t kKeyI = 'I';
constexpr uint32_t kKeyO = 'O';
constexpr uint32_t kKeyU = 'U';
constexpr uint32_t kFirstTextKey = kKeyTab;
constexpr uint32_t kLastTextKey = kKeyU;
constexpr int kNothingStarted = 2;

// Glyph pairs of the 'F' key, as offsets from kGlyphPairBase.
struct GlyphPair {
    uint8_t first;
    uint8_t second;
};
constexpr uint8_t kGlyphPairBase = 138;
constexpr GlyphPair kGlyphPairs[] = {
    {5, 0},   {1, 1},   {2, 2},   {3, 4},   {7, 6},   {9, 8},   {10, 10},
    {12, 11}, {14, 13}, {16, 15}, {17, 17}, {25, 25}, {26, 26}, {27, 27},
};
// Tremolo glyphs take the last three pairs; the two fermata-like glyphs their own.
constexpr uint8_t kFirstTremoloGlyph = 213;
constexpr uint8_t kLastTremoloGlyph = 215;
constexpr uint8_t kTremoloFirstPair = 25;
constexpr uint8_t kHighPairBase = 188;
constexpr GlyphPair kHighPair = {28, 29};
constexpr uint8_t kFirstHighPairGlyph = 216;
constexpr uint8_t kLastHighPairGlyph = 217;

// Style stepping.
constexpr int16_t kStyleThreeFixedSize = 1538;
constexpr int kCoarseSizeStep = 16;
constexpr int kCtrlSizeStep = 8;
constexpr uint8_t kModifierCtrl = 1;
constexpr uint8_t kModifierShift = 4;

void ToggleFlag(TextObject* text, uint16_t flag) {
    text->body.flags ^= flag;
}

void DropFontCache(TextObject* text, ScoreView* view) {
    ReleaseTextObjectFont(text, view != nullptr ? view->document : nullptr);
}

// Draws the object in the erase colours (it disappears) or plainly.
void EraseObject(ScoreObject* object, ScoreView* view) {
    if (view == nullptr || !view->ViewWindow) return;
    BeginSelectionDraw(view);
    ClassOf(object).DrawSelected(object, view);
    EndHighlightDraw(view);
}

void RedrawObject(ScoreObject* object, ScoreView* view) {
    if (view == nullptr || !view->ViewWindow) return;
    ClassOf(object).Draw(object, view);
}

// Size magnitude with its sign kept.
int16_t WithMagnitude(int16_t size, int magnitude) {
    return static_cast<int16_t>(size < 0 ? -magnitude : magnitude);
}

void ShowSize(int16_t size) {
    char text[kFixedTextBytes + 1] = {};
    char* digits = text;
    if (size < 0) *digits++ = '-';
    FormatFixed160(static_cast<uint16_t>(std::abs(static_cast<int>(size))), digits,
                   kFixedTextBytes);
    SetStatusText(2, text);
}

ScoreDocument* DocumentOf(ScoreView* view) {
    return view != nullptr ? view->document : nullptr;
}

// The verb and type of the undo step a key opens; None when the key is not the
// text object's.
struct KeyStep {
    UndoVerb verb = UndoVerb::None;
    uint8_t objectType = TypeCode(ObjectType::ImageText);
};

KeyStep StepOfKey(uint32_t key) {
    switch (key) {
        case kKeyTab:
        case kKeyEnter:
        case kKeySpace:
        case kKeyB:
        case kKeyG:
        case kKeyI:
        case kKeyO:
        case kKeyU:
            return {UndoVerb::Modify};
        case kKeyHome:
            return {UndoVerb::Move};
        case kKeyF:
            return {UndoVerb::Flip, TypeCode(ObjectType::NoteArticulation)};
        case kKeyH:
            return {UndoVerb::Hide};
        default:
            return {};
    }
}

// One attribute change with its erase, conversion, redraw and modified mark.
void ChangeAttribute(TextObject* text, ScoreView* view, uint16_t flag) {
    EraseObject(&text->header, view);
    ConvertStyleToOwnFont(text, DocumentOf(view));
    ToggleFlag(text, flag);
    DropFontCache(text, view);
    RedrawObject(&text->header, view);
    SetDocumentModified(DocumentOf(view));
}

void FlipArticulation(TextObject* text, ScoreView* view) {
    if (text->header.type != TypeCode(ObjectType::NoteArticulation)) return;
    uint8_t code = static_cast<uint8_t>(text->body.string);
    uint8_t flipped = FlippedArticulationGlyph(code);
    if (flipped == code) return;
    EraseObject(&text->header, view);
    text->body.string = static_cast<uint16_t>((text->body.string & 0xFF00) | flipped);
    text->body.flags |= kTextGlyphByHand;
    RedrawObject(&text->header, view);
    SetDocumentModified(DocumentOf(view));
}

void HideOrShow(TextObject* text, ScoreView* view) {
    EraseObject(&text->header, view);
    ToggleFlag(text, kTextHidden);
    RedrawObject(&text->header, view);
    SetDocumentModified(DocumentOf(view));
}

// Home: a note-attached object changes where its y comes from and is re-anchored
// at its handle's point, so it does not move.
void ToggleYFromStaff(TextObject* text, ScoreView* view) {
    if (text->header.subtype != SubtypeCode(ObjectSubtype::NoteAttachment)) return;
    ToggleFlag(text, kTextYFromStaff);
    SelectionState* selection = State().documents.Selection;
    HitRecord* handle = selection != nullptr ? selection->grabbedRecord.get() : nullptr;
    if (handle != nullptr)
        display::PointToNoteAnchor(view, &text->header, &text->body.location, handle->point);
    SetDocumentModified(DocumentOf(view));
}

// Size steps of StepValue: 16 x step without Ctrl; with Ctrl step (fine steps or
// Shift) or 8 x step. A result below 1 keeps the old size.
void StepSize(TextObject* text, int step) {
    uint8_t modifiers = State().input.ModifierState;
    int factor = kCoarseSizeStep;
    if ((modifiers & kModifierCtrl) != 0)
        factor = (State().program.FineStepSetting != 0 || (modifiers & kModifierShift) != 0)
                     ? 1
                     : kCtrlSizeStep;
    int magnitude = std::abs(static_cast<int>(text->body.size)) + factor * step;
    if (magnitude >= 1 && magnitude <= INT16_MAX)
        text->body.size = WithMagnitude(text->body.size, magnitude);
}

// Command 5: the text tool's current style.
void ApplyToolTextStyle(TextObject* text) {
    const ProgramGlobals& tool = State().program;
    constexpr uint16_t kAttributes = kTextBold | kTextItalic | kTextUnderline;
    if (tool.TextToolStyle >= 0) {
        text->body.style = static_cast<uint8_t>(tool.TextToolStyle);
        text->body.flags &= static_cast<uint16_t>(~kTextOwnFont);
        return;
    }
    text->body.style = static_cast<uint8_t>(-tool.TextToolStyle);
    text->body.size = tool.TextToolSize;
    text->body.flags = static_cast<uint16_t>((text->body.flags & ~kAttributes) |
                                             (tool.TextToolFlags & kAttributes) | kTextOwnFont);
    text->body.charset = tool.TextToolCharset;
}

}  // namespace

bool ArticulationGlyphPair(uint8_t code, uint8_t* first, uint8_t* second) {
    auto found = [&](uint8_t base, GlyphPair pair) {
        *first = static_cast<uint8_t>(base + pair.first);
        *second = static_cast<uint8_t>(base + pair.second);
        return true;
    };
    if (code >= kFirstHighPairGlyph && code <= kLastHighPairGlyph) return found(kHighPairBase, kHighPair);
    if (code >= kFirstTremoloGlyph && code <= kLastTremoloGlyph) {
        const auto offset = static_cast<uint8_t>(kTremoloFirstPair + code - kFirstTremoloGlyph);
        return found(kGlyphPairBase, {offset, offset});
    }
    if (code < kGlyphPairBase) return false;
    const int offset = code - kGlyphPairBase;
    for (const GlyphPair& pair : kGlyphPairs)
        if (pair.first == offset || pair.second == offset) return found(kGlyphPairBase, pair);
    return false;
}

uint8_t FlippedArticulationGlyph(uint8_t code) {
    uint8_t first = 0;
    uint8_t second = 0;
    if (!ArticulationGlyphPair(code, &first, &second)) return code;
    return first == code ? second : first;
}

void ConvertStyleToOwnFont(TextObject* text, ScoreDocument* document) {
    if (document == nullptr || (text->body.flags & kTextOwnFont) != 0) return;
    if (text->body.style >= kScoreFontCount) return;
    const QuickFontRecord& font = document->fonts[text->body.style];
    text->body.size = font.height;
    uint16_t flags =
        text->body.flags & static_cast<uint16_t>(~(kTextBold | kTextItalic | kTextUnderline));
    if (font.bold != 0) flags |= kTextBold;
    if (font.italic != 0) flags |= kTextItalic;
    if (font.underline != 0) flags |= kTextUnderline;
    text->body.flags = flags | kTextOwnFont;
    text->body.charset = font.charset;
    int face = FindFaceNameIndex(document, font.face);
    if (face < 0) {
        ShowNotice(kFaceTableFullNotice);
        face = kFallbackFaceIndex;
    }
    text->body.style = static_cast<uint8_t>(face);
    ReleaseTextObjectFont(text, document);
}

void RefreshTextStyleFont(TextObject* text) {
    bool ownFont = (text->body.flags & kTextOwnFont) != 0;
    bool programStyle = text->body.style >= 1 && text->body.style <= kLastProgramStyle;
    if ((!ownFont && programStyle) || (ownFont && text->body.style == 0))
        text->body.flags |= kTextMusicGlyph;
}

int TextObjectClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const {
    KeyStep keyStep = StepOfKey(key);
    if (key < kFirstTextKey || key > kLastTextKey || keyStep.verb == UndoVerb::None)
        return ScoreObjectClass::OnKey(object, view, key);
    TextObject* text = AsTextObject(object);
    if (key == kKeyO) {
        // The root 'O' toggles the ownership and closes the step opened here.
        BeginUndoableEdit(DocumentOf(view), 0, 0, 0, view, UndoKind::Item, keyStep.objectType,
                          keyStep.verb);
        return ScoreObjectClass::OnKey(object, view, key);
    }
    UndoStep step(DocumentOf(view), view, UndoKind::Item, keyStep.objectType, keyStep.verb);
    switch (key) {
        case kKeyTab:
        case kKeyEnter:
        case kKeySpace:
            if (objects::EditLyricInPlace(object, view) != kNothingStarted)
                MeasureAndSelect(object, view);
            break;
        case kKeyHome:
            ToggleYFromStaff(text, view);
            break;
        case kKeyB:
            ChangeAttribute(text, view, kTextBold);
            break;
        case kKeyF:
            FlipArticulation(text, view);
            break;
        case kKeyG:
            ChangeAttribute(text, view, kTextGray);
            break;
        case kKeyH:
            HideOrShow(text, view);
            break;
        case kKeyI:
            ChangeAttribute(text, view, kTextItalic);
            break;
        case kKeyU:
            ChangeAttribute(text, view, kTextUnderline);
            break;
        default:
            break;
    }
    return 1;
}

int TextObjectClass::OnEditCommand(ScoreObject* object, ScoreView* view, int command, int) const {
    if (command < kTextCommandGrow || command > kTextCommandGray) return 1;
    TextObject* text = AsTextObject(object);
    EraseObject(object, view);
    ConvertStyleToOwnFont(text, DocumentOf(view));
    int magnitude = std::abs(static_cast<int>(text->body.size));
    switch (command) {
        case kTextCommandGrow:
            if (magnitude + kTextSizeCommandStep <= INT16_MAX)
                text->body.size = WithMagnitude(text->body.size, magnitude + kTextSizeCommandStep);
            break;
        case kTextCommandShrink:
            if (magnitude - kTextSizeCommandStep > 0)
                text->body.size = WithMagnitude(text->body.size, magnitude - kTextSizeCommandStep);
            break;
        case kTextCommandBold:
            ToggleFlag(text, kTextBold);
            break;
        case kTextCommandItalic:
            ToggleFlag(text, kTextItalic);
            break;
        case kTextCommandUnderline:
            ToggleFlag(text, kTextUnderline);
            break;
        case kTextCommandToolStyle:
            ApplyToolTextStyle(text);
            break;
        case kTextCommandGray:
            ToggleFlag(text, kTextGray);
            break;
        default:
            break;
    }
    if ((text->body.flags & kTextOwnFont) != 0) {
        DropFontCache(text, view);
        ShowSize(text->body.size);
    }
    SelectionState* selection = State().documents.Selection;
    if (State().program.NoRefreshFlag == 0 && selection != nullptr) selection->rebuildRequested = 1;
    MeasureAndSelect(object, view);
    return 1;
}

void TextObjectClass::StepValue(ScoreObject* object, ScoreView* view, int step) const {
    TextObject* text = AsTextObject(object);
    EraseObject(object, view);
    bool ownFont = (text->body.flags & kTextOwnFont) != 0;
    uint8_t style = text->body.style;
    if (!ownFont && style >= 1 && style <= kLastProgramStyle) {
        auto stepped = static_cast<uint8_t>(style + step);
        if (stepped == 0) stepped = 1;
        if (stepped <= kLastProgramStyle) {
            text->body.style = stepped;
            RedrawObject(object, view);
            return;
        }
        text->body.style = kLastProgramStyle;
    }
    if ((text->body.flags & kTextOwnFont) == 0) {
        bool styleThree = text->body.style == kLastProgramStyle;
        ConvertStyleToOwnFont(text, DocumentOf(view));
        if (styleThree) text->body.size = kStyleThreeFixedSize;
    }
    StepSize(text, step);
    DropFontCache(text, view);
    ShowSize(text->body.size);
    RedrawObject(object, view);
}

}  // namespace ql
