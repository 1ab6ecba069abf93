// A score for the marquee tests and benchmarks: one page of systems of a given number
// of staves and measures, 4/4 throughout, the systems stacked far enough apart that
// none overlaps the next, with beat maps built, a selection state and the classes
// the note edits use registered. Notes are placed by the caller. Header only, so
// that the benchmarks can share it.
#pragma once

#include "core/constants.h"
#include "core/draw/view_drawing.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "notes/accidentals/accidental.h"
#include "notes/beatmap/beat_map.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/rest.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/ties/ties.h"

namespace ql::marquee_score {

constexpr int kQuarterCode = 10;
constexpr int kQuarterTicks = 1024;
constexpr int32_t kSystemGap = 1024;
constexpr int kRestAdvance = 200;
constexpr int kBlackHead = 72;
constexpr int kBlackHeadAdvance = 150;

class MarqueeScore {
  public:
    MarqueeScore(int staves, int systems, int perSystem) {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        ResetObjectClassTable();
        RegisterTextObjectClasses();
        RegisterAccidentalClass();
        RegisterRestClass();
        RegisterNotesHandlerClass();
        RegisterTieClass();
        ResetPreferenceDefaults();
        ProgramPreferences().key = beatmap_score::Session::kKeyOfC;
        CreateSelectionState();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = beatmap_score::Build(doc_, view_, staves, {systems}, perSystem) && Stack() &&
              MakeCells(staves, systems * perSystem);
        if (!ok_) return;
        for (int code = kRestGlyphBase + 4; code <= kRestGlyphBase + 13; ++code)
            beatmap_score::SetAdvance(doc_, code, kRestAdvance);
        beatmap_score::SetAdvance(doc_, kBlackHead, kBlackHeadAdvance);
        view_->glyphWidths.black = kBlackHeadAdvance;
        view_->glyphWidths.halfBlack = kBlackHeadAdvance / 2;
        view_->pageView = 1;
        UpdateBeatMaps(view_, 1);
        SetCurrentMeasureQuick(view_, 1, 1);
    }
    ~MarqueeScore() {
        FreeView(view_);
        FreeDocument(doc_);
        DestroySelectionState();
        ResetProgramState();
        ResetObjectClassTable();
    }
    MarqueeScore(const MarqueeScore&) = delete;
    MarqueeScore& operator=(const MarqueeScore&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }
    MeasureCell* Cell(int staff, int measure) const {
        return GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
    }
    // A quarter note (chord members share a tick) at a staff step.
    EventRecord* Note(int staff, int measure, int voice, int tick, int step) const {
        return AddEventToVoice(view_, Cell(staff, measure), voice, static_cast<uint16_t>(tick),
                               kQuarterCode, static_cast<uint8_t>(static_cast<int8_t>(step)));
    }
    ScoreObject* Rest(int staff, int measure, int voice, int tick) const {
        SetCurrentMeasureQuick(view_, staff, measure);
        return NewRestFromImport(view_, voice, tick, kQuarterCode, 0);
    }
    // Where a note's head stands on the page.
    LogicalPoint Place(int staff, int measure, EventRecord* note) const {
        SetCurrentMeasureQuick(view_, staff, measure);
        return GetEventPosition(note, view_);
    }

  private:
    // Every system below the last staff of the one before.
    bool Stack() {
        ScoreSystem* system = doc_->firstPage->firstSystem.get();
        const uint16_t* offsets = StaffOffsetsOf(system);
        if (offsets == nullptr) return false;
        const int32_t pitch = offsets[doc_->header.staffCount] + kSystemGap;
        for (int i = 1; system != nullptr; system = system->next.get(), ++i)
            system->y = kLogicalOrigin + pitch * i;
        return true;
    }
    bool MakeCells(int staves, int measures) {
        for (int s = 1; s <= staves; ++s)
            for (int m = 1; m <= measures; ++m)
                if (Cell(s, m) == nullptr) return false;
        return true;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    bool ok_ = false;
};

}  // namespace ql::marquee_score
