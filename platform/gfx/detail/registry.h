// The drawing layer's object tables and the inside of a device context.
// One registry for the program (user-interface thread only): pens, brushes,
// bitmaps and contexts by generational handle, the stock objects, the screen
// metrics and the font deleter of the text module.
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/detail/image.h"
#include "platform/gfx/detail/page_ink.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/printer.h"

namespace ql::gfx::detail {

using platform::HandleTable;
using platform::ObjectKind;

struct Pen {
    PenDesc desc;
};
struct Brush {
    std::shared_ptr<const BrushDesc> desc;
};
// A bitmap owns its image. A context that draws on it is counted, so that the
// bitmap cannot be deleted under it.
struct Bitmap {
    std::unique_ptr<Image> image;
    DcHandle selectedInto;  // memory context that has it selected
    int backingUsers = 0;   // window and paint contexts on it
};

// Everything SaveContext keeps.
struct DcState {
    PenHandle penHandle;
    PenDesc pen;
    BrushHandle brushHandle;
    std::shared_ptr<const BrushDesc> brush;
    FontHandle font;
    BitmapHandle bitmap;
    Colour textColour = kBlack;
    Colour backgroundColour = kWhite;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    TextAlign textAlign = kTextAlignLeft | kTextAlignTop;
    Rop2 rop = Rop2::CopyPen;
    FillMode fillMode = FillMode::Alternate;
    Mapping mapping;
    std::optional<Rect> clip;  // device pixels; none = unclipped
    Point position;
    int charExtra = 0;
};

struct DeviceInfo {
    bool isScreen = true;  // follows the screen metrics when true
    int width = 0;
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;
};

class PdfPrintJob;

// The vector surface of a printer context (a PDF document, or an SVG picture):
// device dots are drawn at `unitsPerDot` surface units each. A surface written to
// memory writes into `streamed` (the job's address stays fixed). A PDF document
// is recorded page by page into `pdf`, which writes the file; its surface writes
// nothing and serves to build paths and choose font options.
struct PrinterJob {
    cairo_surface_t* surface = nullptr;
    std::unique_ptr<PdfPrintJob> pdf;
    double unitsPerDotX = 0.0;
    double unitsPerDotY = 0.0;
    std::vector<uint8_t> streamed;
    std::string title;
    bool inDocument = false;
    bool inPage = false;
    bool finished = false;
    std::unique_ptr<PageInk> page;  // the page being drawn, made by its first drawing
    PrinterJob();
    ~PrinterJob();
    PrinterJob(const PrinterJob&) = delete;
    PrinterJob& operator=(const PrinterJob&) = delete;
};

using RecordedCall = std::function<void(DcHandle target)>;

struct Dc {
    ContextKind kind = ContextKind::Window;
    DcState state;
    std::vector<DcState> saved;
    BitmapHandle backing;            // window and paint contexts
    std::optional<Rect> paintClip;   // paint contexts, device pixels
    DeviceInfo device;
    std::unique_ptr<PrinterJob> printer;
    std::vector<RecordedCall> calls;  // recording contexts
    std::vector<FontHandle> heldFonts;  // the fonts a recording selects, kept for its replays
    int replayBase = 0;               // save depth of a replay in progress
    cairo_t* ink = nullptr;
    int inkDepth = 0;
    // The last Cairo context on an image, kept for the next text drawn on the same
    // surface within the same clip (see ink.cpp); dropped with the context.
    cairo_t* keptInk = nullptr;
    Rect keptClip;

    bool IsRecording() const { return kind == ContextKind::Recording; }
};

struct Registry {
    HandleTable<ObjectKind::Pen, Pen> pens;
    HandleTable<ObjectKind::Brush, Brush> brushes;
    HandleTable<ObjectKind::Bitmap, Bitmap> bitmaps;
    HandleTable<ObjectKind::DeviceContext, Dc> contexts;
    PenHandle stockPens[3];
    BrushHandle stockBrushes[6];
    BitmapHandle stockBitmap;  // 1x1 monochrome, selected into new memory contexts
    ScreenMetrics screen;
    std::function<bool(FontHandle)> fontDeleter;
    // Fonts deleted while a recording still selects them: deleted when the last
    // recording that holds them is cleared or deleted.
    std::vector<FontHandle> fontsToDelete;
    Registry();
};

// Every drawing call resolves its context here: inline, so that the look-up costs
// no call of its own.
inline Registry& Reg() {
    static Registry registry;
    return registry;
}
inline Dc* FindDc(DcHandle dc) { return Reg().contexts.Find(dc); }
inline Bitmap* FindBitmap(BitmapHandle bitmap) { return Reg().bitmaps.Find(bitmap); }

// Records `call` when `d` is a recording context. A template, so that a context that
// does not record (every window, paint and memory context) never wraps the call.
template <typename Call>
void RecordIfRecording(Dc& d, Call&& call) {
    if (d.IsRecording()) d.calls.emplace_back(std::forward<Call>(call));
}

// A recording keeps a font it selects until it is cleared or deleted; letting go
// of its fonts (taken out of it) deletes those that were deleted meanwhile and no
// other recording holds.
void HoldFont(Dc& recording, FontHandle font);
void ReleaseFonts(const std::vector<FontHandle>& released);
// Whether a live recording holds the font.
bool IsFontHeld(FontHandle font);

// The image a context draws on (window, paint, memory); null otherwise.
Image* ImageOf(const Dc& d);
DeviceInfo DeviceOf(const Dc& d);
// A logical rectangle in device pixels by the context's mapping, normalised.
Rect DeviceRectOf(const Dc& d, Rect logical);
// Device pixels that drawing may touch: the image bounds (or printer page)
// with the paint and own clips. Empty when nothing can be drawn.
Rect DeviceClipOf(const Dc& d);

// Internal selection by value, used by replay.
void SelectPenValue(Dc& d, PenHandle handle, const PenDesc& pen);
void SelectBrushValue(Dc& d, BrushHandle handle, std::shared_ptr<const BrushDesc> brush);
// Makes `next` the memory context's bitmap, keeping the selection marks right;
// false when it does not resolve or is selected into another context.
bool SelectBitmapInto(Dc& d, DcHandle self, BitmapHandle next);
// A recorded restore replayed: a save number (level > 0) counts from the start
// of the replay in progress; a relative restore (level < 0) may not pop the
// replay's own save. Outside a replay both act as RestoreContext.
bool RestoreForReplay(DcHandle target, int level);
// Ends one BeginInk level (dc_access.h).
void EndInkOf(Dc& d);
// Destroys the kept Cairo context, if any.
void DropKeptInk(Dc& d);
// A context of `kind` with the black pen and the white brush selected, as every
// new context starts; AddContext puts it in the table (null when that is full).
std::unique_ptr<Dc> NewContext(ContextKind kind);
DcHandle AddContext(std::unique_ptr<Dc> d);

}  // namespace ql::gfx::detail
