// The one walk over a native score file's stream: prologue, header, face names, staff
// section, "STIK", "MUSE", "PAGE", "FONT" and "QFCS", every item parsed in order from
// the shared score file, every count and tag checked against the bytes left before
// any loop. What the walk finds goes to a sink as decoded values: the verifier's sink
// keeps nothing (objects are read and destroyed); the reader's sink (files/read/)
// builds its document from the same walk. The walk itself never touches a document.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/grid_records.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "files/records/music_records.h"
#include "layout/measure_spacing.h"
#include "notes/rests/rest.h"

namespace ql {

struct EventRecord;
struct ScoreObject;

// A system as stored: its record, then the offsets and flags of staves 1..S.
struct StreamSystem {
    ScoreSystem record{};
    std::vector<uint16_t> offsets;
    std::vector<int8_t> flags;
};

// Why the prologue was refused (the reader words its message by it).
enum class PrologueFault { ShortRead, NotScoreFile, OtherVersion };

// The two places a damaged file is read past instead of failing.
enum class StreamRecovery {
    LabelsLost,  // a negative label length: the rest of the staff section was skipped to "STIK"
    MusicLost,   // an object list failed: the rest of the music was skipped to "PAGE"
};

// Receives the items of the stream as they are parsed. Every hook may refuse an
// item by returning a non-zero code, which ends the walk with that code.
class ScoreStreamSink {
  public:
    virtual ~ScoreStreamSink() = default;
    // The list that the objects of the list now being read are linked after; null
    // reads each object and destroys it. Asked only for a list of at least one.
    virtual ScoreObject* ObjectTail() { return nullptr; }
    virtual void RefusedPrologue(PrologueFault fault) { (void)fault; }
    virtual int Header(const ScoreHeader& header, uint8_t version) {
        (void)header, (void)version;
        return 0;
    }
    // The first min(count, 32) entries; `dropped` when the file held more.
    virtual int FaceNames(const std::vector<FaceNameEntry>& entries, bool dropped) {
        (void)entries, (void)dropped;
        return 0;
    }
    virtual int GalleySystem(const StreamSystem& system) {
        (void)system;
        return 0;
    }
    // The 40 stored bytes of staff `staff` (1..S).
    virtual int Staff(int staff, const uint8_t* bytes) {
        (void)staff, (void)bytes;
        return 0;
    }
    // A staff's label as read (null for none); the sink takes it over.
    virtual int Label(int staff, ScoreObject* label) = 0;
    // A damaged file is read past (see StreamRecovery); 0 accepts, else the walk
    // ends with the code returned (`code` is the one the walk would report).
    virtual int Recover(StreamRecovery recovery, int code) {
        (void)recovery;
        return code;
    }
    virtual int Measure(int measure, const MeasureRecord& record, const std::vector<SpacingEntry>& spacing) {
        (void)measure, (void)record, (void)spacing;
        return 0;
    }
    virtual int Cell(int staff, int measure, const MeasureCell& header) {
        (void)staff, (void)measure, (void)header;
        return 0;
    }
    virtual int VoiceStart(int voice, int events) {
        (void)voice, (void)events;
        return 0;
    }
    // The record the voice's next event is decoded into, straight from the file,
    // before Event hands it back; null (as here) has the walk decode into a record
    // of its own. A code ends the walk.
    virtual int EventRecordFor(int voice, EventRecord** record) {
        (void)voice;
        *record = nullptr;
        return 0;
    }
    // `accidental` is null when the event has no accidental word.
    virtual int Event(int voice, const EventRecord& event, const StoredEventLinks& links,
                      const AccidentalWord* accidental) {
        (void)voice, (void)event, (void)links, (void)accidental;
        return 0;
    }
    // `count` (at least one) of the voice's next events that lie back to back in the
    // file, none with an accidental word or attached objects: their stored records,
    // count x kStoredEventBytesInFile bytes at `stored`, valid during the call. A walk
    // that tells no observer of its fields hands such runs over here rather than
    // event by event; this default passes each through EventRecordFor and Event as
    // the walk does. A code ends the walk.
    virtual int PlainEvents(int voice, const uint8_t* stored, int count);
    virtual int Rests(int voice, const std::vector<RestBody>& rests) {
        (void)voice, (void)rests;
        return 0;
    }
    // A voice stored with no events and no rests, read at once by a walk that tells no
    // observer of its fields; this default is VoiceStart then Rests, as the walk would
    // call them. A code ends the walk.
    virtual int EmptyVoice(int voice);
    virtual int Page(int index, const ScorePage& page) {
        (void)index, (void)page;
        return 0;
    }
    virtual int System(const StreamSystem& system) {
        (void)system;
        return 0;
    }
    // After the page's object list (index as in Page).
    virtual int PageDone(int index) {
        (void)index;
        return 0;
    }
    // A "FONT" record; `slot` as stored (the sink bounds it).
    virtual int Font(int slot, const QuickFontRecord& font) {
        (void)slot, (void)font;
        return 0;
    }
    // The "QFCS" bytes read (at most 24; fewer when the file ended).
    virtual int Charsets(const std::vector<uint8_t>& sets) {
        (void)sets;
        return 0;
    }
};

// What a stretch of the stream was read as. The walk names every byte it reads with
// one of these, in stream order; each object record is one field (the object reader
// reads it), a label is one, and so are the bytes skipped by a recovery.
enum class StreamField : uint8_t {
    Prologue,
    Header,
    FaceNameCount,
    FaceNameEntries,
    GalleyRecord,
    GalleyOffsets,
    GalleyFlags,
    StaffRecords,
    Label,
    Tag,
    MeasureRecord,
    SpacingEntries,
    CellHeader,
    ObjectCount,
    ObjectRecord,
    EventCount,
    Event,
    AccidentalWord,
    RestCount,
    RestBlocks,
    PageCount,
    PageRecord,
    SystemRecord,
    SystemOffsets,
    SystemFlags,
    FontCount,
    FontRecord,
    CharsetCount,
    Charsets,
    Skipped,
};

// Told of each field as the walk reads it, so that a file can be looked at field by
// field without a second parser. Offsets are those of the stream being read.
class ScoreStreamObserver {
  public:
    virtual ~ScoreStreamObserver() = default;
    virtual void Field(uint64_t offset, uint64_t length, StreamField field) = 0;
};

// The throw-away sink of the verifier: labels are built and released at once; a
// file that needs a recovery does not verify.
class DiscardingStreamSink : public ScoreStreamSink {
  public:
    explicit DiscardingStreamSink(ScoreDocument* document) : document_(document) {}
    int Label(int staff, ScoreObject* label) override;
    // Events are not kept: a run of plain events needs no decoding.
    int PlainEvents(int voice, const uint8_t* stored, int count) override {
        (void)voice, (void)stored, (void)count;
        return 0;
    }

  private:
    ScoreDocument* document_;
};

// Walks the file open on the shared handle from its current position (its start)
// for the view's document (whose pool set objects are built in). 0 when every item
// parses, else the code of the first failure (a short read, a tag that does not
// match, a negative count or one the bytes left cannot hold, a staff count above
// the limit, a measure count outside 1..1020, or an object record that does not read).
// An observer, when given, is told of every field read, the failing one too as far
// as it was read.
int WalkScoreStream(ScoreView* view, ScoreStreamSink& sink, ScoreStreamObserver* observer = nullptr);

// The verification of a saved file: the walk with the throw-away sink, the header
// in quiet mode. The file's version state of the program is as before afterwards.
int VerifyScoreFile(ScoreDocument* document, ScoreView* view);

}  // namespace ql
