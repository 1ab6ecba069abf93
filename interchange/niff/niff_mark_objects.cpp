// Score objects of a NIFF import's marks (see niff_mark_objects.h).
#include "interchange/niff/niff_mark_objects.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/objects/object_classes.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/shell_services.h"
#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "layout/page_format.h"
#include "notes/accidentals/accidental.h"
#include "notes/articulations/articulation_attach.h"
#include "notes/articulations/articulation_class.h"
#include "notes/drawing/note_redraw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/chord/chord_symbol.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/graphic_object.h"
#include "objects/lyrics/lyric.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/object_services.h"
#include "objects/quick_fonts/text_fonts.h"
#include "objects/text_marks/text_line.h"
#include "staves/staff_group_bits.h"

namespace ql::niff {
namespace {

constexpr char kUnmadeMarksKind[] = "marks that could not be made";
constexpr uint16_t kDynamicActionKeep = 0xFF2F;
constexpr uint16_t kDynamicActionBits = 0x23;
constexpr uint16_t kRectangleFrame = 1 << kTextFrameShift;
constexpr uint16_t kEllipseFrame = 2 << kTextFrameShift;
constexpr uint8_t kNoteMarkStyle = 3;
constexpr int kLyricStyle = 4;
constexpr size_t kNoteAnchorX = 4;  // the x word of a note anchor in the location
constexpr size_t kNoteAnchorY = 6;  // and its y word
constexpr int16_t kArpeggioLead = 128;  // score units from an arpeggio sign to its chord
constexpr int kStepUnits = 64;          // score units per staff step

uint16_t Hidden(const NiffMark& mark) {
    return mark.hidden ? kTextHidden : 0;
}

// A MIDI-carrying mark showing one music-font glyph.
ScoreObject* NewGlyphMark(ObjectType type, const NiffMark& mark) {
    ScoreObject* object = ConstructObject(TypeCode(type));
    if (object == nullptr) return nullptr;
    TextObjectBody& body = AsTextObject(object)->body;
    body.flags = static_cast<uint16_t>((body.flags & ~kTextOwnsString) | kTextMusicGlyph | Hidden(mark));
    body.style = kMarkStyle;
    body.string = static_cast<uint16_t>(mark.detail.glyph);
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    return object;
}

void SetAction(ScoreObject* object, uint16_t flags, uint8_t controller, int value, bool on) {
    MidiAction& action = *MidiActionOfText(object);
    action.flags = static_cast<uint16_t>(on ? flags | kMidiFlagEnabled : flags & ~kMidiFlagEnabled);
    action.controller = controller;
    action.head.values.value = static_cast<int16_t>(value);
}

ScoreObject* MakeText(NiffImportState& import, const NiffMark& mark) {
    ScoreObject* object = ConstructTextLineWithText(import.view, mark.text.c_str());
    if (object == nullptr) return nullptr;
    TextObject* text = AsTextObject(object);
    text->body.flags |= Hidden(mark);
    if (mark.boxed) text->body.flags |= kRectangleFrame;
    if (mark.circled) text->body.flags |= kEllipseFrame;
    ApplyNiffTextFont(import, text, mark.fontSlot, mark.style);
    return object;
}

ScoreObject* MakeChord(const NiffMark& mark) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Chord));
    if (object == nullptr) return nullptr;
    ChordSymbol* symbol = AsChordSymbol(object);
    const NiffChord& chord = mark.detail.chord;
    symbol->chord.root = static_cast<uint8_t>(chord.root);
    symbol->chord.rootAccidental = static_cast<uint8_t>(chord.accidental);
    symbol->chord.quality = static_cast<uint8_t>(chord.quality);
    symbol->chord.bass = static_cast<uint8_t>(chord.bass);
    symbol->chord.bassAccidental = static_cast<uint8_t>(chord.bassAccidental);
    symbol->text.body.flags |= Hidden(mark);
    SetGuitarChordGlyph(object);
    return object;
}

