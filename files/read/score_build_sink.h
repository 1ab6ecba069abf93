// The building mode of the stream walk: a sink that makes each item the walk parses
// into the records of a new document (staves, measure table and spacing lists,
// cells, event chains with their accidentals and attached objects, rests, pages and
// systems, fonts), normalising what the current version's reader normalises and
// bounding every stored value that names a position, a slot or a table entry.
// FinishDocument then completes what the stream does not store.
#pragma once

#include <algorithm>
#include <vector>

#include "core/memory/pool.h"
#include "files/records/music_records.h"
#include "files/stream/score_stream_walker.h"

namespace ql {

struct CellHandleArray;
struct EventRecord;
struct MeasureCell;
struct ScorePage;
struct ScoreSystem;

class BuildingStreamSink : public ScoreStreamSink {
  public:
    // Builds into the view's document, a document just made by CreateDocument.
    explicit BuildingStreamSink(ScoreView* view);
    ~BuildingStreamSink() override;
    BuildingStreamSink(const BuildingStreamSink&) = delete;
    BuildingStreamSink& operator=(const BuildingStreamSink&) = delete;

    ScoreObject* ObjectTail() override;
    void RefusedPrologue(PrologueFault fault) override {
        prologueFault_ = fault;
        prologueRefused_ = true;
    }
    int Header(const ScoreHeader& header, uint8_t version) override;
    int FaceNames(const std::vector<FaceNameEntry>& entries, bool dropped) override;
    int GalleySystem(const StreamSystem& system) override;
    int Staff(int staff, const uint8_t* bytes) override;
    int Label(int staff, ScoreObject* label) override;
    int Recover(StreamRecovery recovery, int code) override;
    int Measure(int measure, const MeasureRecord& record, const std::vector<SpacingEntry>& spacing) override;
    int Cell(int staff, int measure, const MeasureCell& header) override;
    int VoiceStart(int voice, int events) override;
    int EventRecordFor(int voice, EventRecord** record) override;
    int Event(int voice, const EventRecord& event, const StoredEventLinks& links,
              const AccidentalWord* accidental) override;
    int PlainEvents(int voice, const uint8_t* stored, int count) override;
    int Rests(int voice, const std::vector<RestBody>& rests) override;
    int EmptyVoice(int voice) override;
    int Page(int index, const ScorePage& page) override;
    int System(const StreamSystem& system) override;
    int PageDone(int index) override;
    int Font(int slot, const QuickFontRecord& font) override;
    int Charsets(const std::vector<uint8_t>& sets) override;

    // The steps after the walk (pages without systems taken out, fonts by name,
    // spare cells and records, master systems, margins, the view's place, an
    // unmodified history). 0 or a code.
    int FinishDocument();
    bool Damaged() const { return damaged_; }
    // The pages FinishDocument took out because they held no systems.
    int RepairedPages() const { return repairedPages_; }
    // Stored metrics the read replaced by their defaults (out of their ranges).
    int RepairedMetrics() const { return repairedMetrics_; }
    // The prologue's fault, when the walk refused it.
    bool PrologueRefused(PrologueFault* fault) const {
        *fault = prologueFault_;
        return prologueRefused_;
    }

