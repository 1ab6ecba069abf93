// A picture's natural size, its cached bitmap and its painting (see
// picture_class.h). The cache holds a metafile at its displayed size in device
// pixels and a bitmap at an eighth of it or its own pixels where more; in colour
// (black and white when no colour bitmap can be made), or in black and white when
// the picture is hidden (in grey), focused on the screen (in red), has no colour or is shown in black and white, or
// is a metafile whose cache would take more than 16,000,000 bytes at the surface's
// depth; it is kept while the zoom and the kind of output (screen or printer) stay
// the same and the picture is still focused or still not.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/anchors.h"
#include "objects/graphics/graphic_object.h"
#include "objects/picture/dib.h"
#include "objects/picture/picture_class.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/metafile.h"
#include "platform/gfx/objects.h"

namespace ql {
namespace {

constexpr int kBitmapWidthWord = 1;
constexpr int kBitmapHeightWord = 2;
constexpr int kBitmapRowBytesWord = 3;
constexpr int kBitmapPlanesBitsWord = 4;
constexpr int kEmfHeaderBytes = 88;
constexpr uint32_t kEmfHeaderRecord = 1;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfFrameAt = 24;
constexpr size_t kEmfSignatureAt = 40;
constexpr double kHundredthsMmPerInch = 2540.0;
constexpr int kGreyThreshold = 128 * 3;

uint64_t g_renders = 0;

uint32_t U32At(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The pixels of a picture's image: width, height and colours top to bottom.
struct PictureImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<gfx::Colour> colours;
};

// A bitmap of format 2 from its description and bytes: 1 bit (0 black, 1 white),
// 24 or 32 bits, rows top to bottom of the description's row bytes.
std::optional<PictureImage> DecodeBitmap(const PictureBody& body, const std::vector<uint8_t>& bytes) {
    int32_t width = static_cast<int32_t>(body.description[kBitmapWidthWord]);
    int32_t height = static_cast<int32_t>(body.description[kBitmapHeightWord]);
    uint32_t rowBytes = body.description[kBitmapRowBytesWord];
    uint32_t planes = body.description[kBitmapPlanesBitsWord] & 0xFFFF;
    uint32_t bits = body.description[kBitmapPlanesBitsWord] >> 16;
    if (width <= 0 || height <= 0 || planes != 1 || (bits != 1 && bits != 24 && bits != 32)) return std::nullopt;
    if (static_cast<uint64_t>(rowBytes) * 8 < static_cast<uint64_t>(width) * bits) return std::nullopt;
    if (static_cast<uint64_t>(rowBytes) * height > bytes.size()) return std::nullopt;
    PictureImage image{width, height, std::vector<gfx::Colour>(static_cast<size_t>(width) * height)};
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = bytes.data() + static_cast<size_t>(y) * rowBytes;
        for (int32_t x = 0; x < width; ++x) {
            gfx::Colour c = bits == 1 ? (((row[x / 8] >> (7 - x % 8)) & 1) ? gfx::kWhite : gfx::kBlack)
                            : bits == 24 ? gfx::Rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x])
                                         : gfx::Rgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
            image.colours[static_cast<size_t>(y) * width + x] = c;
        }
    }
    return image;
}

// The device size of an enhanced metafile's frame (hundredths of a millimetre) at
// the screen's resolution; nothing for bytes that do not start with its header.
std::optional<gfx::Size> MetafileDeviceSize(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < static_cast<size_t>(kEmfHeaderBytes)) return std::nullopt;
    const uint8_t* p = bytes.data();
    if (U32At(p) != kEmfHeaderRecord || U32At(p + kEmfSignatureAt) != kEmfSignature) return std::nullopt;
    auto frame = [p](size_t at) { return static_cast<int32_t>(U32At(p + kEmfFrameAt + at)); };
    int64_t w = static_cast<int64_t>(frame(8)) - frame(0);
    int64_t h = static_cast<int64_t>(frame(12)) - frame(4);
    int dpiX = State().drawing.ScreenDpiX > 0 ? State().drawing.ScreenDpiX : 96;
    int dpiY = State().drawing.ScreenDpiY > 0 ? State().drawing.ScreenDpiY : 96;
    return gfx::Size{static_cast<int32_t>(std::abs(w) * dpiX / kHundredthsMmPerInch),
                     static_cast<int32_t>(std::abs(h) * dpiY / kHundredthsMmPerInch)};
}

