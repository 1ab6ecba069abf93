// The transcription tests' fixture (see transcription_fixture.h).
#include "sequencer/tests/transcription/transcription_fixture.h"

#include <algorithm>
#include <map>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/settings/program_options.h"
#include "notes/accidentals/accidental.h"
#include "notes/pitch/pitch.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/ties/ties.h"
#include "sequencer/channel_events.h"
#include "sequencer/transcription_measures.h"

namespace ql::testing {

void TranscriptionTest::SetUp() {
    ScoreTest::SetUp();
    RegisterAccidentalClass();  // note attachments
    RegisterRestClass();
    RegisterTieClass();
    ResetProgramOptions();
    ql::Options().KeepQuantizationError = 0;
    ql::Options().AllowTriplets = 0;
    ql::Options().AllowSyncopation = 0;
}

void TranscriptionTest::TearDown() {
    ResetTranscription();
    ResetProgramOptions();
    ScoreTest::TearDown();
}

void TranscriptionTest::Begin(int staves, int measures) {
    BuildScore(staves, measures);
    ResetTranscription();
    ResetTranscriptionWritten();
    TranscriptionInputs().resolution = 1024;
    for (int s = 1; s <= staves; ++s) StartTranscriptionStaff(view_, s, 1);
}

void TranscriptionTest::Send(int staff, int32_t delta, uint8_t status, uint8_t data1, uint8_t data2) {
    TranscriptionInput& in = TranscriptionInputs();
    in.staff = staff;
    in.delta = delta;
    in.status = status;
    in.data[0] = data1;
    in.data[1] = data2;
    in.length = 2;
    TranscribeRecordedNotes(view_);
    if (status == 0x80 || status == 0x90) {
        TranscribeRecordedStaff(view_);
        return;
    }
    const int measure = TranscriptionStaffState(staff).currentMeasure;
    ImportChannelEvent(view_, staff, GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure));
}

void TranscriptionTest::Finish(int lastMeasure) {
    const int staves = doc_->header.staffCount;
    TranscribeMeasureGroups(view_, 1, staves, 1, lastMeasure, false);
    FinishTranscribedMeasures(view_, 0, 1, staves, 1, lastMeasure);
}

std::string TranscriptionTest::Dump(int staff, int firstMeasure, int lastMeasure, int voice) {
    std::string text;
    for (int m = firstMeasure; m <= lastMeasure; ++m) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m);
        std::multimap<std::pair<int, int>, std::string> items;  // by time, then key
        for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) {
            const int key = NoteToMidiKey(StaffRecordOf(doc_, staff), *e, CellClef(*cell), CellKey(*cell));
            std::string item = std::to_string(e->time) + ":" + std::to_string(key) + "/" + std::to_string(e->duration);
            if ((e->word2 & kEventDotsMask) != 0) item += "." + std::to_string(e->word2 & kEventDotsMask);
            if (e->tupletKind != 0) item += "t";
            if ((e->word2 & kTieStartsHere) != 0) item += "~";
            if ((e->word2 & kTieEndsHere) != 0) item += "^";
            items.emplace(std::make_pair(int{e->time}, key), item);
        }
        for (ScoreObject* r = GetVoiceFirstElement(cell, voice); r != nullptr; r = r->next.get()) {
            const RestBody& body = *RestBodyOf(r);
            std::string item = std::to_string(body.tick) + ":R/" + std::to_string(body.code);
            if (RestDots(body) != 0) item += "." + std::to_string(RestDots(body));
            items.emplace(std::make_pair(int{body.tick}, -1), item);
        }
        if (m > firstMeasure) text += " | ";
        bool first = true;
        for (const auto& [time, item] : items) {
            text += (first ? "" : " ") + item;
            first = false;
        }
    }
    return text;
}

EventRecord* TranscriptionTest::FirstNote(int staff, int measure) {
    return GetVoiceFirstEvent(GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure), 0);
}

}  // namespace ql::testing
