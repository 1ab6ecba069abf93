// The picture's class: a picture pasted from the clipboard onto a page, drawn
// through a cached bitmap of its displayed size at the view's zoom (rebuilt only
// when the zoom or the kind of output changes), resized by eight handles (keeping
// its proportions when asked, an edge then held still), moved by the ninth, hidden
// and shown again by "H" (one undoable step each), and copied back to the clipboard
// in its own format. Its bytes are checked before every use (dib.h): a picture whose
// bytes fail draws nothing and has the natural size 8 x 8. Enhanced metafiles are
// kept and copied as they are and drawn by the renderer program beside the editor
// (platform/gfx/metafile.h); one it cannot draw draws nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/geometry.h"
#include "core/objects/class_table.h"
#include "objects/picture/picture_object.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ToolRecord;

constexpr uint16_t kPictureFormatBitmap = 2;
constexpr uint16_t kPictureFormatDib = 8;
constexpr uint16_t kPictureFormatMetafile = 14;
constexpr int kPictureHandleCount = 9;
constexpr int kPictureMoveHandle = 8;
constexpr int32_t kSmallestPicture = 8;       // logical units, and device pixels when collapsed
constexpr int32_t kNoContextCollapse = 128;   // the collapsed size without a drawing context
constexpr uint32_t kPictureHideKey = 72;      // "H"
constexpr int kPictureDialogId = 891;

class PictureClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const override;
    void Paint(ScoreObject* object, ScoreView* view) const override;
    void Update(ScoreObject* object, ScoreView* view) const override;
    void DrawSelected(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    void ReleaseCache(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void DragMove(ScoreObject* object, ScoreView* view) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
    void Invalidate(ScoreObject* object, ScoreView* view) const override;
    void ConstrainDrag(ScoreObject* object, ScoreView* view) const override;
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override;
};

const PictureClass& ThePictureClass();

// The picture's bytes, or null without any.
const std::vector<uint8_t>* PictureBytesOf(PictureObject* picture, ScoreDocument* document);
// Width and height of the picture's own image in logical units of the view (device
// pixels converted); 8 x 8 when its bytes fail their checks.
LogicalPoint PictureNaturalSize(PictureObject* picture, ScoreView* view);
// Sets the displayed size to the natural size.
void SetPictureNaturalSize(PictureObject* picture, ScoreView* view);
// Deletes the cached bitmap.
void DropPictureCache(PictureObject* picture);
// How many times a picture cache was rendered (for measuring the cache's reuse).
uint64_t PictureCacheRenders();

// Edit Copy of a focused picture: its bytes in their own format. False when there is
// nothing to copy or the clipboard refused.
bool CopyPictureToClipboard(ScoreView* view);
// Whether the clipboard offers a picture that Paste takes (formats 14, 8 or 2).
bool ClipboardOffersPicture();

// The picture tool: arms type 53; its mouse messages run inside one undoable step
// (type 53, verb 6).
intptr_t PictureTool(ScoreView* view, int action, ToolRecord* record,
                     platform::WindowHandle window, win::Message message, uint32_t word,
                     intptr_t data);

}  // namespace ql
