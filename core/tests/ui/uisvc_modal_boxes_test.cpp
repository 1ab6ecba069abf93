// Modal boxes: the nesting limit, palette disabling, the active-view stack and
// the modal flag.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/ui/modal_boxes.h"
#include "core/tests/ui/uisvc_fixture.h"
#include "platform/ui/backend.h"

namespace ql::testing_uisvc {
namespace {

using ui::headless::DialogDriver;

class ModalBoxesTest : public UiServicesTest {};

// Each nested dialog opens the next from its script; the ninth call is refused.
TEST_F(ModalBoxesTest, NinthNestedDialogReturnsCancelShowingNothing) {
    int opened = 0;
    intptr_t ninthResult = -100;
    int depthAtNinth = 0;
    size_t dialogsEndedAtNinth = 0;
    bool palettesDisabledAfterNinth = false;
    ui::headless::SetDialogScript(kNestDialog, [&](DialogDriver&) {
        ++opened;
        intptr_t result = ModalDialogBox(&view_, kNestDialog, EndOnButtons);
        if (opened == kMaxDialogDepth && ninthResult == -100) {
            ninthResult = result;
            depthAtNinth = ui::headless::OpenDialogDepth();
            dialogsEndedAtNinth = ui::headless::Dialogs().size();
            palettesDisabledAfterNinth = PalettesDisabled();
        }
    });
    ModalDialogBox(&view_, kNestDialog, EndOnButtons);
    EXPECT_EQ(opened, kMaxDialogDepth);
    EXPECT_EQ(ninthResult, ui::kIdCancel);
    EXPECT_EQ(depthAtNinth, kMaxDialogDepth);
    EXPECT_EQ(dialogsEndedAtNinth, 0u);
    EXPECT_TRUE(palettesDisabledAfterNinth);
    EXPECT_EQ(ui::headless::Dialogs().size(), static_cast<size_t>(kMaxDialogDepth));
    EXPECT_EQ(State().dialogs.DialogDepth, 0);
}

// Palettes are off while a box is up and on again as soon as any box ends, even
// under an outer dialog that is still open.
TEST_F(ModalBoxesTest, InnerDialogEndingEnablesPalettesUnderOuterDialog) {
    bool disabledInOuter = false;
    bool disabledInInner = false;
    bool enabledAfterInner = false;
    ui::headless::SetDialogScript(kFieldDialog, [&](DialogDriver&) {
        disabledInOuter = PalettesDisabled();
        ModalDialogBox(&view_, kNestDialog, EndOnButtons);
        enabledAfterInner = PalettesEnabled();
    });
    ui::headless::SetDialogScript(kNestDialog,
                                  [&](DialogDriver&) { disabledInInner = PalettesDisabled(); });
    ModalDialogBox(&view_, kFieldDialog, EndOnButtons);
    EXPECT_TRUE(disabledInOuter);
    EXPECT_TRUE(disabledInInner);
    EXPECT_TRUE(enabledAfterInner);
    EXPECT_TRUE(PalettesEnabled());
}

// A backend whose message box notes what the program looks like while it is up.
class BoxProbeBackend final : public ui::Backend {
  public:
    explicit BoxProbeBackend(std::function<void()> probe) : probe_(std::move(probe)) {}
    int ShowMessageBox(platform::WindowHandle owner, std::string_view, std::string_view,
                       uint32_t) override {
        owner_ = owner;
        probe_();
        return ui::kIdNo;
    }
    void Beep(ui::BeepKind) override {}
    void RunModalLoop(platform::WindowHandle, const sys::ResourceId&) override {}
    void ModalDialogEnded(const sys::ResourceId&, intptr_t) override {}
    int32_t TrackPopupMenu(platform::MenuHandle, win::Point, platform::WindowHandle) override {
        return 0;
    }
    void StatusTextChanged(platform::WindowHandle, int, std::string_view,
                           ui::StatusTextStyle) override {}
    ui::DialogBaseUnits DialogFontUnits() override { return ui::DialogBaseUnits{6, 13}; }
    platform::WindowHandle owner_;

