// The in-process clipboard store (see clipboard.h) and its test controls. One
// mutex guards the store: the user-interface thread is its only caller today, but a
// desktop mapping answering requests of other programs may read it from its own.
#include "platform/sys/clipboard.h"

#include <map>
#include <mutex>

#include "platform/sys/clipboard_headless.h"

namespace ql::sys {
namespace {

constexpr int kSteps = 4;

struct ClipboardStore {
    std::mutex mutex;
    std::map<uint32_t, std::vector<uint8_t>> blocks;
    bool open = false;
    platform::WindowHandle opener{};
    platform::WindowHandle owner{};
    int opens = 0;
    int closes = 0;
    bool failNext[kSteps] = {};
    bool emptiedSinceOpen = false;
    ClipboardOfferHook offerHook;  // null: the headless hook
    std::optional<ClipboardOffer> lastOffer;
    std::function<void()> lostHandler;
    ClipboardReaders readers;
    bool ours = false;  // emptied here since the desktop last took it away
};

ClipboardStore& Store() {
    static ClipboardStore store;
    return store;
}

// Takes an injected failure of a step; true when the step is to fail.
bool TakeFailure(ClipboardStore& store, headless::ClipboardStep step) {
    bool& fail = store.failNext[static_cast<int>(step)];
    bool failing = fail;
    fail = false;
    return failing;
}

// The desktop's readers while no block of ours answers for the format: another
// program owns the clipboard, or nobody does. Called with the lock held.
ClipboardReaders DesktopReaders(const ClipboardStore& store, ClipboardFormat format) {
    if (store.ours || store.blocks.count(static_cast<uint32_t>(format)) != 0) return {};
    return store.readers;
}

constexpr size_t kDibHeaderSize = 40;
constexpr int kDibBits = 24;

void PutLittle(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void InstallClipboardReaders(ClipboardReaders readers) {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.readers = std::move(readers);
}

std::vector<uint8_t> PackedDibFromPixels(int width, int height, int rowStride, int channels,
                                         const std::vector<uint8_t>& pixels) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return {};
    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    if (rowStride < 0 || static_cast<size_t>(rowStride) < w * channels) return {};
    if (pixels.size() < (h - 1) * static_cast<size_t>(rowStride) + w * channels) return {};
    const size_t rowBytes = (w * 3 + 3) / 4 * 4;
    std::vector<uint8_t> out(kDibHeaderSize + rowBytes * h, 0);
    PutLittle(out, 0, kDibHeaderSize, 4);
    PutLittle(out, 4, static_cast<uint32_t>(width), 4);
    PutLittle(out, 8, static_cast<uint32_t>(height), 4);  // positive: bottom-up
    PutLittle(out, 12, 1, 2);                              // planes
    PutLittle(out, 14, kDibBits, 2);
    PutLittle(out, 20, static_cast<uint32_t>(rowBytes * h), 4);  // compression 0 before it
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* in = pixels.data() + y * static_cast<size_t>(rowStride);
        uint8_t* row = out.data() + kDibHeaderSize + (h - 1 - y) * rowBytes;
        for (size_t x = 0; x < w; ++x, in += channels) {
            const unsigned alpha = channels == 4 ? in[3] : 255u;
            for (int c = 0; c < 3; ++c)  // over white: c * a + 255 * (1 - a)
                row[x * 3 + 2 - c] = static_cast<uint8_t>((in[c] * alpha + 255u * (255u - alpha) + 127u) / 255u);
        }
    }
    return out;
}

std::string ClipboardTarget(ClipboardFormat format) {
    switch (format) {
    case ClipboardFormat::Png: return "image/png";
    case ClipboardFormat::Svg: return "image/svg+xml";
    default: return {};
    }
}

void InstallClipboardOfferHook(ClipboardOfferHook hook) {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.offerHook = std::move(hook);
}

void SetClipboardLostHandler(std::function<void()> handler) {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.lostHandler = std::move(handler);
}

void ClipboardOwnershipLost() {
    ClipboardStore& store = Store();
    std::function<void()> handler;
    {
        std::lock_guard lock(store.mutex);
        store.blocks.clear();
        store.owner = platform::WindowHandle{};
        store.ours = false;
        handler = store.lostHandler;
    }
    if (handler) handler();
}

bool OpenClipboard(platform::WindowHandle owner) {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    if (store.open || TakeFailure(store, headless::ClipboardStep::Open)) return false;
    store.open = true;
    store.opener = owner;
    store.emptiedSinceOpen = false;
    ++store.opens;
    return true;
}

// An emptied clipboard is offered when it closes: the desktop hook is called
// outside the lock (it may ask for the blocks again).
bool CloseClipboard() {
    ClipboardStore& store = Store();
    ClipboardOfferHook hook;
    ClipboardOffer offer;
    {
        std::lock_guard lock(store.mutex);
        if (!store.open) return false;
        store.open = false;
        ++store.closes;
        if (!store.emptiedSinceOpen) return true;
        offer = ClipboardOffer{store.owner, store.blocks};
        if (!store.offerHook) {
            store.lastOffer = std::move(offer);
            return true;
        }
        hook = store.offerHook;
    }
    hook(offer);
    return true;
}

bool IsClipboardOpen() {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    return store.open;
}

bool EmptyClipboard() {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    if (!store.open || TakeFailure(store, headless::ClipboardStep::Empty)) return false;
    store.blocks.clear();
    store.owner = store.opener;
    store.ours = true;
    store.emptiedSinceOpen = true;
    return true;
}

bool SetClipboardData(ClipboardFormat format, std::vector<uint8_t> bytes) {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    if (!store.open || TakeFailure(store, headless::ClipboardStep::Set)) return false;
    store.blocks[static_cast<uint32_t>(format)] = std::move(bytes);
    return true;
}

// The desktop is asked outside the lock: its answer may take a round of the
// desktop's event loop.
std::optional<std::vector<uint8_t>> GetClipboardData(ClipboardFormat format) {
    ClipboardStore& store = Store();
    ClipboardReaders readers;
    {
        std::lock_guard lock(store.mutex);
        if (!store.open || TakeFailure(store, headless::ClipboardStep::Get)) return std::nullopt;
        auto found = store.blocks.find(static_cast<uint32_t>(format));
        if (found != store.blocks.end()) return found->second;
        readers = DesktopReaders(store, format);
    }
    if (!readers.read) return std::nullopt;
    return readers.read(format);
}

bool IsClipboardFormatAvailable(ClipboardFormat format) {
    ClipboardStore& store = Store();
    ClipboardReaders readers;
    {
        std::lock_guard lock(store.mutex);
        if (store.blocks.count(static_cast<uint32_t>(format)) != 0) return true;
        readers = DesktopReaders(store, format);
    }
    return readers.offers && readers.offers(format);
}

namespace headless {

void ResetClipboard() {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.blocks.clear();
    store.open = false;
    store.opener = store.owner = platform::WindowHandle{};
    store.opens = store.closes = 0;
    for (bool& fail : store.failNext) fail = false;
    store.emptiedSinceOpen = false;
    store.lastOffer.reset();
    store.readers = ClipboardReaders{};
    store.ours = false;
}

void FailNextClipboardStep(ClipboardStep step) {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.failNext[static_cast<int>(step)] = true;
}

std::vector<ClipboardFormat> ClipboardFormats() {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    std::vector<ClipboardFormat> formats;
    for (const auto& entry : store.blocks) formats.push_back(static_cast<ClipboardFormat>(entry.first));
    return formats;
}

int ClipboardOpenCount() {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    return store.opens;
}

int ClipboardCloseCount() {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    return store.closes;
}

std::optional<ClipboardOffer> LastClipboardOffer() {
    ClipboardStore& store = Store();
    std::lock_guard lock(store.mutex);
    return store.lastOffer;
}

std::vector<std::string> LastOfferedTargets() {
    std::vector<std::string> targets;
    if (std::optional<ClipboardOffer> offer = LastClipboardOffer())
        for (const auto& entry : offer->blocks) {
            std::string target = ClipboardTarget(static_cast<ClipboardFormat>(entry.first));
            if (!target.empty()) targets.push_back(std::move(target));
        }
    return targets;
}

}  // namespace headless
}  // namespace ql::sys
