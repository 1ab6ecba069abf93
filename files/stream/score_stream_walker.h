// The one walk over a native score file's stream: prologue, header, face names, staff
// section, "STIK", "MUSE", "PAGE", "FONT" and "QFCS", every item parsed in order from
// the shared score file, every count and tag checked. What the walk finds goes to a
// sink: the verifier's sink keeps nothing (objects are read and destroyed); the
// reader builds its document from the same walk with a sink of its own.
#pragma once

#include <cstdint>

namespace ql {

struct EventRecord;
struct MeasureCell;
struct MeasureRecord;
struct ScoreDocument;
struct ScoreHeader;
struct ScoreObject;
struct ScorePage;
struct ScoreSystem;
struct ScoreView;

// Receives the items of the stream as they are parsed. Every hook may refuse an
// item by returning a non-zero code, which ends the walk with that code.
class ScoreStreamSink {
  public:
    virtual ~ScoreStreamSink() = default;
    // The list that the objects of the list now being read are linked after; null
    // reads each object and destroys it.
    virtual ScoreObject* ObjectTail() { return nullptr; }
    virtual int Header(const ScoreHeader& header, uint8_t version) {
        (void)header, (void)version;
        return 0;
    }
    // A staff's label as read (null for none); the sink takes it over.
    virtual int Label(int staff, ScoreObject* label) = 0;
    virtual int Measure(int measure, const MeasureRecord& record) {
        (void)measure, (void)record;
        return 0;
    }
    virtual int Cell(int staff, int measure, const MeasureCell& header) {
        (void)staff, (void)measure, (void)header;
        return 0;
    }
    virtual int Event(int voice, const EventRecord& event) {
        (void)voice, (void)event;
        return 0;
    }
    virtual int Page(int index, const ScorePage& page) {
        (void)index, (void)page;
        return 0;
    }
    virtual int System(const ScoreSystem& system) {
        (void)system;
        return 0;
    }
};

// The throw-away sink of the verifier: labels are built and released at once.
class DiscardingStreamSink : public ScoreStreamSink {
  public:
    explicit DiscardingStreamSink(ScoreDocument* document) : document_(document) {}
    int Label(int staff, ScoreObject* label) override;

  private:
    ScoreDocument* document_;
};

// Walks the file open on the shared handle from its current position (its start)
// for the view's document. 0 when every item parses, else the code of the first
// failure (a short read, a tag that does not match, a negative count, a staff count
// above the limit or an object record that does not read).
int WalkScoreStream(ScoreView* view, ScoreStreamSink& sink);

// The verification of a saved file: the walk with the throw-away sink, the header
// in quiet mode. The file's version state of the program is as before afterwards.
int VerifyScoreFile(ScoreDocument* document, ScoreView* view);

}  // namespace ql
