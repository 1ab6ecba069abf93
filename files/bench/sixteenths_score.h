// What the score-file benchmarks and fuzz entries start from: the program state
// reset with every object class a score file may hold registered; and the score
// the save and load benchmarks write, 8 staves of sixteenth notes in whole 4/4
// measures, with its file in a folder of its own. Header only: benchmarks and fuzz
// entries are single files.
#pragma once

#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <string>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "files/score_file.h"
#include "notes/accidentals/accidental.h"
#include "notes/rests/rest.h"
#include "objects/stored_classes.h"
#include "platform/ui/headless.h"

namespace ql::bench_files {

// A fresh program state (headless dialogs, default preferences) that knows every
// object class of the score file.
inline void ResetForScoreFiles() {
    ResetProgramState();
    ui::headless::ResetUi();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    RegisterTextObjectClasses();
    RegisterMidiTextObjectClass();
    RegisterAccidentalClass();
    RegisterRestClass();
    RegisterStoredObjectClasses();
}

inline constexpr int kStaves = 8;
inline constexpr int kNotesPerMeasure = 16;  // sixteenths fill a 4/4 measure
inline constexpr uint8_t kSixteenth = 8;     // 256 ticks
inline constexpr int kSixteenthTicks = 256;
inline constexpr int kStepCycle = 9;
inline constexpr int kLargeScoreNotes = 30000;
inline constexpr int kSmallScoreNotes = 3000;

// A score of `notes` notes (rounded up to whole measures) whose path is score.ql
// in a new folder under /tmp named from `folderPrefix`; not saved yet. The
// destructor frees the score, removes the folder and resets the program state.
class SixteenthsScore {
  public:
    SixteenthsScore(int notes, const std::string& folderPrefix) {
        ResetForScoreFiles();
        std::string pattern = "/tmp/" + folderPrefix + "-XXXXXX";
        folder_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        ok_ = !folder_.empty() && CreateDocument(doc_, view_, nullptr) == doc_ && Fill(notes);
        doc_->path = folder_ + "/score.ql";
    }
    ~SixteenthsScore() {
        FreeView(view_);
        FreeDocument(doc_);
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
        ResetProgramState();
        ResetObjectClassTable();
    }
    SixteenthsScore(const SixteenthsScore&) = delete;
    SixteenthsScore& operator=(const SixteenthsScore&) = delete;

    bool Ok() const { return ok_; }
    int Notes() const { return notes_; }
    bool Save() { return SaveScoreFile(doc_, view_) != 0; }
    std::string Folder() const { return folder_; }
    std::string Path() const { return doc_->path; }
    size_t Bytes() const { return std::filesystem::file_size(doc_->path); }
    ScoreDocument* document() const { return doc_; }

  private:
    bool Fill(int notes) {
        ScopedPoolSet pools(doc_->pools);
        const int measures =
            (notes + kStaves * kNotesPerMeasure - 1) / (kStaves * kNotesPerMeasure);
        doc_->header.staffCount = kStaves;
        doc_->header.measureCount = static_cast<uint16_t>(measures);
        for (int s = 0; s <= kStaves; ++s) {
            StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view_);
            if (staff == nullptr) return false;
            doc_->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        }
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= measures; ++m)
                if (!FillCell(s, m)) return false;
        return true;
    }
    bool FillCell(int staff, int measure) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, measure);
        if (cell == nullptr) return false;
        for (int i = 0; i < kNotesPerMeasure; ++i, ++notes_)
            if (AddEventToVoice(view_, cell, 0, static_cast<uint16_t>(i * kSixteenthTicks),
                                kSixteenth, static_cast<uint8_t>(i % kStepCycle)) == nullptr)
                return false;
        return true;
    }

    std::string folder_;
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    int notes_ = 0;
    bool ok_ = false;
};

}  // namespace ql::bench_files
