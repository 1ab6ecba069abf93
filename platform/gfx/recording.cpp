// Recording contexts: calls kept in order and replayed into another context
// inside a saved state of the target.
#include "platform/gfx/recording.h"

#include <algorithm>
#include <utility>

#include "platform/gfx/dc_access.h"
#include "platform/gfx/detail/registry.h"

namespace ql::gfx {

namespace detail {

void HoldFont(Dc& recording, FontHandle font) {
    if (std::find(recording.heldFonts.begin(), recording.heldFonts.end(), font) == recording.heldFonts.end())
        recording.heldFonts.push_back(font);
}

bool IsFontHeld(FontHandle font) {
    bool held = false;
    Reg().contexts.ForEach([&](DcHandle, const Dc& d) {
        held = held || std::find(d.heldFonts.begin(), d.heldFonts.end(), font) != d.heldFonts.end();
    });
    return held;
}

void ReleaseFonts(const std::vector<FontHandle>& released) {
    Registry& r = Reg();
    for (FontHandle font : released) {
        auto waiting = std::find(r.fontsToDelete.begin(), r.fontsToDelete.end(), font);
        if (waiting == r.fontsToDelete.end() || IsFontHeld(font)) continue;
        r.fontsToDelete.erase(waiting);
        if (r.fontDeleter) r.fontDeleter(font);
    }
}

}  // namespace detail

using detail::Dc;
using detail::FindDc;

DcHandle CreateRecordingContext(DcHandle reference) {
    auto d = detail::NewContext(ContextKind::Recording);
    if (const Dc* ref = FindDc(reference)) d->device = detail::DeviceOf(*ref);
    return detail::AddContext(std::move(d));
}

bool IsRecording(DcHandle dc) {
    const Dc* d = FindDc(dc);
    return d && d->IsRecording();
}

size_t RecordedCallCount(DcHandle recording) {
    const Dc* d = FindDc(recording);
    return d && d->IsRecording() ? d->calls.size() : 0;
}

bool PlayRecording(DcHandle recording, DcHandle target) {
    const Dc* rec = FindDc(recording);
    Dc* t = FindDc(target);
    if (!rec || !rec->IsRecording() || !t || recording == target) return false;
    // Calls may add to the target's tables; keep a copy so that the list stays put.
    std::vector<detail::RecordedCall> calls = rec->calls;
    int base = SaveContext(target);
    if (base == 0) return false;
    int outerBase = std::exchange(FindDc(target)->replayBase, base);
    for (const detail::RecordedCall& call : calls) call(target);
    if (Dc* after = FindDc(target)) {
        after->replayBase = outerBase;
        RestoreContext(target, base);
    }
    return true;
}

bool ClearRecording(DcHandle recording) {
    Dc* d = FindDc(recording);
    if (!d || !d->IsRecording()) return false;
    d->calls.clear();
    detail::ReleaseFonts(std::exchange(d->heldFonts, {}));
    return true;
}

bool RecordCall(DcHandle dc, std::function<void(DcHandle target)> call) {
    Dc* d = FindDc(dc);
    if (!d || !d->IsRecording() || !call) return false;
    d->calls.push_back(std::move(call));
    return true;
}

}  // namespace ql::gfx