ScoreObject* MakeTempo(const NiffMark& mark) {
    ScoreObject* object = NewGlyphMark(ObjectType::Tempo, mark);
    if (object == nullptr) return nullptr;
    TextObjectBody& body = AsTextObject(object)->body;
    const uint16_t unit = static_cast<uint16_t>((mark.detail.beatKind << kTempoUnitShift) & kTempoUnitMask);
    body.flags = static_cast<uint16_t>((kTempoNewTextFlags & ~kTempoUnitField) | unit | Hidden(mark) |
                                       (mark.detail.dotted ? kTempoDotted : 0));
    SetAction(object, kTempoNewFlags, 0, mark.detail.value, true);
    return object;
}

ScoreObject* MakeDynamic(const NiffMark& mark) {
    ScoreObject* object = NewGlyphMark(ObjectType::Dynamic, mark);
    if (object == nullptr) return nullptr;
    const uint16_t flags = (MidiActionOfText(object)->flags & kDynamicActionKeep) | kDynamicActionBits;
    SetAction(object, static_cast<uint16_t>(flags), kDynamicController, mark.detail.value, mark.detail.actionOn);
    return object;
}

ScoreObject* MakePedal(const NiffMark& mark) {
    ScoreObject* object = NewGlyphMark(ObjectType::Pedal, mark);
    if (object == nullptr) return nullptr;
    SetAction(object, kPedalNewFlags, kPedalController, mark.detail.value, mark.detail.actionOn);
    return object;
}

// The palette and entry that make a note mark of this glyph.
bool PaletteEntryOf(int glyph, ArticulationPalette* palette, int* entry) {
    if (glyph >= kAccentGlyphBase && glyph < kAccentGlyphBase + kAccentEntries) {
        *palette = ArticulationPalette::Accents;
        *entry = glyph - kAccentGlyphBase;
        return true;
    }
    if (glyph >= kOrnamentGlyphBase && glyph < kOrnamentGlyphBase + kOrnamentEntries) {
        *palette = ArticulationPalette::Ornaments;
        *entry = glyph - kOrnamentGlyphBase;
        return true;
    }
    return false;
}

// An arpeggio sign: a vertical wavy line attached to the chord's last note, a
// space before the chord, from a step above its top note to a step below its
// bottom note (positions count staff steps, negative upwards).
void AttachArpeggio(NiffImportState& import, EventRecord* note, const NiffArpeggio& arpeggio) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Line));
    if (object == nullptr) {
        import.report.Count(kUnmadeMarksKind);
        return;
    }
    object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    GraphicBody& body = AsGraphicObject(object)->body;
    body.style = kLineWavy;
    body.width = 0;
    body.height = (arpeggio.bottom - arpeggio.top + 2) * kStepUnits;
    const int16_t offsets[2] = {-kArpeggioLead,
                                static_cast<int16_t>((arpeggio.top - 1 - NotePosition(*note)) * kStepUnits)};
    std::memcpy(reinterpret_cast<std::byte*>(&body.location) + kNoteAnchorX, offsets, sizeof offsets);
    if (AttachObjectToNote(import.view, note, object) == 0) {
        ReleaseObjectByType(import.document, object);
        import.report.Count(kUnmadeMarksKind);
    }
}

void AttachAccidental(ScoreView* view, EventRecord* note, int code) {
    SetNoteAccidentalCode(*note, code);
    if (code == 0) return;
    ScoreObject* sign = AccidentalOfNote(*note);
    if (sign == nullptr) sign = NewAccidentalForNote(view, note);
    SetAccidentalGlyph(sign, code);
}

}  // namespace