// The metafile drawn at `size` device pixels, or at its frame's size when none is
// asked; nothing when it cannot be rendered.
std::optional<PictureImage> DecodeMetafile(const std::vector<uint8_t>& bytes, std::optional<gfx::Size> size) {
    if (!size) size = MetafileDeviceSize(bytes);
    if (!size || size->cx < 1 || size->cy < 1) return std::nullopt;
    const int larger = std::max(size->cx, size->cy);
    if (larger > gfx::kLargestMetafileSide) {  // drawn smaller, then stretched
        size->cx = std::max(1, static_cast<int>(int64_t{size->cx} * gfx::kLargestMetafileSide / larger));
        size->cy = std::max(1, static_cast<int>(int64_t{size->cy} * gfx::kLargestMetafileSide / larger));
    }
    std::optional<std::vector<gfx::Colour>> colours = gfx::RenderMetafile(bytes, size->cx, size->cy);
    if (!colours) return std::nullopt;
    return PictureImage{size->cx, size->cy, std::move(*colours)};
}

// The picture's image; a metafile at `metafileSize` device pixels when given.
std::optional<PictureImage> DecodePicture(PictureObject* picture, ScoreDocument* document,
                                          std::optional<gfx::Size> metafileSize = std::nullopt) {
    const std::vector<uint8_t>* bytes = PictureBytesOf(picture, document);
    if (bytes == nullptr) return std::nullopt;
    if (picture->body.format == kPictureFormatMetafile) return DecodeMetafile(*bytes, metafileSize);
    if (picture->body.format == kPictureFormatBitmap) return DecodeBitmap(picture->body, *bytes);
    if (picture->body.format != kPictureFormatDib) return std::nullopt;
    std::optional<DibLayout> layout = CheckDib(bytes->data(), bytes->size());
    if (!layout) return std::nullopt;
    return PictureImage{layout->width, layout->height, DecodeDibPixels(bytes->data(), *layout)};
}

// A metafile's cache of this many bytes or more, counted as a device bitmap of the
// surface's depth (rows of 16-bit words), is kept in black and white.
constexpr int64_t kLargestColourMetafileCache = 16'000'000;
constexpr int64_t kCacheWordBits = 16;
constexpr int64_t kCacheWordBytes = 2;

bool IsLargeMetafileCache(const PictureBody& body, gfx::Size device, platform::DcHandle dc) {
    if (body.format != kPictureFormatMetafile) return false;
    const int64_t bits = gfx::GetDeviceCaps(dc, gfx::DeviceCap::BitsPixel);
    const int64_t planes = gfx::GetDeviceCaps(dc, gfx::DeviceCap::Planes);
    const int64_t rowWords = (device.cx * bits + kCacheWordBits - 1) / kCacheWordBits;
    return rowWords * device.cy * planes * kCacheWordBytes > kLargestColourMetafileCache;
}

bool ShowsInBlackAndWhite(const PictureBody& body) {
    return (body.flags & kPictureHidden) != 0 || !IsColourPicture(body);
}

bool IsFocused(const ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr && selection->editMode > 0 && selection->focusedObject.get() == object;
}

// The ink of a cache in black and white, where it is one: a hidden picture (painted
// only while hidden objects are shown) in the grey of hidden objects; the focused
// colour picture on the screen in the red of the selection; else black. Nothing for
// a cache in colour.
std::optional<gfx::Colour> BlackAndWhiteInk(PictureObject* picture, ScoreView* view, gfx::Size device,
                                            bool forOutput) {
    const PictureBody& body = picture->body;
    if ((body.flags & kPictureHidden) != 0) return kGreyColour;
    if (IsColourPicture(body) && !forOutput && IsFocused(&picture->header)) return kRedColour;
    if (ShowsInBlackAndWhite(body) || IsLargeMetafileCache(body, device, view->ViewDC)) return gfx::kBlack;
    return std::nullopt;
}

// Dark pixels take the ink, the others white.
void ToBlackAndWhite(std::vector<gfx::Colour>& colours, gfx::Colour ink) {
    for (gfx::Colour& c : colours) {
        int sum = gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c);
        c = sum < kGreyThreshold ? ink : gfx::kWhite;
    }
}

