// The clipboard: byte blocks by format, the program's one exchange with other
// programs for pictures and text. The formats keep the codes the score files store
// (14 enhanced metafile, 8 packed device-independent bitmap, 2 bitmap, 1 text)
// whatever the desktop calls them. The clipboard is opened by one owner at a time;
// emptying it makes that owner the one whose blocks are offered; setting and getting
// need it open; every path that opens it closes it. This implementation keeps the
// blocks in the process (the headless backend, and the store a desktop mapping
// fills and reads); the test controls are in platform/sys/clipboard_headless.h.
// Closing the clipboard after it was emptied hands what it holds to the desktop
// (the offer hook, by MIME target); a desktop that takes the clipboard away runs
// the lost-ownership handler.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace ql::sys {

enum class ClipboardFormat : uint32_t {
    Text = 1,
    Bitmap = 2,
    Dib = 8,
    EnhancedMetafile = 14,
    // Pictures for other programs only; no score file stores these codes.
    Png = 0x100,
    Svg = 0x101,
};

// The MIME target a format is offered under on the desktop; empty for formats only
// this program reads.
std::string ClipboardTarget(ClipboardFormat format);

// What one closing of the clipboard offers: the owner and the blocks by format.
struct ClipboardOffer {
    platform::WindowHandle owner{};
    std::map<uint32_t, std::vector<uint8_t>> blocks;
};
// Receives every offer (the desktop backend installs one; the headless one keeps
// the last offer for tests). Null puts the headless one back.
using ClipboardOfferHook = std::function<void(const ClipboardOffer&)>;
void InstallClipboardOfferHook(ClipboardOfferHook hook);
// The desktop took the clipboard away: the blocks are dropped and the handler runs
// (the program's clear path). The handler is called outside the store's lock.
void SetClipboardLostHandler(std::function<void()> handler);
void ClipboardOwnershipLost();

// What the desktop offers while another program owns the clipboard (or nobody
// does): whether it offers a format, and its bytes in that format. The desktop
// backend installs them; without them only this program's own blocks are seen.
struct ClipboardReaders {
    std::function<bool(ClipboardFormat)> offers;
    std::function<std::optional<std::vector<uint8_t>>(ClipboardFormat)> read;
};
void InstallClipboardReaders(ClipboardReaders readers);

// A packed device-independent bitmap (format 8) of an 8-bit RGB or RGBA image:
// a 40-byte information header, no colour table, 24-bit rows bottom-up, blue,
// green and red, each row padded to four bytes; alpha is laid over white paper.
// Empty when the sizes are not positive, the row stride is too short or the
// pixels are fewer than the sizes say.
std::vector<uint8_t> PackedDibFromPixels(int width, int height, int rowStride, int channels,
                                         const std::vector<uint8_t>& pixels);

// False when the clipboard is open already (by anyone) or the open fails.
bool OpenClipboard(platform::WindowHandle owner);
// Closes it; false when it was not open.
bool CloseClipboard();
bool IsClipboardOpen();
// Removes every block and makes the opener the owner; needs the clipboard open.
bool EmptyClipboard();
// Puts a block of a format (replacing one of that format); needs it open.
bool SetClipboardData(ClipboardFormat format, std::vector<uint8_t> bytes);
// A copy of the block of a format (this program's own, else the desktop's); empty
// when it is not open, the format is not offered or the read fails.
std::optional<std::vector<uint8_t>> GetClipboardData(ClipboardFormat format);
// Whether a format is offered (the clipboard need not be open). Formats this
// program did not put on the clipboard itself are asked of the desktop's readers.
bool IsClipboardFormatAvailable(ClipboardFormat format);

}  // namespace ql::sys