ScoreObject* MakeNiffMarkObject(NiffImportState& import, const NiffMark& mark) {
    ScoreObject* object = nullptr;
    switch (mark.kind) {
        case NiffMarkKind::kTextLine:
        case NiffMarkKind::kRehearsal: object = MakeText(import, mark); break;
        case NiffMarkKind::kChordSymbol: object = MakeChord(mark); break;
        case NiffMarkKind::kTempo: object = MakeTempo(mark); break;
        case NiffMarkKind::kDynamic: object = MakeDynamic(mark); break;
        case NiffMarkKind::kPedal: object = MakePedal(mark); break;
        case NiffMarkKind::kPedalBracket:  // a spanner: MakeNiffPedalBracket makes it
        case NiffMarkKind::kStaffLabel: return nullptr;
    }
    if (object == nullptr) {
        import.report.Count(kUnmadeMarksKind);
        return nullptr;
    }
    if (import.view != nullptr) ClassOf(object).Measure(object, import.view);
    return object;
}

void ApplyNiffTextFont(const NiffImportState& import, TextObject* text, int fontIndex, int style) {
    if (text == nullptr) return;
    text->body.style = static_cast<uint8_t>(style);
    text->body.flags = static_cast<uint16_t>(text->body.flags & ~kTextOwnFont);
    if (import.document == nullptr || fontIndex < 0 || fontIndex >= static_cast<int>(import.fonts.size())) return;
    const NiffFontDescription& font = import.fonts[static_cast<size_t>(fontIndex)];
    const std::string name = NiffString(import, font.name, kFaceNameChars - 1);
    if (name.empty()) return;
    const FaceNameEntry* names = import.document->faceNames;
    for (int face = 0; face < kFaceNameCount; ++face) {
        if (name != std::string(names[face].name, strnlen(names[face].name, kFaceNameChars))) continue;
        TextObjectBody& body = text->body;
        body.style = static_cast<uint8_t>(face);
        body.flags = static_cast<uint16_t>(body.flags & ~(kTextBold | kTextItalic | kTextUnderline));
        body.flags |= kTextOwnFont;
        if ((font.style & 1) != 0) body.flags |= kTextBold;
        if ((font.style & 2) != 0) body.flags |= kTextItalic;
        if ((font.style & 4) != 0) body.flags |= kTextUnderline;
        body.size = static_cast<int16_t>(TwipsToScoreUnits(import.document, font.size));
        return;
    }
}

void AttachNiffNoteMarks(NiffImportState& import, EventRecord* note, int staff, int measure,
                         const NiffNoteAttachments& marks) {
    ScoreView* view = import.view;
    if (view == nullptr || note == nullptr) return;
    if (marks.accidental >= 0) AttachAccidental(view, note, marks.accidental);
    note->word2 = static_cast<uint16_t>(note->word2 | marks.noteBits);
    if (marks.arpeggio) AttachArpeggio(import, note, *marks.arpeggio);
    for (const NiffNoteMark& mark : marks.marks) {
        ArticulationPalette palette{};
        int entry = 0;
        if (!PaletteEntryOf(mark.glyph, &palette, &entry)) continue;
        ScoreObject* object = AttachArticulation(view, note, palette, entry).object;
        if (object == nullptr) {
            import.report.Count(kUnmadeMarksKind);
            continue;
        }
        TextObjectBody& body = AsTextObject(object)->body;
        body.style = kNoteMarkStyle;
        body.flags = static_cast<uint16_t>((body.flags | kTextMusicGlyph) & ~kTextYFromStaff);
        if (mark.vertical != 0)
            std::memcpy(reinterpret_cast<std::byte*>(&body.location) + kNoteAnchorY, &mark.vertical,
                        sizeof mark.vertical);
        ClassOf(object).Measure(object, view);
        import.frame.noteMarks.push_back({object, staff, measure, mark.sideFromFile});
    }
    for (const NiffLyricSyllable& syllable : marks.lyrics) {
        TextObject* lyric = NewLyricOnNote(view, note, syllable.line);
        if (lyric == nullptr || SetTextObjectString(lyric, syllable.text.c_str()) < 0) {
            import.report.Count(kUnmadeMarksKind);
            continue;
        }
        // Centred under the note's head, as printed syllables stand.
        SetLyricOffsets(lyric, LyricOffsetUnderHead(view), 0);
        ApplyNiffTextFont(import, lyric, syllable.fontSlot, kLyricStyle);
        ClassOf(&lyric->header).Measure(&lyric->header, view);
        SetNiffLyricLevels(import.document, lyric->body.height);
    }
}

