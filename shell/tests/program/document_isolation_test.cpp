// Two open scores never see each other's records: a saved score opened, a new one
// made beside it, the windows cascaded and the first one activated and painted draws
// exactly what it draws with the other score closed, and no drawing notice comes up.
// A seeded driver mixes paints, activations, scrolling, edits with undo and redo,
// the Music Metrics command and saves of two different scores: after every step the
// other score's pool bytes are untouched, and every paint draws what the same paint
// draws in a run with the other score never opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/document_context.h"
#include "core/model/grid_records.h"
#include "core/model/view.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/autosave.h"
#include "core/undo/undo.h"
#include "files/commands/file_commands.h"
#include "files/score_file.h"
#include "layout/page/page_layout_resources.h"
#include "objects/guide/guide_class.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/page_commands.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using DocumentIsolationTest = testing::ProgramFixture;
namespace iso = testing::isolation;

// Open a saved score, File > New > OK, Window > Cascade, click the first score's
// window: its paint is the paint it gets alone.
TEST_F(DocumentIsolationTest, ANewScoreBesideAnOpenedOneLeavesItsDrawingAlone) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = iso::SaveTwoStaffScore(scratch / "first.ql");
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(OpenScorePath(path));
    ScoreView* first = FindViewByPath(path);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(iso::NewScoreFromMenu(1), nullptr);
    ASSERT_EQ(CountOpenDocuments(), 2);
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kCascade, 0));
    win::ActivateMdiChild(Frame().mdiClient, first->ViewWindow);
    const std::vector<uint32_t> shared = iso::PaintedPixels(first);
    EXPECT_EQ(iso::DrawNoticeCount(), 0) << "a drawing notice came up";
    // The same paint with the new score closed.
    for (platform::WindowHandle child : win::MdiChildrenInZOrder(Frame().mdiClient))
        if (GetScoreViewOfWindow(child) != first) ForceCloseScoreWindow(child);
    ASSERT_EQ(CountOpenDocuments(), 1);
    EXPECT_TRUE(shared == iso::PaintedPixels(first)) << "the first score drew differently beside the new one";
}

// The selection's prototype (the armed tool's object) is always one of the active
// score's: with two new scores open, closing either leaves none of the closed
// score's, which went with it.
TEST_F(DocumentIsolationTest, TheSelectionsPrototypeIsTheActiveScoresAfterAClose) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (const bool closeActive : {true, false}) {
        ScoreView* first = iso::NewScoreFromMenu(1);
        ScoreView* second = iso::NewScoreFromMenu(2);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        ScoreView* kept = closeActive ? first : second;
        // The pointer over each score arms the tool's prototype there.
        for (ScoreView* view : {first, second}) {
            win::ActivateMdiChild(Frame().mdiClient, view->ViewWindow);
            win::SendMessage(view->ViewWindow, win::Message::MouseMove, 0, win::PackPoint({120, 160}));
        }
        ASSERT_NE(State().documents.Selection->defaultObject.get(), nullptr);
        ForceCloseScoreWindow((closeActive ? second : first)->ViewWindow);
        ASSERT_EQ(State().documents.ActiveView, kept);
        const SelectionState* s = State().documents.Selection;
        ASSERT_NE(s, nullptr);
        const ScoreObject* prototype = s->defaultObject.get();
        const auto& own = kept->document->prototypes;
        EXPECT_TRUE(prototype == nullptr || std::find(std::begin(own), std::end(own), prototype) != std::end(own))
            << "the selection keeps a prototype of the closed score (closing the active one: " << closeActive << ")";
        EXPECT_EQ(s->focusedObject.get(), prototype);
        ForceCloseScoreWindow(kept->ViewWindow);
    }
}

// ---- The seeded driver ----

enum class Action { Paint, Activate, Scroll, Edit, Undo, Redo, Metrics, Save, Count };

struct Step {
    int score;  // 0: the opened two-staff score, 1: the new three-staff one
    Action action;
    int value;  // the step's own choice (scroll direction, clef and key steps...)
};

constexpr int kDriverSteps = 2000;
constexpr int32_t kWindowWidth = 900;
constexpr int32_t kWindowHeight = 700;
constexpr uint32_t kDriverSeed = 0x51ab1e;

std::vector<Step> DriverSteps() {
    std::mt19937 random(kDriverSeed);
    std::vector<Step> steps;
    for (int i = 0; i < kDriverSteps; ++i) {
        const int score = static_cast<int>(random() % 2);
        // Paints come twice as often as anything else.
        int action = static_cast<int>(random() % (static_cast<int>(Action::Count) + 1));
        if (action == static_cast<int>(Action::Count)) action = static_cast<int>(Action::Paint);
        steps.push_back(Step{score, static_cast<Action>(action), static_cast<int>(random() % 6)});
    }
    return steps;
}

class IsolationDriverTest : public testing::ProgramFixture {
  protected:
    // What one run saw: per score, a hash of each paint's pixels in order.
    struct Seen {
        std::vector<size_t> paints[2];
    };

