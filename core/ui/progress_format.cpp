// Formatting a whole imported score page by page under the progress dialog: the
// beat maps of each page are rebuilt and the transcription clean-up runs on every
// chosen voice of every staff and measure of its systems.
#include <cstdio>
#include <string>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/services/display_services.h"
#include "core/ui/progress.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/midi_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"

namespace ql {
namespace {

void ShowPosition(int page, int system, int staff) {
    char text[kStatusTextBytes];
    std::snprintf(text, sizeof text, ProgramString(kStrFormatPosition).c_str(), page, system,
                  staff);
    SetStatusText(0, text);
}

void CleanUpVoices(ScoreView* view, MeasureCell* cell, uint8_t voiceMask) {
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if ((voiceMask & (1u << voice)) == 0) continue;
        EventRecord* first = GetVoiceFirstEvent(cell, voice);
        if (first == nullptr) continue;
        ApplyTranscribedAttachments(view, first);
        FixTranscribedEventChain(view, GetVoiceFirstEvent(cell, voice));
    }
}

void FormatSystem(ScoreView* view, ScorePage* page, ScoreSystem* system, uint8_t voiceMask) {
    ScoreDocument* document = view->document;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        for (int staff = 1; staff <= document->header.staffCount; ++staff) {
            ShowPosition(page->pageNumber, system->number + 1, staff);
            display::SetCurrentSystemAndMeasure(view, system, staff, measure);
            if (MeasureCell* cell = ExistingMeasureCell(document, staff, measure))
                CleanUpVoices(view, cell, voiceMask);
        }
    }
}

}  // namespace

int32_t FormatImportedScore(ScoreView* view, uint8_t voiceMask) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    std::string caption = ProgramString(kStrFormattingData);
    SetStatusText(1, caption.c_str());
    if (BeginProgressDialog(1, document->header.pageCount, caption.c_str()) != 0) return 1;
    ScorePage* savedPage = view->currentPage;
    ScoreSystem* savedSystem = view->currentSystem;
    int savedStaff = view->currentStaff;
    int savedMeasure = view->currentMeasure;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        if (StepProgressDialog(page->pageNumber) != 0) break;
        view->currentPage = page;
        display::BuildBeatMapsOnLinkedViews(view, 0);
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr;
             system = system->next.get())
            FormatSystem(view, page, system, voiceMask);
    }
    view->currentPage = savedPage;
    display::SetCurrentSystemAndMeasure(view, savedSystem, savedStaff, savedMeasure, true);
    return State().dialogs.CancelRequested;
}

}  // namespace ql
