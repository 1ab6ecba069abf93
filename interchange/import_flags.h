// The flags an import raises while it runs, set for one import and given back on
// every way out: a Standard MIDI File marks the MIDI import, a NIFF file (also one
// a MusicXML file was converted into) marks the score file as being read.
#pragma once

#include <cstdint>

#include "core/state.h"

namespace ql {

enum class ImportKind { MidiFile, ScoreFile };

class ImportFlags {
  public:
    explicit ImportFlags(ImportKind kind)
        : kind_(kind), saved_{Files().Importing, Files().MidiFileTransferActive, KindFlag()} {
        Files().Importing = 1;
        Files().MidiFileTransferActive = 1;
        KindFlag() = 1;
    }
    ~ImportFlags() {
        Files().Importing = saved_[0];
        Files().MidiFileTransferActive = saved_[1];
        KindFlag() = saved_[2];
    }
    ImportFlags(const ImportFlags&) = delete;
    ImportFlags& operator=(const ImportFlags&) = delete;

  private:
    static FileFlags& Files() { return State().files; }
    uint8_t& KindFlag() const {
        return kind_ == ImportKind::MidiFile ? Files().MidiImportActive : Files().ScoreFileReading;
    }

    ImportKind kind_;
    uint8_t saved_[3];
};

}  // namespace ql
