// The "Clef Selection" dialog (see clef_dialog.h). The four group buttons carry the
// group letters; beside each, its scroll bar steps through the group's members in the
// group's own order, a picture shows the current member on a staff in the music font,
// and a static below names it.
#include "staves/clef_dialog.h"
#include "staves/signature_step.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/draw/fonts.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/paint.h"
#include "staves/change_range.h"
#include "staves/clef_changes.h"
#include "staves/clef_key_relayout.h"
#include "staves/dialog_glyphs.h"
#include "staves/clef_key_tables.h"
#include "staves/signature_dialog_resources.h"
#include "staves/time_signature_dialog.h"

namespace ql {

namespace {

using namespace clef_dialog;
using platform::WindowHandle;

constexpr int kGroups = 4;
constexpr std::array<const char*, kClefKindCount> kKindNames = {
    "Treble",           "Tenor",          "Alto",          "Bass",     "Baritone",
    "Percussion",       "Treble 8va Above", "Treble 8va Below", "Bass 8va Above", "Bass 8va Below",
    "Soprano",          "TAB",            "Mezzo Soprano", "(Modern) Tenor", "Baritone"};

// Each group's members in the order its scroll bar steps down (wrapping).
struct ClefGroup {
    std::array<int, 6> members;
    int count;
    int start;  // the member at program start
};
constexpr std::array<ClefGroup, kGroups> kClefGroups = {{
    {{0, 6, 7}, 3, 0},               // G
    {{3, 4, 9, 8}, 4, 3},            // F
    {{1, 13, 2, 12, 10, 14}, 6, 1},  // C
    {{5, 11}, 2, 5},                 // Other
}};

// The groups' current members: program-wide, kept between runs of the dialog.
std::array<int, kGroups> g_members = {0, 3, 1, 5};

int GroupOf(int kind) {
    for (int g = 0; g < kGroups; ++g)
        for (int i = 0; i < kClefGroups[g].count; ++i)
            if (kClefGroups[g].members[i] == kind) return g;
    return -1;
}

int Stepped(int group, int kind, int step) {
    const ClefGroup& members = kClefGroups[group];
    int index = 0;
    while (index < members.count && members.members[index] != kind) ++index;
    if (index == members.count) return members.start;
    return members.members[(index + step + members.count) % members.count];
}

struct ClefChoice {
    int kind = 0;
    bool within = false;
    int rangeRadio = kUpToFirstChange;
    int throughNumber = 0;
    int plusCount = 0;
    int steps = 0;  // signed: negative down
    bool transpose = false;
};

// The range radios are not one run of ids (the move controls sit between them).
constexpr int32_t kRangeRadios[] = {kUpToFirstChange, kThisMeasureOnly, kToEndOfPiece, kThroughMeasure,
                                    kMeasurePlus};
void SelectRange(WindowHandle dialog, int32_t id) {
    for (int32_t radio : kRangeRadios) ui::CheckItem(dialog, radio, radio == id);
}

void ShowGroups(WindowHandle dialog) {
    for (int g = 0; g < kGroups; ++g) {
        ui::SetItemText(dialog, kGroupNames[g], ClefKindName(g_members[g]));
        if (const WindowHandle picture = ui::GetDialogItem(dialog, kGroupPictures[g]))
            win::InvalidateRect(picture, nullptr, true);
    }
}

constexpr int kStaffSpaces = 4;
constexpr int kSpacesPerFontHeight = 4;  // the music font's height is four staff spaces
constexpr int kPictureSpaces = 7;        // the staff and room above and below it
constexpr int kLineInset = 2;

// A five-line staff across the picture and the clef on it as the score draws it at
// a system's start: the clef's glyph of the music font, its baseline on the bottom
// line moved by the kind's steps; TAB as its three letters.
void DrawClefPicture(platform::DcHandle dc, const gfx::Rect& r, int kind) {
    gfx::FillRect(dc, r, gfx::GetStockBrush(gfx::StockBrush::White));
    const int space = std::max(2, (r.bottom - r.top) / kPictureSpaces);
    const int top = r.top + ((r.bottom - r.top) - kStaffSpaces * space) / 2;
    const int bottom = top + kStaffSpaces * space;
    const platform::PenHandle pen = gfx::CreatePen(gfx::PenStyle::Solid, 1, gfx::kBlack);
    const platform::PenHandle previousPen = gfx::SelectObject(dc, pen);
    for (int line = 0; line <= kStaffSpaces; ++line) {
        gfx::MoveTo(dc, {r.left + kLineInset, top + line * space});
        gfx::LineTo(dc, {r.right - kLineInset, top + line * space});
    }
    gfx::SelectObject(dc, previousPen);
    gfx::DeleteObject(pen);
    gfx::SetTextColour(dc, gfx::kBlack);
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    const int x = (r.left + r.right) / 2;
    if (kind == CodeOf(ClefKind::Tab)) {
        for (int i = 0; i < 3; ++i)
            DrawDialogGlyph(dc, "Arial", space + space / 2, text::kWeightHeavy, x, top + (i + 1) * (kStaffSpaces * space) / 3,
                    "TAB"[i]);
        return;
    }
    DrawDialogGlyph(dc, MusicFaceName(), kSpacesPerFontHeight * space, text::kWeightNormal, x, bottom + ClefGlyphShift(kind) * space / 2,
            static_cast<char>(ClefGlyphOf(kind)));
}

intptr_t OnDrawItem(const win::DrawItemInfo* item) {
    if (item == nullptr || !item->dc) return 0;
    for (int g = 0; g < kGroups; ++g)
        if (item->controlId == kGroupPictures[g]) {
            DrawClefPicture(item->dc, item->rect, g_members[g]);
            return 1;
        }
    return 0;
}

void InitClefDialog(WindowHandle dialog, const ScoreView* view, const ClefDialogStart& start) {
    const int group = GroupOf(start.kind);
    if (group >= 0) g_members[group] = start.kind;
    ShowGroups(dialog);
    ui::CheckRadioButton(dialog, kFromMeasureStart, kWithinMeasure,
                         start.withinMeasure ? kWithinMeasure : kFromMeasureStart);
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    ui::SetItemInt(dialog, kThroughNumber, record != nullptr ? record->number : view->currentMeasure);
    ui::SetItemInt(dialog, kPlusCount, 0);
    ui::SetItemInt(dialog, kSteps, 0);
    SelectRange(dialog, kUpToFirstChange);
    ui::CheckRadioButton(dialog, kUp, kDown, kUp);
    ui::CheckItem(dialog, kMoveNotes, false);
}

ClefChoice ReadChoice(WindowHandle dialog, int kind) {
    ClefChoice c;
    c.kind = kind;
    c.within = ui::IsItemChecked(dialog, kWithinMeasure);
    for (int id : {kThisMeasureOnly, kToEndOfPiece, kThroughMeasure, kMeasurePlus})
        if (ui::IsItemChecked(dialog, id)) c.rangeRadio = id;
    c.throughNumber = ui::GetItemInt(dialog, kThroughNumber).value_or(0);
    c.plusCount = std::max(ui::GetItemInt(dialog, kPlusCount).value_or(0), 0);
    const int steps = std::abs(ui::GetItemInt(dialog, kSteps).value_or(0));
    if (ui::IsItemChecked(dialog, kMoveNotes)) c.steps = ui::IsItemChecked(dialog, kDown) ? -steps : steps;
    c.transpose = ui::IsItemChecked(dialog, kTranspose);
    return c;
}

ChangeRange RangeOf(ScoreDocument* document, const ClefChoice& c, int staff, int measure, int tick) {
    int end = 0;
    switch (c.rangeRadio) {
    case kThisMeasureOnly: end = measure + 1; break;
    case kToEndOfPiece:
        return ComputeChangeRange(document, ChangeWhat::Clef, ChangeRangeMode::ToEnd, staff, measure, tick, 0);
    case kThroughMeasure: end = std::max(MeasureHoldingNumber(document, 1, c.throughNumber), measure) + 1; break;
    case kMeasurePlus: end = measure + c.plusCount + 1; break;
    default:
        return ComputeChangeRange(document, ChangeWhat::Clef, ChangeRangeMode::UpToChange, staff, measure, tick, 0);
    }
    return ComputeChangeRange(document, ChangeWhat::Clef, ChangeRangeMode::Through, staff, measure, tick, end);
}

void ApplyClefChoice(ScoreView* view, const ClefChoice& c, int oldKind, int tick) {
    ScoreDocument* document = view->document;
    const ChangeRange range = RangeOf(document, c, view->currentStaff, view->currentMeasure, tick);
    const bool unpitched = IsUnpitchedClef(oldKind) || IsUnpitchedClef(c.kind);
    ClefRangeChange change;
    change.staff = view->currentStaff;
    change.firstMeasure = view->currentMeasure;
    change.firstTick = tick;
    change.endMeasure = range.endTick == 0 ? std::max(range.end, range.last) : range.end;
    change.endTick = range.endTick;
    change.oldClef = oldKind;
    change.newClef = c.kind;
    change.clefMode = c.transpose && !unpitched ? TransposeClefMode::Transpose : TransposeClefMode::Keep;
    const int steps = unpitched ? 0 : c.steps;
    change.direction = steps > 0 ? TransposeDirection::Up : steps < 0 ? TransposeDirection::Down : TransposeDirection::None;
    change.semitones = std::abs(steps);
    change.notesInRange = range.notes != 0;
    ApplyClefOverRange(view, change);
    SetDocumentModified(document);
}

intptr_t OnScroll(WindowHandle dialog, uint32_t word, intptr_t data, int* kind) {
    const win::ScrollCode code = win::ScrollCodeOf(word);
    const int step = code == win::ScrollCode::LineDown ? 1 : code == win::ScrollCode::LineUp ? -1 : 0;
    for (int g = 0; g < kGroups && step != 0; ++g)
        if (static_cast<uint32_t>(data) == ui::GetDialogItem(dialog, kGroupScrolls[g]).bits) {
            g_members[g] = Stepped(g, g_members[g], step);
            *kind = g_members[g];
            ShowGroups(dialog);
        }
    return 0;
}

intptr_t OnCommand(WindowHandle dialog, uint32_t word, int* kind, std::optional<ClefChoice>* chosen) {
    const int32_t id = static_cast<int32_t>(win::CommandId(word));
    for (int g = 0; g < kGroups; ++g)
        if (id == kGroupButtons[g] || id == kGroupPictures[g]) {
            *kind = g_members[g];
            return 1;
        }
    if (id == kUp || id == kDown) {
        ui::CheckItem(dialog, kMoveNotes, true);
    } else if (id == kSteps && win::CommandCode(word) == ui::kEditChange) {
        ui::CheckItem(dialog, kMoveNotes, ui::GetItemInt(dialog, kSteps).value_or(0) != 0);
    } else if ((id == kThroughNumber || id == kPlusCount) && win::CommandCode(word) == ui::kEditChange) {
        SelectRange(dialog, id - 1);
    } else if (id == ui::kIdOk) {
        *chosen = ReadChoice(dialog, *kind);
        ui::EndDialog(dialog, ui::kIdOk);
    } else if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
    } else {
        return 0;
    }
    return 1;
}

}  // namespace

