// The "Page Setup" dialog (865) and the "Margins" dialogs (828 double-sided, 845
// single-sided) on the page-geometry working copy: paper, units, orientation,
// sides and first page; both margin sets, converted whenever the unit changes; the
// Staff Size dialog on the same copy (its last non-zero result is the choice). OK
// applies everything as one undoable edit (ApplyPageGeometry).
#include <algorithm>
#include <cmath>
#include <string>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/units_dialog.h"
#include "core/undo/undo.h"
#include "core/units/paper_table.h"
#include "core/units/units.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_geometry.h"
#include "layout/page_layout_dialogs.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {

namespace {

using platform::WindowHandle;

constexpr intptr_t kDialogCancelled = 2;
constexpr intptr_t kMarginsCancelled = 0;
constexpr intptr_t kMarginsDone = 1;

void ShowUnits(WindowHandle dialog, int32_t label, uint8_t unit) {
    ui::SetItemText(dialog, label, ProgramString(unit == kPaperUnitCentimetres ? kStrCentimeters : kStrInches));
}

// Logical values of a margin set in a unit (the top truncated, the others to the
// nearest unit).
void RecomputeLogical(const ScoreDocument& document, uint8_t unit, const uint16_t (&words)[kMarginCount],
                      int32_t (&logical)[kMarginCount]) {
    const double scale = UnitsPerInch(document) * (unit == kPaperUnitCentimetres ? kInchesPerCm : 1.0);
    for (int i = 0; i < kMarginCount; ++i) {
        const double value = BcdInchesToFloat(words[i]) * scale;
        logical[i] = i == 1 ? static_cast<int32_t>(value) : static_cast<int32_t>(std::lround(value));
    }
}

// Both working margin sets into the other unit.
void ConvertWorkingMargins(ScoreDocument* document, uint8_t toUnit) {
    LayoutGlobals& run = State().layout;
    for (auto* set : {&run.WorkingLeftMargins, &run.WorkingRightMargins}) {
        uint32_t record[kMarginCount];
        for (int i = 0; i < kMarginCount; ++i) record[i] = (*set)[i];
        if (toUnit == kPaperUnitCentimetres)
            BcdRecordInchesToCm(record);
        else
            BcdRecordCmToInches(record);
        for (int i = 0; i < kMarginCount; ++i) (*set)[i] = static_cast<uint16_t>(record[i]);
    }
    RecomputeLogical(*document, toUnit, run.WorkingLeftMargins, run.WorkingLeftLogical);
    RecomputeLogical(*document, toUnit, run.WorkingRightMargins, run.WorkingRightLogical);
}

// The working unit becomes `unit`, the margins converted when it changes.
void ChangeUnit(WindowHandle dialog, ScoreDocument* document, uint8_t unit) {
    PageRecord& working = document->workingPageGeometry;
    if (unit != working.unit) ConvertWorkingMargins(document, unit);
    working.unit = unit;
    ShowUnits(dialog, page_setup_dialog::kUnitsLabel, unit);
}

void ShowUserPaper(WindowHandle dialog, const ScoreDocument* document, bool user) {
    using namespace page_setup_dialog;
    ui::EnableItem(dialog, kUserWidth, user);
    ui::EnableItem(dialog, kUserHeight, user);
    if (user) {
        SetDlgItemBcd(dialog, kUserWidth, document->header.userPageWidth);
        SetDlgItemBcd(dialog, kUserHeight, document->header.userPageHeight);
    } else {
        ui::SetItemText(dialog, kUserWidth, "");
        ui::SetItemText(dialog, kUserHeight, "");
    }
}

void InitPageSetup(WindowHandle dialog, ScoreDocument* document) {
    using namespace page_setup_dialog;
    const PageRecord& working = document->workingPageGeometry;
    for (const PaperRow& row : PaperTable) ui::CheckItem(dialog, row.controlId, row.index == working.paperKind);
    ui::CheckItem(dialog, working.orientation != 0 ? kLandscape : kPortrait, true);
    ui::CheckItem(dialog, working.sides != 0 ? kDoubleSide : kSingleSide, true);
    ui::CheckItem(dialog, working.firstPage != 0 ? kStartRight : kStartLeft, true);
    ui::EnableItem(dialog, kStartLeft, working.sides != 0);
    ui::EnableItem(dialog, kStartRight, working.sides != 0);
    ui::CheckItem(dialog, kSavePreferences, false);
    ShowUnits(dialog, kUnitsLabel, working.unit);
    ShowUserPaper(dialog, document, working.paperKind == kUserPaperIndex);
}

// A standard paper: its unit, its row.
void ChooseStandardPaper(WindowHandle dialog, ScoreDocument* document, const PaperRow& row) {
    ShowUserPaper(dialog, document, false);
    document->workingPageGeometry.paperKind = row.index;
    ChangeUnit(dialog, document, row.unit);
    State().layout.GeometryChanged = 1;
}

// User paper: from a standard paper it starts at that paper's size and unit.
void ChooseUserPaper(WindowHandle dialog, ScoreDocument* document) {
    PageRecord& working = document->workingPageGeometry;
    if (working.paperKind != kUserPaperIndex) {
        const PaperRow& row = PaperRowOf(working.paperKind);
        document->header.userPageWidth = row.width;
        document->header.userPageHeight = row.height;
        ChangeUnit(dialog, document, row.unit);
        working.paperKind = kUserPaperIndex;
    }
    ShowUserPaper(dialog, document, true);
    State().layout.GeometryChanged = 1;
}

// The units spin: inches and centimetres change places, the User sizes with them.
void ToggleUnits(WindowHandle dialog, ScoreDocument* document) {
    using namespace page_setup_dialog;
    const uint8_t unit = document->workingPageGeometry.unit == kPaperUnitCentimetres ? kPaperUnitInches
                                                                                      : kPaperUnitCentimetres;
    ChangeUnit(dialog, document, unit);
    if (document->workingPageGeometry.paperKind != kUserPaperIndex) return;
    for (int32_t id : {kUserWidth, kUserHeight}) {
        const BcdInches word = GetDlgItemBcd(dialog, id);
        SetDlgItemBcd(dialog, id, unit == kPaperUnitCentimetres ? BcdInchesToCm(word) : BcdCmToInches(word));
    }
}

intptr_t RunMarginsDialog(ScoreView* view);

bool OnPageSetupButton(WindowHandle dialog, ScoreView* view, int32_t id) {
    using namespace page_setup_dialog;
    ScoreDocument* document = view->document;
    PageRecord& working = document->workingPageGeometry;
    LayoutGlobals& run = State().layout;
    for (const PaperRow& row : PaperTable)
        if (static_cast<int32_t>(row.controlId) == id) {
            if (row.index == kUserPaperIndex)
                ChooseUserPaper(dialog, document);
            else
                ChooseStandardPaper(dialog, document, row);
            return true;
        }
    switch (id) {
        case kPortrait: case kLandscape: working.orientation = id == kLandscape ? 1 : 0; break;
        case kSingleSide: case kDoubleSide:
            working.sides = id == kDoubleSide ? 1 : 0;
            ui::EnableItem(dialog, kStartLeft, working.sides != 0);
            ui::EnableItem(dialog, kStartRight, working.sides != 0);
            break;
        case kStartLeft: case kStartRight: working.firstPage = id == kStartRight ? 1 : 0; break;
        case kSavePreferences: run.SavePagePreferences ^= 1; return true;
        case kStaffSize: {
            const intptr_t result = ModalDialogBox(view, kStaffSizeDialog, StaffSizeDialogProc);
            if (result > 0) run.StaffSizeChosen = static_cast<uint8_t>(result);
            return true;
        }
        case kMargins: run.DialogChanged |= RunMarginsDialog(view) > 0 ? 1 : 0; return true;
        case kReset:
            working = document->header.pageGeometry;
            InitPageSetup(dialog, document);
            return true;
        default: return false;
    }
    run.GeometryChanged = 1;
    return true;
}

intptr_t PageSetupProc(ScoreView* view, WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    using namespace page_setup_dialog;
    switch (message) {
        case win::Message::InitDialog:
            InitPageSetup(dialog, view->document);
            EnableHelpButton(dialog, nullptr);
            return 0;
        case win::Message::VerticalScroll:
            if (win::GetWindowId(win::WindowFromData(data)) == kUnitsSpin) ToggleUnits(dialog, view->document);
            return 1;
        case win::Message::Command: {
            const auto id = static_cast<int32_t>(win::CommandId(word));
            if (id == ui::kIdOk) ui::EndDialog(dialog, ApplyPageGeometry(view, dialog));
            else if (id == ui::kIdCancel) ui::EndDialog(dialog, kDialogCancelled);
            else if (id == kHelpButtonId) ShowDialogContextHelp(dialog, kHelpId, nullptr);
            else return OnPageSetupButton(dialog, view, id) ? 1 : 0;
            return 1;
        }
        case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::Help:
            return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
        default: return 0;
    }
}

// ---- Margins ----

void FillMarginEdits(WindowHandle dialog, bool doubleSided) {
    using namespace margins_dialog;
    const LayoutGlobals& run = State().layout;
    // The edits run top, left, right, bottom; the working sets left, top, right, bottom.
    static constexpr int kSetIndex[kMarginCount] = {1, 0, 2, 3};
    for (int i = 0; i < kMarginCount; ++i) {
        SetDlgItemBcd(dialog, kRightEdits[i], run.WorkingRightMargins[kSetIndex[i]]);
        if (doubleSided) SetDlgItemBcd(dialog, kLeftEdits[i], run.WorkingLeftMargins[kSetIndex[i]]);
    }
}

void ReadMarginEdits(WindowHandle dialog, ScoreDocument* document, bool doubleSided) {
    using namespace margins_dialog;
    LayoutGlobals& run = State().layout;
    static constexpr int kSetIndex[kMarginCount] = {1, 0, 2, 3};
    for (int i = 0; i < kMarginCount; ++i) {
        run.WorkingRightMargins[kSetIndex[i]] = GetDlgItemBcd(dialog, kRightEdits[i]);
        if (doubleSided) run.WorkingLeftMargins[kSetIndex[i]] = GetDlgItemBcd(dialog, kLeftEdits[i]);
    }
    const uint8_t unit = document->workingPageGeometry.unit;
    RecomputeLogical(*document, unit, run.WorkingLeftMargins, run.WorkingLeftLogical);
    RecomputeLogical(*document, unit, run.WorkingRightMargins, run.WorkingRightLogical);
}

intptr_t MarginsProc(ScoreView* view, bool doubleSided, WindowHandle dialog, win::Message message, uint32_t word,
                     intptr_t data) {
    using namespace margins_dialog;
    ScoreDocument* document = view->document;
    switch (message) {
        case win::Message::InitDialog:
            State().layout.SaveMarginPreferences = 0;
            if (document->workingPageGeometry.unit > kPaperUnitCentimetres) document->workingPageGeometry.unit = 0;
            FillMarginEdits(dialog, doubleSided);
            ShowUnits(dialog, kUnitsLabel, document->workingPageGeometry.unit);
            EnableHelpButton(dialog, nullptr);
            return 0;
        case win::Message::VerticalScroll:
            ParseDecimalEdit(dialog, win::GetWindowId(win::WindowFromData(data)),
                             win::ScrollCodeOf(word) == win::ScrollCode::LineDown);
            return 1;
        case win::Message::Command: {
            const auto id = static_cast<int32_t>(win::CommandId(word));
            if (id == ui::kIdOk) {
                ReadMarginEdits(dialog, document, doubleSided);
                ui::EndDialog(dialog, kMarginsDone);
            } else if (id == ui::kIdCancel) {
                ui::EndDialog(dialog, kMarginsCancelled);
            } else if (id == kSavePreferences) {
                State().layout.SaveMarginPreferences ^= 1;
            } else if (id == kReset) {
                FillMarginEdits(dialog, doubleSided);
            } else if (id == kHelpButtonId) {
                ShowDialogContextHelp(dialog, kHelpId, nullptr);
            } else {
                return 0;
            }
            return 1;
        }
        case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::Help:
            return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
        default: return 0;
    }
}

intptr_t RunMarginsDialog(ScoreView* view) {
    using namespace margins_dialog;
    const bool doubleSided = view->document->workingPageGeometry.sides != 0;
    return ModalDialogBox(view, doubleSided ? kDoubleSidedDialog : kSingleSidedDialog,
                          [view, doubleSided](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
                              return MarginsProc(view, doubleSided, dialog, message, word, data);
                          });
}

}  // namespace

intptr_t RunPageSetupDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return kDialogCancelled;
    StartPageGeometryRun(view->document);
    // A Staff Size run inside makes its edit within this one.
    UndoStep step(view->document, view, UndoKind::Page, 0, UndoVerb::Modify);
    return ModalDialogBox(view, page_setup_dialog::kPageSetupDialog,
                          [view](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
                              return PageSetupProc(view, dialog, message, word, data);
                          });
}

intptr_t RunSetMarginsDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return kMarginsCancelled;
    const bool doubleSided = view->document->header.pageGeometry.sides != 0;
    return RunPageGeometryDialog(
        view, doubleSided ? margins_dialog::kDoubleSidedDialog : margins_dialog::kSingleSidedDialog,
        [view, doubleSided](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
            return MarginsProc(view, doubleSided, dialog, message, word, data);
        });
}

}  // namespace ql
