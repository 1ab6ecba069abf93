// Set-up of the view-mode tests.
#include "display/tests/modes/modes_fixture.h"

#include "core/memory/arena.h"
#include "core/model/document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "layout/page_format.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql::testing_modes {

void ModesTest::SetUp() {
    ResetProgramState();
    win::headless::ResetWindowLayer();
    ui::headless::ResetUi();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    arenaBytesAtStart_ = ArenaBytesInUse();
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
    doc_->header.staffCount = 2;
    doc_->header.newScoreBlock.initSystemsPerPage = 4;
    doc_->header.newScoreBlock.initMeasuresPerSystem = 4;
    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    ASSERT_EQ(ActivateView(view_), view_);
}

void ModesTest::TearDown() {
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
    EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_) << "the document left blocks in the arena";
}

void ModesTest::Grow(int measures) {
    ASSERT_EQ(AddMeasures(view_, measures), 1);
    ExtendPagesToMeasureCount(view_);
}

void ModesTest::MakeStatusBar() {
    win::WindowClass frameClass;
    frameClass.name = "MdiFrame";
    frameClass.procedure = win::DefaultWindowProc;
    win::RegisterWindowClass(frameClass);
    win::WindowParams params;
    params.className = "MdiFrame";
    params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
    params.rect = {0, 0, 440, 300};
    const platform::WindowHandle frame = win::CreateWindow(params);
    State().dialogs.FrameWindow = frame;
    CreateStatusBar(frame);
    LayoutStatusBar(frame);
}

}  // namespace ql::testing_modes