// A bitmap's cache holds an eighth of the displayed device size along each side,
// or the picture's own pixels where they are more; a metafile's the device size.
gfx::Size CacheSize(const PictureBody& body, gfx::Size device, const PictureImage& image) {
    if (body.format == kPictureFormatMetafile) return device;
    constexpr int kDeviceShare = 8;
    return {std::max(device.cx / kDeviceShare, image.width), std::max(device.cy / kDeviceShare, image.height)};
}

// The cache bitmap: in colour, else (a colour bitmap that cannot be made) in black
// and white, the image then reduced to black ink on white.
platform::BitmapHandle CreateCache(gfx::Size size, PictureImage& image) {
    if (platform::BitmapHandle colour = gfx::CreateImageBitmap(size.cx, size.cy)) return colour;
    platform::BitmapHandle mono = gfx::CreateMonochromeBitmap(size.cx, size.cy);
    if (mono) ToBlackAndWhite(image.colours, gfx::kBlack);
    return mono;
}

// Renders the cache for the displayed size (`forOutput`: for the printer or a
// clipboard picture); false when nothing could be made.
bool RenderCache(PictureObject* picture, ScoreView* view, bool forOutput) {
    if (!view->ViewDC) return false;
    PictureBody& body = picture->body;
    int32_t width = body.width;
    int32_t height = body.height;
    if (width <= 0) width = kSmallestPicture;
    if (height <= 0) height = kSmallestPicture;
    gfx::Size device = gfx::LogicalToDeviceDistance(view->ViewDC, {width, height});
    device.cx = std::max(std::abs(device.cx), 1);
    device.cy = std::max(std::abs(device.cy), 1);
    // A metafile is drawn at the cache's own size, so that it stays sharp at any zoom.
    std::optional<PictureImage> image = DecodePicture(picture, view->document, device);
    if (!image) return false;
    if (std::optional<gfx::Colour> ink = BlackAndWhiteInk(picture, view, device, forOutput))
        ToBlackAndWhite(image->colours, *ink);
    const gfx::Size size = CacheSize(body, device, *image);
    platform::BitmapHandle cache = CreateCache(size, *image);
    platform::BitmapHandle source =
        cache ? gfx::CreateBitmapFromColours(image->width, image->height, image->colours) : platform::BitmapHandle{};
    if (!source || !cache) {
        if (source) gfx::DeleteObject(source);
        if (cache) gfx::DeleteObject(cache);
        return false;
    }
    platform::DcHandle from = gfx::CreateMemoryContext(view->ViewDC);
    platform::DcHandle to = gfx::CreateMemoryContext(view->ViewDC);
    platform::BitmapHandle oldFrom = gfx::SelectObject(from, source);
    platform::BitmapHandle oldTo = gfx::SelectObject(to, cache);
    gfx::StretchBlit(to, {0, 0, size.cx, size.cy}, from, {0, 0, image->width, image->height},
                     gfx::RasterOp::SourceCopy);
    gfx::SelectObject(from, oldFrom);
    gfx::SelectObject(to, oldTo);
    gfx::DeleteContext(from);
    gfx::DeleteContext(to);
    gfx::DeleteObject(source);
    picture->cache = cache.bits;
    picture->cacheWidth = width;
    picture->cacheHeight = height;
    body.cacheZoom = static_cast<uint8_t>(ZoomLevel(view));
    ++g_renders;
    return true;
}

// The cache fits when built at the view's zoom for the same kind of output and
// the same look, focused or not.
bool CacheFits(const PictureObject* picture, const ScoreView* view, bool printing, bool focused) {
    bool builtForPrinter = (picture->body.flags & kPicturePrinterCache) != 0;
    bool builtFocused = (picture->body.flags & kPictureFocusedCache) != 0;
    return picture->cache != 0 && picture->body.cacheZoom == static_cast<uint8_t>(ZoomLevel(view)) &&
           builtForPrinter == printing && builtFocused == focused;
}