  private:
    enum class Tail { None, Cell, Event, Page };
    // An event of the voice being read that was stored with a beam partner: its
    // record, its 1-based position in the voice and the positions it names.
    struct BeamedEvent {
        EventRecord* record;
        int position;
        StoredEventLinks links;
    };
    // Links a decoded event at the end of the voice's chain, clearing what the
    // reader does not take from the file.
    void AppendEvent(EventRecord* made, RecordHandle handle, const StoredEventLinks& links);
    // Notes the event just appended at `position` when it was stored with partners.
    void NoteBeamPartners(EventRecord* made, int position, const StoredEventLinks& links) {
        if ((links.beamPrev | links.beamNext) != 0) beamedEvents_.push_back(BeamedEvent{made, position, links});
    }
    // The run's events from `stored` into the records spareNext_ .. + `take` of the
    // voice's run, chained after the voice's last event.
    void LinkPlainRun(const uint8_t* stored, int take);
    int EventMemoryFailure();
    void ResolveBeamPartners();
    // The cell of a staff and measure of the music section: the staff's cell array is
    // looked up when the staff changes, a cell made already resolved from it.
    MeasureCell* MusicCell(int staff, int measure);
    // The record of the voice's next event, taken from records allocated a run at a
    // time (AllocRecordRunWithHandles); null when the pool is exhausted.
    EventRecord* NextEventRecord(RecordHandle* handle);
    // Whether a record of the voice's run is left, taking the next run when none is:
    // false when the pool cannot give one.
    bool HaveSpareEvent();
    // Gives back the records of the voice's run that no event took (the voice ended
    // early), and with them the records held ahead.
    void ReleaseSpareEvents();
    // Gives back the records held ahead, so that the pool is as single allocations
    // would have left it.
    void ReturnEventsAhead();
    EventRecord* NewVoiceHead(int voice);
    void RestoreVoiceMask();
    int LinkSystem(ScoreSystem* system, const StreamSystem& stored);
    // Takes the score pages that hold no systems out of the list, their objects
    // kept on the nearest page that stays (score_build_page_repair.cpp); a code
    // when no page holds a system.
    int RemovePagesWithoutSystems();

    ScoreView* view_;
    ScoreDocument* document_;
    uint8_t version_ = 0;  // the layout version the file is read as
    bool damaged_ = false;
    int repairedMetrics_ = 0;
    bool missingPortDevice_ = false;
    bool prologueRefused_ = false;
    PrologueFault prologueFault_ = PrologueFault::ShortRead;
    // Music.
    int cellsStaff_ = -1;
    CellHandleArray* staffCells_ = nullptr;
    MeasureCell* cell_ = nullptr;
    int measureTicks_ = 0;
    uint8_t savedVoiceMask_ = 0;
    bool voiceMaskSaved_ = false;
    EventRecord* previous_ = nullptr;
    RecordHandle previousHandle_{};
    EventRecord* lastEvent_ = nullptr;
    // Room for `count` more handles of the voice's events.
    RecordHandle* VoiceHandlesRoom(int count) {
        const size_t want = static_cast<size_t>(voiceEventCount_) + static_cast<size_t>(count);
        if (want > voiceHandles_.size()) voiceHandles_.resize(std::max(want, 2 * voiceHandles_.size()));
        return voiceHandles_.data() + voiceEventCount_;
    }
    // The voice's event handles (position p at index p - 1; voiceEventCount_ of them,
    // in storage kept between voices), and its events stored with beam partners: only
    // they have partners to resolve at the voice's end.
    std::vector<RecordHandle> voiceHandles_;
    int voiceEventCount_ = 0;
    std::vector<BeamedEvent> beamedEvents_;
    // Event records allocated ahead: spareNext_ .. spareCount_ - 1 unused. The voice's
    // run (at most kEventRun, no more than its events left) ends at spareRun_; the
    // records after it are the pool's next fresh slots, taken with the run so that the
    // following voices need no search of the pool.
    static constexpr int kEventRun = 32;
    static constexpr int kEventsHeld = 256;
    void* spareRecords_[kEventsHeld] = {};
    RecordHandle spareHandles_[kEventsHeld + 1] = {};  // one place more (LinkPlainRun)
    int spareCount_ = 0;
    int spareRun_ = 0;
    int spareNext_ = 0;
    int eventsLeft_ = 0;  // the voice's events not read yet
    bool poolExhausted_ = false;  // a run came back short
    // The record EventRecordFor gave for the event being read, and its handle.
    EventRecord* pendingRecord_ = nullptr;
    RecordHandle pendingHandle_{};
    Tail tail_ = Tail::None;
    // Pages.
    ScorePage* page_ = nullptr;
    ScoreSystem* lastSystem_ = nullptr;
    ScoreObject* pageList_ = nullptr;  // the root the page's objects are read after
    int runningMeasure_ = 1;
    std::vector<ScorePage*> scorePages_;  // the score's pages in order (not the masters)
    int repairedPages_ = 0;
};

}  // namespace ql
