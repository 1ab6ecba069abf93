// Every event of a score, staff by staff, measure by measure and voice by voice,
// head sentinels left out: the walk the tests that count an imported score's notes
// make. Header only: the interchange and program test programs take it.
#pragma once

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"

namespace ql::testing {

template <typename Visit>
void ForEachScoreEvent(ScoreView* view, Visit visit) {
    ScopedDocumentContext context(view);
    ScoreDocument* document = view->document;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        StaffRecord* record = StaffRecordOf(document, staff);
        for (int m = 1; record != nullptr && m <= document->header.measureCount; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(record, document, m);
            for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice)
                for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e))
                    if (!IsHeadSentinel(*e)) visit(*e);
        }
    }
}

}  // namespace ql::testing