void BlitCache(PictureObject* picture, ScoreView* view, LogicalPoint at) {
    platform::BitmapHandle cache{picture->cache};
    gfx::BitmapInfo info;
    if (!gfx::GetBitmapInfo(cache, &info)) return;
    platform::DcHandle memory = gfx::CreateMemoryContext(view->ViewDC);
    platform::BitmapHandle old = gfx::SelectObject(memory, cache);
    bool opaque = (picture->body.flags & kPictureOpaque) != 0;
    gfx::StretchBlit(view->ViewDC, {at.x, at.y, at.x + picture->body.width, at.y + picture->body.height},
                     memory, {0, 0, info.width, info.height},
                     opaque ? gfx::RasterOp::SourceCopy : gfx::RasterOp::SourceAnd);
    gfx::SelectObject(memory, old);
    gfx::DeleteContext(memory);
}

bool IsBeingDragged(const ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr && selection->editMode == 2 && selection->focusedObject.get() == object;
}

// A picture larger than a stored extent is shown smaller, its ratio kept, so that
// the size saved is the size shown.
LogicalPoint WithinStoredSize(LogicalPoint size) {
    const int32_t larger = std::max(size.x, size.y);
    if (larger <= kLargestStoredExtent) return size;
    const double scale = static_cast<double>(kLargestStoredExtent) / larger;
    return {std::max(static_cast<int32_t>(size.x * scale), kSmallestPicture),
            std::max(static_cast<int32_t>(size.y * scale), kSmallestPicture)};
}

}  // namespace

uint64_t PictureCacheRenders() {
    return g_renders;
}

void DropPictureCache(PictureObject* picture) {
    if (picture->cache != 0) gfx::DeleteObject(platform::BitmapHandle{picture->cache});
    picture->cache = 0;
}

LogicalPoint PictureNaturalSize(PictureObject* picture, ScoreView* view) {
    LogicalPoint size{kSmallestPicture, kSmallestPicture};
    const std::vector<uint8_t>* bytes = PictureBytesOf(picture, view->document);
    if (bytes == nullptr) return size;
    std::optional<gfx::Size> device;
    if (picture->body.format == kPictureFormatMetafile) {
        device = MetafileDeviceSize(*bytes);
    } else if (std::optional<PictureImage> image = DecodePicture(picture, view->document)) {
        device = gfx::Size{image->width, image->height};
    }
    if (!device) return size;
    BeginViewDraw(view);
    gfx::Size logical = view->ViewDC ? gfx::DeviceToLogicalDistance(view->ViewDC, *device) : *device;
    EndViewDraw(view);
    size.x = std::max(std::abs(logical.cx), kSmallestPicture);
    size.y = std::max(std::abs(logical.cy), kSmallestPicture);
    return WithinStoredSize(size);
}

void SetPictureNaturalSize(PictureObject* picture, ScoreView* view) {
    LogicalPoint size = PictureNaturalSize(picture, view);
    picture->body.width = size.x;
    picture->body.height = size.y;
    DropPictureCache(picture);
}

void PictureClass::Update(ScoreObject* object, ScoreView* view) const {
    Paint(object, view);
}

void PictureClass::Paint(ScoreObject* object, ScoreView* view) const {
    PictureObject* picture = AsPicture(object);
    if (view == nullptr || picture->data == 0) return;
    bool printing = IsPrinting();
    bool pictureOutput = State().display.painter.pictureOutput != 0 || static_cast<bool>(view->ViewMirrorDC);
    if (IsBeingDragged(object) && !printing && !pictureOutput) return;
    bool hidden = (picture->body.flags & kPictureHidden) != 0;
    if (hidden && Options().ShowHidden == 0) return;
    LogicalPoint at{};
    DecodeAnchors(view, SubtypeCode(ObjectSubtype::PageList), &picture->body.location, &at, 1);
    BeginViewDraw(view);
    if (view->ViewDC) {
        const bool focused = !printing && IsFocused(object);
        if (!pictureOutput && !CacheFits(picture, view, printing, focused)) {
            DropPictureCache(picture);
            RenderCache(picture, view, printing);
            uint8_t flags = picture->body.flags & ~(kPicturePrinterCache | kPictureFocusedCache);
            if (printing) flags |= kPicturePrinterCache;
            if (focused) flags |= kPictureFocusedCache;
            picture->body.flags = flags;
        }
        if (picture->cache != 0) BlitCache(picture, view, at);
    }
    EndViewDraw(view);
}

}  // namespace ql
