// A score for the beat-map tests and benchmarks: a document of a given number of
// staves, pages and systems (every system the same number of measures), with the
// engraving metrics of a new score and glyph advances set by hand, every measure
// 4/4 at the program's stretch factor with a lead and a trail.
#pragma once

#include <cstring>
#include <vector>

#include "core/draw/view_drawing.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "layout/measure_spacing.h"
#include "platform/ui/headless.h"

namespace ql::beatmap_score {

// Where every system stands.
constexpr int32_t kSystemX = kLogicalOrigin + 1024;
constexpr int32_t kSystemPitch = 2048;
constexpr int kWholeMeasure = 4096;
constexpr int16_t kLead = 256;
constexpr int16_t kTrail = 64;
constexpr uint16_t kStretch = 2816;
// Glyph advances given to the music font (view units).
constexpr int32_t kClefAdvance = 320;
constexpr int32_t kAccidentalAdvance = 96;
constexpr int32_t kDigitAdvance = 120;
constexpr int kFirstClefGlyph = ':';
constexpr int kClefGlyphs = 10;
constexpr int kSharpGlyph = 218;
constexpr int kFlatGlyph = 220;
constexpr int kNaturalGlyph = 222;
// The common and cut time symbols, as wide as a digit here.
constexpr int kCommonTimeGlyph = 223;
constexpr int kCutTimeGlyph = 224;

// The engraving metrics of a new score (staff spaces x 128).
struct Metric {
    EngravingMetric metric;
    uint16_t units;
};
inline constexpr Metric kMetrics[] = {
    {EngravingMetric::Beat0, 256},        {EngravingMetric::BeatX, 64},
    {EngravingMetric::Clef, 96},          {EngravingMetric::Key, 192},
    {EngravingMetric::Keysym, 160},       {EngravingMetric::Time, 64},
    {EngravingMetric::BarLineWid, 12},    {EngravingMetric::SigMeasureExtra, 96},
    {EngravingMetric::ClefChange, 256},   {EngravingMetric::ThickBarline, 80},
    {EngravingMetric::BetweenDouble, 68},
};

inline void SetAdvance(ScoreDocument* document, int code, int32_t advance) {
    GlyphMetricEntry entry{};
    entry.advance = advance;
    entry.halfAdvance = advance / 2;
    std::memcpy(document->glyphMetrics[code - kFirstGlyphCode], &entry, sizeof entry);
}

inline void SetSignWidths(ScoreDocument* document) {
    for (const Metric& m : kMetrics)
        document->internalDistances[static_cast<int>(m.metric)] = m.units;
    for (int code = kFirstClefGlyph; code < kFirstClefGlyph + kClefGlyphs; ++code)
        SetAdvance(document, code, kClefAdvance);
    for (int code : {kSharpGlyph, kFlatGlyph, kNaturalGlyph})
        SetAdvance(document, code, kAccidentalAdvance);
    for (int code = '0'; code <= '9'; ++code) SetAdvance(document, code, kDigitAdvance);
    for (int code : {kCommonTimeGlyph, kCutTimeGlyph}) SetAdvance(document, code, kDigitAdvance);
}

inline void ResetMeasures(ScoreDocument* document) {
    for (int m = 0; m < MaxMeasures; ++m) {
        MeasureRecord& record = *MeasureRecordOf(document, m);
        record = MeasureRecord{};
        record.lengthTicks = kWholeMeasure;
        record.stretch = kStretch;
        record.lead = kLead;
        record.trail = kTrail;
        record.width = MeasureWidth(document, m);
    }
}

inline void PlaceSystems(ScorePage* page, int first, int systems, int perSystem) {
    ScoreSystem* system = page->firstSystem.get();
    for (int i = 0; i < systems && system != nullptr; ++i, system = system->next.get()) {
        system->number = static_cast<uint8_t>(i);
        system->firstMeasure = static_cast<uint16_t>(first + i * perSystem);
        system->lastMeasure = static_cast<uint16_t>(first + (i + 1) * perSystem - 1);
        system->x = kSystemX;
        system->y = kLogicalOrigin + kSystemPitch * (i + 1);
    }
    page->firstMeasure = static_cast<uint16_t>(first);
    page->lastMeasure = static_cast<uint16_t>(first + systems * perSystem - 1);
    page->systemCount = static_cast<uint16_t>(systems);
}

// A page after `page` with one system; null when a record could not be had.
inline ScorePage* AppendPage(ScoreView* view, ScorePage* page, int number) {
    ScorePage* next = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    if (next == nullptr) return nullptr;
    next->firstSystem =
        Ref32<ScoreSystem>::To(ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view));
    next->pageNumber = static_cast<int16_t>(number);
    next->previous = Ref32<ScorePage>::To(page);
    page->next = Ref32<ScorePage>::To(next);
    return next;
}

// Builds the score into a document made for the view (CreateDocument); the view
// shows page 1 with its first system current. False when something could not be had.
inline bool Build(ScoreDocument* document, ScoreView* view, int staves,
                  const std::vector<int>& pages, int perSystem) {
    NewScoreBlock block = ProgramPreferences().header.newScoreBlock;
    block.initStavesPerSystem = static_cast<uint16_t>(staves);
    if (CreateDocument(document, view, &block) != document) return false;
    SetSignWidths(document);
    int measures = 0;
    for (int systems : pages) measures += systems * perSystem;
    document->header.measureCount = static_cast<uint16_t>(measures);
    for (int s = 0; s <= document->header.staffCount; ++s) {
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
        if (staff == nullptr || !IsStaffComplete(staff)) return false;
        document->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    }
    ResetMeasures(document);
    ScorePage* page = document->firstPage;
    int first = 1;
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && (page = AppendPage(view, page, static_cast<int>(p) + 1)) == nullptr)
            return false;
        if (pages[p] > 1 &&
            InsertSystemCopies(page->firstSystem.get(), view, pages[p] - 1) == nullptr)
            return false;
        PlaceSystems(page, first, pages[p], perSystem);
        first += pages[p] * perSystem;
    }
    document->header.pageCount = static_cast<uint16_t>(pages.size());
    view->PageRight = kLogicalOrigin;  // no room between the margins: systems stay put
    view->currentPage = document->firstPage;
    view->currentSystem = document->firstPage->firstSystem.get();
    return true;
}

// A fresh program state with one linked view and an empty document in C major,
// freed again with the session: where every benchmark score starts.
class Session {
  public:
    static constexpr int kKeyOfC = 7;
    Session() {
        ResetProgramState();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        ProgramPreferences().key = kKeyOfC;
        view = InitView(AllocView());
        LinkView(view);
        document = AllocDocument();
    }
    ~Session() {
        FreeView(view);
        FreeDocument(document);
        ResetProgramState();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ScoreView* view = nullptr;
    ScoreDocument* document = nullptr;
};

}  // namespace ql::beatmap_score