const char* ClefKindName(int kind) {
    return IsValidClef(kind) ? kKindNames[kind] : "";
}

void ResetClefGroupMembers() {
    for (int g = 0; g < kGroups; ++g) g_members[g] = kClefGroups[g].start;
}

ClefDialogResult ClefSelectionDialog(ScoreView* view, const ClefDialogStart& start) {
    ClefDialogResult out;
    if (!HasStaffMeasureLocation(view) || !IsValidClef(start.kind)) return out;
    int kind = start.kind;
    std::optional<ClefChoice> chosen;
    ModalDialogBox(view, kClefSelectionDialog,
                   [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
                       if (message == win::Message::InitDialog) {
                           InitClefDialog(dialog, view, start);
                           return 0;
                       }
                       if (message == win::Message::VerticalScroll) return OnScroll(dialog, word, data, &kind);
                       if (message == win::Message::DrawItem)
                           return OnDrawItem(reinterpret_cast<const win::DrawItemInfo*>(data));
                       return message == win::Message::Command ? OnCommand(dialog, word, &kind, &chosen) : 0;
                   });
    if (!chosen) return out;
    out.result = ui::kIdOk;
    out.kind = chosen->kind;
    out.insertWithin = chosen->within;
    const bool nothing = !chosen->within && chosen->kind == start.kind && chosen->steps == 0;
    if (nothing) return out;
    {
        const UndoStep edit(view->document, view, UndoKind::Item, TypeCode(ObjectType::Clef), UndoVerb::Add);
        ApplyClefChoice(view, *chosen, start.kind, chosen->within ? start.tick : 0);
    }
    RelayoutAfterSignatureChange(view, view->currentMeasure);
    return out;
}

}  // namespace ql
