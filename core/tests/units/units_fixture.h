// Shared set-up of the units tests: a fresh program state and headless user
// interface, and a small document with one view on a page of measures 1..8.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_units {

constexpr int kPageFirstMeasure = 1;
constexpr int kPageLastMeasure = 8;

class UnitsViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        win::headless::ResetWindowLayer();
        ui::headless::ResetUi();
        document_ = std::make_unique<ScoreDocument>();
        document_->header.staffCount = 4;
        document_->header.measureCount = 16;
        page_.firstMeasure = kPageFirstMeasure;
        page_.lastMeasure = kPageLastMeasure;
        page_.pageNumber = 1;
        masterPage_.pageNumber = kLeftMasterNumber;
        view_.self = &view_;
        view_.document = document_.get();
        view_.currentPage = &page_;
        view_.currentStaff = 1;
        view_.currentMeasure = 1;
    }

    void TearDown() override {
        State().documents.ActiveView = nullptr;
        State().documents.CurrentDocument = nullptr;
    }

    std::unique_ptr<ScoreDocument> document_;
    ScorePage page_{};
    ScorePage masterPage_{};
    ScoreView view_;
};

}  // namespace ql::testing_units
