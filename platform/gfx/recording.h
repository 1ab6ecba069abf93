// Recording contexts: every call made on one is kept and can be replayed into
// another context, any number of times. Attribute calls (mapping, colours,
// modes, objects) also update the recording context itself, so its getters and
// conversions answer as a drawing context would. Replay runs inside a saved state
// of the target, so the target's mapping and attributes are back afterwards; to
// replay at another scale, set the target's mapping first and record none.
// Pens and brushes are kept by value; blit sources are copied when recorded.
#pragma once

#include <cstddef>

#include "platform/gfx/types.h"

namespace ql::gfx {

// `reference` gives the capabilities (resolution, size); the screen when null.
DcHandle CreateRecordingContext(DcHandle reference);
bool IsRecording(DcHandle dc);
size_t RecordedCallCount(DcHandle recording);
// Replays every call onto `target`; false when either handle does not resolve or
// the target is itself the recording.
bool PlayRecording(DcHandle recording, DcHandle target);
// Forgets the recorded calls (the context state stays).
bool ClearRecording(DcHandle recording);

}  // namespace ql::gfx
