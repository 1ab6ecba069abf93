// The view's location as the note and stem rules read it (staff, measure, cell,
// voice chain and mask, measure length), saved on construction and restored on
// every path when the scope ends. Code that walks cells moves the view itself.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"

namespace ql {

class SavedLocation {
  public:
    explicit SavedLocation(ScoreView* view)
        : view_(view),
          staff_(view->currentStaff),
          measure_(view->currentMeasure),
          measureLength_(view->currentMeasureLength),
          staffRecord_(view->currentStaffRecord),
          cell_(view->currentCell),
          chain_(view->voiceChain),
          voiceMask_(view->voiceMask) {}
    ~SavedLocation() {
        view_->currentStaff = staff_;
        view_->currentMeasure = measure_;
        view_->currentMeasureLength = measureLength_;
        view_->currentStaffRecord = staffRecord_;
        view_->currentCell = cell_;
        view_->voiceChain = chain_;
        view_->voiceMask = voiceMask_;
    }
    SavedLocation(const SavedLocation&) = delete;
    SavedLocation& operator=(const SavedLocation&) = delete;

    uint8_t VoiceMask() const { return voiceMask_; }

  private:
    ScoreView* view_;
    int32_t staff_;
    int32_t measure_;
    int32_t measureLength_;
    StaffRecord* staffRecord_;
    MeasureCell* cell_;
    EventRecord* chain_;
    uint8_t voiceMask_;
};

}  // namespace ql
