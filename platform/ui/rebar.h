// The band container: rows of bands, each holding one child window (a toolbar)
// behind a grip. A band has an id, a width, and style bits (a break starts a new
// row; a hidden band takes no place, but its break starts the row at the next
// band shown). The rows are laid out left to right, each as
// tall as its tallest child; the container's height follows. A grip drag moves a
// band within its row or to another row; a drop beyond the container's top or
// bottom edge is reported, for the owner to dock the bar there. The model is the
// same on both backends.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql::ui {

using platform::WindowHandle;

constexpr char kRebarClass[] = "ReBarWindow32";

// Band style bits.
constexpr uint32_t kBandBreak = 0x0001;
constexpr uint32_t kBandChildEdge = 0x0004;
constexpr uint32_t kBandHidden = 0x0008;
constexpr uint32_t kBandFixedBitmap = 0x0020;  // kept in saved styles; no effect
constexpr uint32_t kBandGripperAlways = 0x0080;

// The grip's width at the left of every band.
constexpr int32_t kBandGripWidth = 10;

struct RebarBand {
    int32_t id = 0;
    WindowHandle child;
    int32_t width = 0;  // the band's width, the grip included
    uint32_t style = 0;
};

// A visible container, child `id` of parent; null when it cannot be made.
WindowHandle CreateRebar(WindowHandle parent, int32_t id, bool vertical);

// Adds the band at the end; its child becomes the container's to place. False
// for a window that is no container or a child that is no window.
bool InsertRebarBand(WindowHandle rebar, const RebarBand& band);
int32_t RebarBandCount(WindowHandle rebar);
std::optional<RebarBand> GetRebarBand(WindowHandle rebar, int32_t index);
int32_t RebarIdToIndex(WindowHandle rebar, int32_t id);  // -1 when no band has it
// Shows or hides the band (and its child); false for a bad index.
bool ShowRebarBand(WindowHandle rebar, int32_t index, bool show);
bool SetRebarBandWidth(WindowHandle rebar, int32_t index, int32_t width);

// The outcome of a grip drag.
enum class BandDrop : uint8_t { None = 0, Moved = 1, AboveTop = 2, BelowBottom = 3 };
// Drops band `index` at `where` (container client): on a row it goes before the
// band under the point (or at the row's end); below the last row, within the
// container, it starts a row of its own. Beyond the top or bottom edge the band
// stays and the drop says which edge.
BandDrop DropRebarBand(WindowHandle rebar, int32_t index, gfx::Point where);

// A grip dragged with the left button drops its band where the button is let go;
// a drop beyond the top or bottom edge sends the parent a Command with the
// container's id and one of these codes.
constexpr uint32_t kRebarDroppedAbove = 1;
constexpr uint32_t kRebarDroppedBelow = 2;

// After each layout the container tells its parent what changed: Notify with the
// container's id and a RebarNotice, once per band whose place took another size
// (a band's first layout included), then once when the container's height changed.
enum class RebarNoticeCode : uint8_t { HeightChange = 1, ChildSize = 2 };
struct RebarNotice {
    RebarNoticeCode code = RebarNoticeCode::HeightChange;
    int32_t bandId = 0;  // ChildSize: the band's id
};

// Lays the bands out for the width and sizes the container; its height.
int32_t LayoutRebar(WindowHandle rebar, int32_t width);
int32_t RebarHeight(WindowHandle rebar);
// The band's rectangle in the container's client (empty when hidden or unknown).
gfx::Rect RebarBandRect(WindowHandle rebar, int32_t index);

}  // namespace ql::ui
