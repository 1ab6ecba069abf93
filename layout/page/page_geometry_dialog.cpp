// A page-geometry dialog run: the working copy of the page record and margins that
// the dialogs edit (RunPageGeometryDialog), its commit as one undoable edit
// (ApplyPageGeometry), and giving every page the margins of its master, the
// systems that no longer fit moved on to the next pages (RelayoutAfterPageChange).
// The working state is program-wide (one run at a time) and lives in the layout
// state.
#include <algorithm>

#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/selection_services.h"
#include "core/ui/tool_services.h"
#include "core/ui/units_dialog.h"
#include "core/undo/undo.h"
#include "core/units/paper_table.h"
#include "core/units/units.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"

namespace ql {

namespace {

constexpr intptr_t kDialogCancelled = 2;
constexpr uint32_t kWordMask = 0xFFFF;
constexpr int kMaxPages = 64 * 1024;
constexpr char kMarginSection[] = "Quaverlinescribe";
// Setting keys of the left-page and right-page margins, in margin order.
constexpr const char* kLeftMarginKeys[kMarginCount] = {"LMarginLeft", "LMarginTop", "LMarginRight",
                                                        "LMarginBottom"};
constexpr const char* kRightMarginKeys[kMarginCount] = {"RMarginLeft", "RMarginTop",
                                                         "RMarginRight", "RMarginBottom"};

void LoadWorkingMargins(const ScorePage* master, uint16_t (&words)[kMarginCount],
                        int32_t (&logical)[kMarginCount]) {
    PageMargins margins;
    if (!GetPageMargins(master, &margins)) return;
    for (int i = 0; i < kMarginCount; ++i) {
        words[i] = static_cast<uint16_t>(margins.words[i] & kWordMask);
        logical[i] = margins.logical[i];
    }
}


// One User paper side from its edit: at least 512 logical units. True when changed.
bool ApplyUserSide(ScoreDocument* document, platform::WindowHandle dialog, int32_t control,
                   uint16_t& word, uint16_t& units) {
    BcdInches entered = GetDlgItemBcd(dialog, control);
    int32_t logical = BcdToPageUnits(*document, entered, false);
    if (logical < kMinUserPageUnits) {
        entered = kMinUserPageWord;
        logical = BcdToPageUnits(*document, entered, false);
    }
    const auto stored = static_cast<uint16_t>(std::clamp(logical, 0, kMaxUserPageUnits));
    const bool changed = entered != word || stored != units;
    word = entered;
    units = stored;
    return changed;
}

void SavePageDefaults(const ScoreDocument& document) {
    PreferenceDefaults& defaults = ProgramPreferences();
    const PageRecord& page = document.header.pageGeometry;
    PageRecord& saved = defaults.header.pageGeometry;
    saved.paperKind = page.paperKind;
    saved.unit = page.unit;
    saved.orientation = page.orientation;
    saved.sides = page.sides;
    saved.firstPage = page.firstPage;
    saved.userPageWidth = page.userPageWidth;
    saved.userPageHeight = page.userPageHeight;
    defaults.header.userPageWidth = document.header.userPageWidth;
    defaults.header.userPageHeight = document.header.userPageHeight;
    SavePagePrefs();
}

void SaveMarginDefaults(const LayoutGlobals& run) {
    ScoreHeader& defaults = ProgramPreferences().header;
    for (int i = 0; i < kMarginCount; ++i) {
        defaults.leftMargins[i] = run.WorkingLeftMargins[i];
        defaults.rightMargins[i] = run.WorkingRightMargins[i];
    }
    char text[kBcdTextBytes];
    for (int i = 0; i < kMarginCount; ++i) {
        BcdInchesToText(run.WorkingLeftMargins[i], text, sizeof text);
        SetPrefString(kMarginSection, kLeftMarginKeys[i], text);
        BcdInchesToText(run.WorkingRightMargins[i], text, sizeof text);
        SetPrefString(kMarginSection, kRightMarginKeys[i], text);
    }
}

// Step 4: the Page Setup dialog's User paper, saved page defaults, the page band.
void ApplyPageSetupDialog(ScoreView* view, platform::WindowHandle dialog, LayoutGlobals& run) {
    ScoreDocument* document = view->document;
    PageRecord& page = document->header.pageGeometry;
    if (page.paperKind == kUserPaperIndex) {
        uint16_t width = page.userPageWidth;
        uint16_t height = page.userPageHeight;
        const bool wide = ApplyUserSide(document, dialog, kUserPageWidthControl,
                                        document->header.userPageWidth, width);
        const bool tall = ApplyUserSide(document, dialog, kUserPageHeightControl,
                                        document->header.userPageHeight, height);
        page.userPageWidth = width;
        page.userPageHeight = height;
        if (wide || tall) run.GeometryChanged = 1;
    }
    if (run.SavePagePreferences) SavePageDefaults(*document);
    if (run.GeometryChanged) UpdatePagersToolbar(view);
}

// Step 5: a staff size chosen in the Staff Size dialog.
void ApplyChosenStaffSize(ScoreView* view, const LayoutGlobals& run) {
    ScoreDocument* document = view->document;
    const int size = run.StaffSizeChosen - 1;
    if (size < 0 || size > kUserStaffSize) return;
    document->header.pageGeometry.staffSize = static_cast<uint8_t>(size);
    view->UnitsPerInch = StaffUnitsPerInch(size, document->header.fontSizeSetting);
    ReconvertMargins(document, document->leftMaster);
    ReconvertMargins(document, document->rightMaster);
}

// Sets the margin-change flag for one scope.
class MarginsChanging {
  public:
    MarginsChanging() : saved_(State().layout.MarginsChanging) { State().layout.MarginsChanging = 1; }
    ~MarginsChanging() { State().layout.MarginsChanging = saved_; }
    MarginsChanging(const MarginsChanging&) = delete;
    MarginsChanging& operator=(const MarginsChanging&) = delete;

