// The score of the layout benchmarks: four staves of mixed note values cycling
// over the measures, in page view, built on a fresh program state.
#pragma once

#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/tests/model/full_score.h"
#include "platform/ui/headless.h"

namespace ql::bench_layout {

inline constexpr int kStaves = 4;
inline constexpr int kFullMeasures = 1000;
inline constexpr int kMeasuresPerSystem = 4;
inline constexpr int kMeasureTicks = 4096;

// Bars of (time, duration code, dots) cycling over the measures and staves.
struct Value {
    int time;
    int code;
    int dots;
};
inline const std::vector<std::vector<Value>> kPatterns = {
    {{0, 12, 0}},
    {{0, 10, 0}, {1024, 10, 0}, {2048, 10, 0}, {3072, 10, 0}},
    {{0, 11, 0}, {2048, 10, 0}, {3072, 10, 0}},
    {{0, 9, 0}, {512, 9, 0}, {1024, 9, 0}, {1536, 9, 0}, {2048, 9, 0}, {2560, 9, 0}, {3072, 9, 0}, {3584, 9, 0}},
    {{0, 10, 0}, {1024, 9, 0}, {1536, 9, 0}, {2048, 11, 0}},
    {{0, 11, 1}, {3072, 10, 0}},
    {{0, 8, 0}, {256, 8, 0}, {512, 8, 0}, {768, 8, 0}, {1024, 10, 0}, {2048, 11, 0}},
};

// A score of kStaves staves of `measures` measures filled with the patterns.
class MixedScore {
  public:
    explicit MixedScore(int measures) {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetPreferenceDefaults();
        view_ = InitView(AllocView());
        document_ = AllocDocument();
        valid_ = CreateDocument(document_, view_, nullptr) != nullptr;
        if (!valid_) return;
        document_->header.staffCount = kStaves;
        valid_ = full_score::BuildStaves(document_, view_, measures);
        for (int m = 1; valid_ && m <= measures; ++m) {
            MeasureRecordOf(document_, m)->lengthTicks = kMeasureTicks;
            for (int s = 1; valid_ && s <= kStaves; ++s) Fill(s, m, kPatterns[(m + s) % kPatterns.size()]);
        }
        view_->pageView = 1;
        view_->currentPage = nullptr;  // the justification's target is the measures' total
    }
    ~MixedScore() {
        FreeView(view_);
        FreeDocument(document_);
        ResetProgramState();
        ui::headless::ResetUi();
    }
    bool valid() const { return valid_; }
    ScoreView* view() { return view_; }
    ScoreDocument* document() { return document_; }

  private:
    void Fill(int staff, int measure, const std::vector<Value>& values) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document_, staff), document_, measure);
        view_->currentMeasureLength = kMeasureTicks;
        for (const Value& v : values) {
            EventRecord* note = AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(v.time),
                                                static_cast<uint8_t>(v.code), static_cast<uint8_t>(staff));
            if (note == nullptr) {
                valid_ = false;
                return;
            }
            note->word2 = static_cast<uint16_t>((note->word2 & ~kEventDotsMask) | v.dots);
        }
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* document_ = nullptr;
    bool valid_ = false;
};

}  // namespace ql::bench_layout