void SetNiffLyricLevels(ScoreDocument* document, int32_t spacing) {
    if (document == nullptr || spacing <= 0) return;
    for (int verse = 0; verse < kLyricLevelCount; ++verse)
        document->header.lyricLevels[verse] = static_cast<uint16_t>(std::min<int32_t>((verse + 1) * spacing, INT16_MAX));
}

void PlaceNiffNoteMarks(NiffImportState& import) {
    ScoreView* view = import.view;
    if (view == nullptr || import.document == nullptr) return;
    std::vector<NiffNoteMarkRecord>& marks = import.frame.noteMarks;
    // The marks of one chord next to one another (they were recorded note by note).
    const auto chordOf = [](const NiffNoteMarkRecord& mark) { return GetFirstEventOfChord(OwnerNoteOf(mark.object)); };
    std::stable_sort(marks.begin(), marks.end(), [&](const NiffNoteMarkRecord& a, const NiffNoteMarkRecord& b) {
        return std::less<const EventRecord*>{}(chordOf(a), chordOf(b));
    });
    std::vector<ScoreObject*> chordMarks;
    for (size_t i = 0; i < marks.size(); ++i) {
        const NiffNoteMarkRecord& mark = marks[i];
        ShowPageInView(view, PageIndexOfMeasure(import.document, mark.measure));
        const NoteDrawLocation location(view, mark.staff, mark.measure);
        // Without a system for its measure the mark keeps the offsets it was read with.
        if (!location.IsDrawable()) continue;
        if (!mark.placed) PlaceAttachedArticulation(view, mark.object);
        chordMarks.push_back(mark.object);
        if (i + 1 == marks.size() || chordOf(marks[i + 1]) != chordOf(mark)) {
            StackChordArticulations(view, chordMarks);
            chordMarks.clear();
        }
    }
    marks.clear();
    ShowPageInView(view, 0);
}

void ApplyNiffNumberingAndGroups(NiffImportState& import) {
    ScoreDocument* document = import.document;
    if (document == nullptr) return;
    const NiffFrame& frame = import.frame;
    PageRecord& settings = document->header.pageGeometry;
    if (frame.numbering.mode >= 0) {
        settings.measureNumberStyle = static_cast<uint8_t>(frame.numbering.mode);
        if (frame.numbering.mode == 2)
            settings.measureNumberEvery = static_cast<uint8_t>(std::clamp(frame.numbering.every, 1, 255));
    }
    for (const NiffMeasureNode& node : frame.measures) {
        if (node.shownNumber < 0) continue;
        if (MeasureRecord* record = MeasureRecordOf(document, node.number))
            record->number = static_cast<uint16_t>(std::min(node.shownNumber, 0xFFFF));
    }
    BraceNiffParts(import);
    const int staves = std::min<int>(import.staffCount, document->header.staffCount);
    for (int staff = 1; staff <= staves && staff < kNiffStaffSlots; ++staff) {
        const uint8_t bits = frame.staves[static_cast<size_t>(staff)].groupBits;
        StaffRecord* record = bits != 0 ? StaffRecordOf(document, staff) : nullptr;
        if (record == nullptr) continue;
        if (bits & 0x10) SetJoinsStaffAbove(*record, GroupKind::Bracket, true);
        if (bits & 0x20) SetJoinsStaffBelow(*record, GroupKind::Bracket, true);
        if (bits & 0x01) SetJoinsStaffAbove(*record, GroupKind::Brace, true);
        if (bits & 0x02) SetJoinsStaffBelow(*record, GroupKind::Brace, true);
    }
}

}  // namespace ql::niff
