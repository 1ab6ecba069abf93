// The start most editing tests share: a fresh program state with the headless
// window layer, a new document made as the program makes one, with its linked view
// in page view on page one; at the end the view and document are freed and the
// arena must be back where it started. Also a frame window with its status bar, so
// that notices and status texts are recorded. Header only: several test programs
// take it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>

#include "core/memory/arena.h"
#include "core/model/document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql::testing {

class NewDocumentTest : public ::testing::Test {
  protected:
    // The program state reset, then `registerExtras` (object classes, options), then
    // the document.
    template <class Register>
    void OpenNewDocument(Register registerExtras) {
        ResetProgramState();
        win::headless::ResetWindowLayer();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        registerExtras();
        arenaBytesAtStart_ = ArenaBytesInUse();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
        view_->pageView = 1;
        view_->currentPage = doc_->firstPage;
        view_->currentSystem = doc_->firstPage->firstSystem.get();
    }
    void CloseNewDocument() {
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
        EXPECT_EQ(ArenaBytesInUse(), arenaBytesAtStart_) << "the document left blocks in the arena";
    }

    // A frame window with its status bar.
    static void MakeStatusBar() {
        win::WindowClass frameClass;
        frameClass.name = "MdiFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams params;
        params.className = "MdiFrame";
        params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
        params.rect = {0, 0, 440, 300};
        platform::WindowHandle frame = win::CreateWindow(params);
        State().dialogs.FrameWindow = frame;
        CreateStatusBar(frame);
        LayoutStatusBar(frame);
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    size_t arenaBytesAtStart_ = 0;
};

}  // namespace ql::testing