    // Starts the program with the scores `open` names, runs the steps of those
    // scores, checks the other score's bytes after each, and ends the program.
    Seen Run(const std::vector<Step>& steps, const bool open[2]) {
        Seen seen;
        // A folder of the run's own: no autosave copy of an earlier run is offered.
        folder_ = scratch / ("run" + std::to_string(++runs_));
        std::filesystem::create_directories(folder_);
        EXPECT_EQ(Start(), StartupCode::Ok);
        ScoreView* views[2] = {nullptr, nullptr};
        if (open[0]) views[0] = OpenTwoStaffScore();
        if (open[1]) views[1] = MakeThreeStaffScore();
        for (int score = 0; score < 2; ++score) {
            if (!open[score]) continue;
            EXPECT_NE(views[score], nullptr);
            if (views[score] == nullptr) return seen;
            // Every window the same size whatever else is open.
            win::RestoreMdiChild(Frame().mdiClient, views[score]->ViewWindow);
            win::MoveWindow(views[score]->ViewWindow, gfx::Rect{0, 0, kWindowWidth, kWindowHeight}, true);
        }
        for (size_t i = 0; i < steps.size() && !::testing::Test::HasFailure(); ++i) {
            const Step& step = steps[i];
            if (!open[step.score]) continue;
            const int other = 1 - step.score;
            const std::vector<uint8_t> before = open[other] ? iso::PoolBytes(views[other]->document) : std::vector<uint8_t>{};
            ScoreView* view = views[step.score];
            if (step.action == Action::Paint) {
                const std::vector<uint32_t> pixels = iso::PaintedPixels(view);
                seen.paints[step.score].push_back(std::hash<std::string_view>{}(std::string_view(
                    reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof pixels[0])));
            } else {
                Perform(view, step);
            }
            if (open[other]) {
                EXPECT_TRUE(iso::PoolBytes(views[other]->document) == before)
                    << "step " << i << " (action " << static_cast<int>(step.action) << " on score " << step.score
                    << ") changed the other score";
            }
        }
        EXPECT_EQ(iso::DrawNoticeCount(), 0);
        TearDown();
        SetUp();
        return seen;
    }

    std::filesystem::path folder_;
    int runs_ = 0;

    ScoreView* OpenTwoStaffScore() {
        const std::string path = iso::SaveTwoStaffScore(folder_ / "two.ql");
        if (path.empty() || !OpenScorePath(path)) return nullptr;
        return FindViewByPath(path);
    }

    ScoreView* MakeThreeStaffScore() {
        ScoreView* view = iso::NewScoreFromMenu(3);
        if (view == nullptr || iso::StepClefAndKey(view, 1, 2, 2) != 2) return nullptr;
        const ScopedDocumentContext context(view);
        if (CreateGuideFromRuler(view, false) == nullptr) return nullptr;
        view->document->path = (folder_ / "three.ql").string();
        return view;
    }

    // The user's way to a score: its window activated, then the command.
    static void Activate(ScoreView* view) { win::ActivateMdiChild(Frame().mdiClient, view->ViewWindow); }

    void Perform(ScoreView* view, const Step& step) {
        switch (step.action) {
            case Action::Activate: Activate(view); break;
            case Action::Scroll:
                win::SendMessage(view->ViewWindow, win::Message::VerticalScroll,
                                 win::MakeScrollWord(step.value % 2 != 0 ? win::ScrollCode::LineDown : win::ScrollCode::LineUp, 0));
                break;
            case Action::Edit:
                Activate(view);
                iso::StepClefAndKey(view, 1 + step.value % view->document->header.staffCount, step.value % 3 - 1,
                                    step.value % 2 != 0 ? 1 : -1);
                break;
            case Action::Undo:
            case Action::Redo: {
                Activate(view);
                const ScopedDocumentContext context(view);
                if (step.action == Action::Undo)
                    UndoCommand(view->document, view);
                else
                    RedoCommand(view->document, view);
                break;
            }
            case Action::Metrics: {
                Activate(view);
                const std::string beat = step.value % 2 != 0 ? "1.5" : "2.25";
                ui::headless::SetDialogScript(music_metrics_dialog::kMusicMetricsDialog, [beat](ui::headless::DialogDriver& d) {
                    d.Type(music_metrics_dialog::kFields[0].id, beat);
                    d.Click(ui::kIdOk);
                });
                win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(page_cmd::kMusicMetrics, 0));
                break;
            }
            case Action::Save:
                // Save is a command of the active window; autosave reaches any score.
                if (step.value % 2 == 0) {
                    Activate(view);
                    const ScopedDocumentContext context(view);
                    SaveDocument(view->document, view);
                } else {
                    AutoSave(view->document, view);
                }
                break;
            default: break;
        }
    }
};

// Each paint of either score, with the other open beside it, equals the same paint
// in a run with the other never opened; no step touches the other score's bytes.
TEST_F(IsolationDriverTest, TwoScoresMixedStepByStepStayApart) {
    const std::vector<Step> steps = DriverSteps();
    const bool both[2] = {true, true};
    const bool first[2] = {true, false};
    const bool second[2] = {false, true};
    const Seen together = Run(steps, both);
    ASSERT_FALSE(HasFailure());
    const Seen alone[2] = {Run(steps, first), Run(steps, second)};
    for (int score = 0; score < 2; ++score) {
        ASSERT_EQ(together.paints[score].size(), alone[score].paints[score].size());
        for (size_t i = 0; i < together.paints[score].size(); ++i)
            ASSERT_EQ(together.paints[score][i], alone[score].paints[score][i])
                << "paint " << i << " of score " << score << " differs from the same paint alone";
    }
}

}  // namespace
}  // namespace ql
