// The landed text and MIDI record codecs bound to a ByteWriter and to the shared
// score file. The codecs take a plain function as their byte sink; a scoped binding
// points that function at the writer of the record being encoded.
#include "files/records/text_record_io.h"

#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "files/score_file.h"

namespace ql {
namespace {

ByteWriter* g_capture = nullptr;

int CaptureBytes(const void* bytes, uint32_t count) {
    if (g_capture == nullptr) return 0;
    g_capture->Bytes(bytes, count);
    return 1;
}

// Points the codecs' byte sink at one writer for one record, on every path.
class ScopedCapture {
  public:
    explicit ScopedCapture(ByteWriter& writer) : saved_(g_capture) { g_capture = &writer; }
    ~ScopedCapture() { g_capture = saved_; }
    ScopedCapture(const ScopedCapture&) = delete;
    ScopedCapture& operator=(const ScopedCapture&) = delete;

  private:
    ByteWriter* saved_;
};

}  // namespace

void EncodeTextRecord(TextObject* text, ByteWriter& writer) {
    ScopedCapture capture(writer);
    WriteTextObjectString(text, &CaptureBytes);
}

void EncodeMidiTextRecord(ScoreObject* text, ByteWriter& writer) {
    ScopedCapture capture(writer);
    WriteObjectWithMidiAction(text, &CaptureBytes);
}

bool DecodeTextRecord(TextObject* text) {
    return ReadTextObjectString(text, ScoreFileReader()) != 0;
}

bool DecodeMidiTextRecord(ScoreObject* text) {
    return ReadObjectWithMidiAction(text, ScoreFileReader()) != 0;
}

}  // namespace ql