  private:
    std::function<void()> probe_;
};

// A message box disables the palettes and sets the modal flag while it is up; both
// come back afterwards, and the box belongs to the frame.
TEST_F(ModalBoxesTest, MessageBoxDisablesPalettesWhileUp) {
    bool disabledDuring = false;
    uint8_t flagDuring = 0;
    auto backend = std::make_unique<BoxProbeBackend>([&] {
        disabledDuring = PalettesDisabled();
        flagDuring = State().dialogs.ModalFlag;
    });
    BoxProbeBackend* probe = backend.get();
    ui::InstallUiBackend(std::move(backend));
    int answer = ModalMessageBox("Text", "Caption", ui::kBoxYesNo);
    EXPECT_TRUE(disabledDuring);
    EXPECT_EQ(flagDuring, 1);
    EXPECT_EQ(answer, ui::kIdNo);
    EXPECT_EQ(probe->owner_, frame_);
    EXPECT_TRUE(PalettesEnabled());
    EXPECT_EQ(State().dialogs.ModalFlag, 0);
    ui::InstallUiBackend(nullptr);
}

// A view's message box leaves the palettes alone and is owned by the view's window.
TEST_F(ModalBoxesTest, ViewMessageBoxLeavesPalettesAlone) {
    bool enabledDuring = false;
    auto backend = std::make_unique<BoxProbeBackend>([&] { enabledDuring = PalettesEnabled(); });
    BoxProbeBackend* probe = backend.get();
    ui::InstallUiBackend(std::move(backend));
    view_.ViewWindow = palette_;  // any window will do as the view's
    ViewMessageBox(&view_, "Text", "Caption", ui::kBoxOk);
    EXPECT_TRUE(enabledDuring);
    EXPECT_EQ(probe->owner_, palette_);
    EXPECT_EQ(State().documents.ActiveView, &view_);
    ui::InstallUiBackend(nullptr);
}

// GetActiveView names the view of the topmost dialog, and nothing outside dialogs.
TEST_F(ModalBoxesTest, ActiveViewIsTheDialogsViewAndNullOutside) {
    EXPECT_EQ(GetActiveView({}), nullptr);
    ScoreView* seen = nullptr;
    ScoreView* seenWithoutDocument = &view_;
    ScoreView other;
    other.self = &other;  // a view without a document
    ui::headless::SetDialogScript(kFieldDialog, [&](DialogDriver& d) {
        seen = GetActiveView(d.Dialog());
        ModalDialogBox(&other, kNestDialog, EndOnButtons);
    });
    ui::headless::SetDialogScript(
        kNestDialog, [&](DialogDriver& d) { seenWithoutDocument = GetActiveView(d.Dialog()); });
    ModalDialogBox(&view_, kFieldDialog, EndOnButtons);
    EXPECT_EQ(seen, &view_);
    EXPECT_EQ(seenWithoutDocument, nullptr);
    EXPECT_EQ(GetActiveView({}), nullptr);
}

// A view closed and freed while its dialog is up is never read again: the dialog
// sees no active view and nothing re-activates it when the dialog ends.
TEST_F(ModalBoxesTest, ViewClosedDuringItsDialogIsNotRead) {
    auto* closing = new ScoreView;
    closing->self = closing;
    closing->document = document_.get();
    LinkView(closing);
    ScoreView* seenAfterClose = &view_;
    ui::headless::SetDialogScript(kFieldDialog, [&](DialogDriver& d) {
        DestroyView(closing);
        delete closing;
        seenAfterClose = GetActiveView(d.Dialog());
    });
    State().documents.ActiveView = &view_;
    ModalDialogBox(closing, kFieldDialog, EndOnButtons);
    EXPECT_EQ(seenAfterClose, nullptr);
    EXPECT_EQ(State().documents.ActiveView, &view_);
    EXPECT_EQ(State().dialogs.DialogDepth, 0);
}

// The modal flag is set while a dialog runs and comes back as it was.
TEST_F(ModalBoxesTest, ModalFlagIsSetDuringAndRestoredAfter) {
    uint8_t during = 0;
    ui::headless::SetDialogScript(kFieldDialog,
                                  [&](DialogDriver&) { during = State().dialogs.ModalFlag; });
    State().dialogs.ModalFlag = 0;
    ModalDialogBox(&view_, kFieldDialog, EndOnButtons);
    EXPECT_EQ(during, 1);
    EXPECT_EQ(State().dialogs.ModalFlag, 0);
    State().dialogs.ModalFlag = 1;
    PlainModalDialogBox(kFieldDialog, EndOnButtons);
    EXPECT_EQ(State().dialogs.ModalFlag, 1);
}

// A dialog ends by re-activating the view that opened it.
TEST_F(ModalBoxesTest, DialogReactivatesItsView) {
    State().documents.ActiveView = nullptr;
    ModalDialogBox(&view_, kFieldDialog, EndOnButtons);
    EXPECT_EQ(State().documents.ActiveView, &view_);
}

// A template missing from every bundle gives -1 and leaves the depth at 0.
TEST_F(ModalBoxesTest, MissingTemplateReturnsFailure) {
    EXPECT_EQ(ModalDialogBox(&view_, 9999, EndOnButtons), ui::kDialogFailed);
    EXPECT_EQ(State().dialogs.DialogDepth, 0);
    EXPECT_TRUE(PalettesEnabled());
}

// A language bundle without the template falls back to the program's own.
TEST_F(ModalBoxesTest, TemplateMissingFromLanguageComesFromProgram) {
    auto language = std::make_shared<sys::ResourceBundle>();
    language->name = "language";
    sys::SetLanguageBundle(language);
    ui::headless::SetDialogScript(kFieldDialog, [](DialogDriver& d) { d.Click(ui::kIdOk); });
    EXPECT_EQ(ModalDialogBox(&view_, kFieldDialog, EndOnButtons), ui::kIdOk);
    sys::SetLanguageBundle(nullptr);
}

}  // namespace
}  // namespace ql::testing_uisvc