  private:
    uint8_t saved_;
};

}  // namespace

void ReconvertMargins(ScoreDocument* document, ScorePage* page) {
    PageMargins margins;
    if (!GetPageMargins(page, &margins)) return;
    uint16_t words[kMarginCount];
    for (int i = 0; i < kMarginCount; ++i) words[i] = static_cast<uint16_t>(margins.words[i] & kWordMask);
    SetPageMarginWords(document, page, words);
}

void StartPageGeometryRun(ScoreDocument* document) {
    if (document == nullptr) return;
    LayoutGlobals& run = State().layout;
    run.GeometryChanged = run.StaffSizeChosen = run.DialogChanged = 0;
    run.SavePagePreferences = run.SaveMarginPreferences = 0;
    PaperUnitOf(&document->header.pageGeometry);
    document->workingPageGeometry = document->header.pageGeometry;
    document->workingSettingB = document->header.scoreSettingB;
    LoadWorkingMargins(document->rightMaster, run.WorkingRightMargins, run.WorkingRightLogical);
    LoadWorkingMargins(document->leftMaster, run.WorkingLeftMargins, run.WorkingLeftLogical);
}

intptr_t RunPageGeometryDialog(ScoreView* view, int32_t dialogId, ui::DialogProc procedure) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return 0;
    LayoutGlobals& run = State().layout;
    StartPageGeometryRun(document);
    const intptr_t result = ModalDialogBox(view, dialogId, std::move(procedure));
    // The Staff Size dialog ends with the chosen size + 1 (2 is size 1), or 0.
    const bool staffSize = dialogId == kStaffSizeDialog;
    if (result <= 0 || (!staffSize && result == kDialogCancelled)) return result;
    if (staffSize)
        run.StaffSizeChosen = static_cast<uint8_t>(std::min<intptr_t>(result, UINT8_MAX));
    else
        run.DialogChanged = 1;
    ApplyPageGeometry(view, platform::WindowHandle{});
    WarnWhenSystemTallerThanPage(view);
    return result;
}

int ApplyPageGeometry(ScoreView* view, platform::WindowHandle dialog) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return 1;
    LayoutGlobals& run = State().layout;
    UndoStep step(document, view, UndoKind::Page, 0, UndoVerb::Modify);
    SetDocumentModified(document);
    run.DialogChanged = 1;
    PageRecord& record = document->header.pageGeometry;
    PageRecord& working = document->workingPageGeometry;
    PaperUnitOf(&working);
    PaperUnitOf(&record);
    if (working.paperKind != record.paperKind || working.sides != record.sides ||
        working.firstPage != record.firstPage)
        run.GeometryChanged = 1;
    record = working;
    document->header.scoreSettingB = document->workingSettingB;
    if (dialog) ApplyPageSetupDialog(view, dialog, run);
    if (run.StaffSizeChosen != 0) ApplyChosenStaffSize(view, run);
    SetPageMarginWords(document, document->leftMaster, run.WorkingLeftMargins);
    SetPageMarginWords(document, document->rightMaster, run.WorkingRightMargins);
    if (run.SaveMarginPreferences) SaveMarginDefaults(run);
    InitViewMetrics(view);
    {
        MarginsChanging changing;
        RelayoutAfterPageChange(document, view);
    }
    EndFocus(view, 0);
    InvalidateLinkedViews(view);
    return 1;
}

void RelayoutAfterPageChange(ScoreDocument* document, ScoreView* view) {
    if (document == nullptr) return;
    PageMargins left;
    PageMargins right;
    const bool hasLeft = GetPageMargins(document->leftMaster, &left);
    const bool hasRight = GetPageMargins(document->rightMaster, &right);
    for (int i = 0; i < kMarginCount; ++i) {
        if (hasLeft) document->header.leftMargins[i] = static_cast<uint16_t>(left.words[i] & kWordMask);
        if (hasRight) document->header.rightMargins[i] = static_cast<uint16_t>(right.words[i] & kWordMask);
    }
    ScorePage* page = document->firstPage;
    for (int index = 0; page != nullptr && index < kMaxPages; ++index, page = page->next.get()) {
        const bool isLeft = IsLeftPage(document, GetPageIndex(document, page));
        if (isLeft ? hasLeft : hasRight) SetPageMargins(page, isLeft ? left : right);
    }
    if (view == nullptr) return;
    // Systems that no longer fit between the new margins go on to the next pages.
    FitSystemsToPages(view, document->firstPage);
    FormatMeasuresOfAllPages(view);
}

}  // namespace ql
