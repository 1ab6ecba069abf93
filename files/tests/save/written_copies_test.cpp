// Every file the program writes reads back into the document that was written,
// engraving metrics included: Save, Save As, the autosave copy (the one the
// termination signal writes too) and the emergency copy, of a new score and of the
// stream fixtures' scores. Stored metrics out of their ranges are repaired on reading.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/view.h"
#include "core/settings/metrics_table.h"
#include "core/state.h"
#include "core/undo/autosave.h"
#include "files/commands/file_commands.h"
#include "files/read/score_reader.h"
#include "files/score_file.h"
#include "files/tests/read/read_fixture.h"
#include "files/tests/stream/stream_fixtures.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;

// One way the program writes a score: the path of the file it leaves, or empty.
using Writer = std::function<std::string(ScoreDocument*, ScoreView*, const std::string& folder)>;

struct CopyKind {
    const char* name;
    Writer write;
};

std::vector<CopyKind> CopyKinds() {
    return {
        {"Save",
         [](ScoreDocument* d, ScoreView* v, const std::string& folder) {
             d->path = folder + "/saved.ql";
             SetDocumentModified(d);
             return SaveDocument(d, v) == 1 ? d->path : std::string{};
         }},
        {"Save As",
         [](ScoreDocument* d, ScoreView* v, const std::string& folder) {
             const std::string path = folder + "/saved as.ql";
             ui::headless::QueueFileDialogAnswer(ui::FileDialogAnswer{ui::FileDialogStatus::Chosen, path});
             return SaveDocumentAs(d, v) == 1 ? path : std::string{};
         }},
        {"autosave",
         [](ScoreDocument* d, ScoreView* v, const std::string& folder) {
             d->path = folder + "/untitled_NEW";
             return AutoSave(d, v) == AutoSaveResult::Saved ? AutoSaveName(d->path) : std::string{};
         }},
        {"emergency copy",
         [](ScoreDocument* d, ScoreView* v, const std::string& folder) {
             d->path = folder + "/kept.ql";
             std::string path;
             return SaveEmergencyCopy(v, &path) != 0 ? path : std::string{};
         }},
    };
}

class WrittenCopies : public ReadTest {
  protected:
    // The file opened as the user opens it (the load is freed with the fixture).
    ScoreLoad Open(const std::string& path) {
        ScoreLoad load = LoadScoreFile(path);
        if (load.document != nullptr) {
            loads_.push_back(load);
            ShowLoadNotice(load);
        }
        return load;
    }
    // Writes the fixture's document each way and compares what each file opens as.
    void ExpectEveryCopyReadsBack(const std::vector<std::string>& model, const char* score) {
        ScoreDocument written = {};
        written.header = doc_->header;
        std::copy(std::begin(doc_->internalDistances), std::end(doc_->internalDistances),
                  std::begin(written.internalDistances));
        for (const CopyKind& kind : CopyKinds()) {
            SCOPED_TRACE(std::string(score) + ", " + kind.name);
            const size_t boxes = Boxes();
            const std::string path = kind.write(doc_, view_, folder_);
            ASSERT_FALSE(path.empty()) << LastBox();
            ScoreLoad load = Open(path);
            ASSERT_EQ(load.code, 0) << LastBox();
            EXPECT_EQ(load.repairedMetrics, 0);
            EXPECT_EQ(Boxes(), boxes) << LastBox();
            for (int word = 0; word < kPageDistanceCount; ++word) {
                EXPECT_EQ(load.document->header.pageDistances[word], written.header.pageDistances[word])
                    << "stored metric " << word;
                EXPECT_EQ(load.document->internalDistances[word], written.internalDistances[word]) << "metric " << word;
            }
            EXPECT_EQ(tf::SummariseModel(load.document), model);
        }
    }
    // The view's pools made current, as the program has them while it works on it.
    void UseDocument() { SetCurrentPoolSet(doc_->pools); }
    // The model a read makes of the score (the reader's normalisations done) is the
    // one every copy must give back; the metrics must be the written ones.
    void ExpectCopiesReadBack(const char* score) {
        ScoreLoad first = Read(Write(doc_, view_));
        ASSERT_EQ(first.code, 0);
        UseDocument();
        ExpectEveryCopyReadsBack(tf::SummariseModel(first.document), score);
    }
    void BringMetricsIntoRange() {
        RepairMetricWords(doc_->header);
        ConvertHeaderToInternal(doc_);
    }
    static bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out);
    }
};

// A new score: its document made as New makes one (with the preference metrics,
// all in range), one staff with two beamed notes.
TEST_F(WrittenCopies, NewScoreReadsBackFromEveryCopy) {
    UseDocument();
    BuildSmallScore();
    ScoreHeader header = doc_->header;
    EXPECT_EQ(RepairMetricWords(header), 0) << "a new score's metrics are all in range";
    EXPECT_GT(EngravingMetricOf(*doc_, EngravingMetric::StaffLineWid), 0);
    ExpectCopiesReadBack("new score");
}

// The stream fixtures' scores, their metrics first brought into range as a read
// brings them; what the first read makes of a score is what every copy gives back.
TEST_F(WrittenCopies, OneStaffFixtureReadsBackFromEveryCopy) {
    UseDocument();
    ASSERT_TRUE(tf::BuildOneStaffScore(doc_, view_));
    BringMetricsIntoRange();
    ExpectCopiesReadBack("one-staff score");
}

TEST_F(WrittenCopies, FullFixtureReadsBackFromEveryCopy) {
    BuildFull();
    UseDocument();
    BringMetricsIntoRange();
    ExpectCopiesReadBack("full score");
}

// Stored metrics of 0 or out of their ranges (the full fixture's staff lines are
// thicker than a space) take the defaults when read, are counted, and the user is
// told once; sharpness and tie offsets may be 0.
TEST_F(WrittenCopies, MetricsOutOfRangeAreRepairedOnReading) {
    std::vector<uint8_t> zeros = tf::OneStaffStream();
    for (int word = 0; word < kPageDistanceCount; ++word) tf::PutU16(zeros, tf::kHeaderAt + 2 * word, 0);
    const std::vector<uint8_t> full = tf::FullScoreStream();
    struct Case {
        const std::vector<uint8_t>* bytes;
        int repairs;
    };
    // Zeros: all but the two sharpness and two offset words. The full fixture: its
    // thicknesses (above 1.00 space, the thin lines above a quarter) and sharpness.
    for (Case c : {Case{&zeros, kMetricSettingCount - 4}, Case{&full, 10}}) {
        const std::string path = PathOf("metrics.ql");
        ASSERT_TRUE(WriteBytes(path, *c.bytes));
        const size_t boxes = Boxes();
        ScoreLoad load = Open(path);
        ASSERT_EQ(load.code, 0);
        EXPECT_EQ(load.repairedMetrics, c.repairs);
        EXPECT_FALSE(load.damaged);
        ASSERT_EQ(Boxes(), boxes + 1);
        EXPECT_EQ(LastBox(), kRepairedMetricsNotice);
        for (const MetricSetting& metric : MetricSettingsTable()) {
            const double spaces = load.document->internalDistances[static_cast<int>(metric.word)] / 128.0;
            EXPECT_GE(spaces, metric.range.lowest - 0.01) << metric.key;
            EXPECT_LE(spaces, metric.range.highest) << metric.key;
        }
        const int line = EngravingMetricOf(*load.document, EngravingMetric::StaffLineWid);
        EXPECT_GT(line, 0);
        EXPECT_LT(line, 32) << "a staff line thinner than a quarter space";
    }
}

}  // namespace
}  // namespace ql
