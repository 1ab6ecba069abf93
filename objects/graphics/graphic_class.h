// The classes of the box (10), the circle (9) and the straight or wavy line (8):
// drawing with the frame pen and interior brush, creation at a click, handles (four
// corners and a centre for boxes and circles; two ends and a middle for lines), the
// drags, squaring and straightening (the Invalidate slot, which the mouse processor
// runs as an undoable edit), the Shift constraints, copies and the attribute dialogs.
// The circle is the box drawn as an ellipse, with its own dialog and one creation
// rule more. Bodies and the file form are in graphic_object.h.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "objects/graphics/graphic_object.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ToolRecord;

// Handle kinds of the centre handle (box, circle) and of the line's handles.
constexpr uint8_t kBoxCentreKind = 2;
constexpr uint8_t kCircleCentreKind = 7;
constexpr uint8_t kLineHandleKind = 0;
constexpr int kBoxHandleCount = 5;
constexpr int kBoxCentreHandle = 4;
constexpr int kLineHandleCount = 3;
constexpr int kLineMiddleHandle = 2;
// Cursor resources of the handles.
constexpr int kMoveCursorResource = 384;
constexpr int kHandleCursorResource = 382;
constexpr int kSecondCursorResource = 383;
// Styles of a line.
constexpr uint8_t kLineWavy = 4;
// Dialogs.
constexpr int kBoxDialogId = 804;
constexpr int kCircleDialogId = 809;
constexpr int kLineDialogId = 825;

class BoxClass : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const override;
    void Update(ScoreObject* object, ScoreView* view) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    void Paint(ScoreObject* object, ScoreView* view) const override;
    void DrawSelected(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void DragMove(ScoreObject* object, ScoreView* view) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
    void Invalidate(ScoreObject* object, ScoreView* view) const override;
    void ConstrainDrag(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;

  protected:
    // The primitive: a rectangle for the box, an ellipse for the circle.
    virtual void DrawShape(ScoreView* view, const RecordRect& rect) const;
    virtual uint8_t CentreKind() const { return kBoxCentreKind; }
    virtual int DialogId() const { return kBoxDialogId; }
    // The circle refuses creation in a score without staves outside page layout.
    virtual bool RefusesCreation(ScoreView*) const { return false; }
};

class CircleClass final : public BoxClass {
  protected:
    void DrawShape(ScoreView* view, const RecordRect& rect) const override;
    uint8_t CentreKind() const override { return kCircleCentreKind; }
    int DialogId() const override { return kCircleDialogId; }
    bool RefusesCreation(ScoreView* view) const override;
};

class LineClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    void Paint(ScoreObject* object, ScoreView* view) const override;
    void DrawSelected(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    void DrawTracking(ScoreObject* object, ScoreView* view) const override;
    void EraseTracking(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void DragMove(ScoreObject* object, ScoreView* view) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
    void Invalidate(ScoreObject* object, ScoreView* view) const override;
    void ConstrainDrag(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
};

const BoxClass& TheBoxClass();
const BoxClass& TheCircleClass();
const LineClass& TheLineClass();

// The hot rectangle of a line's middle handle for end points p and q: a square of
// 128 units (256 along an axis longer than 256) centred on the segment's midpoint.
RecordRect MiddleHandleRect(LogicalPoint p, LogicalPoint q);

// The tools (the ToolHandler protocol of core/ui/tool_record.h). The line tool's alternate
// face with identifier 182 arms wavy lines, any other straight ones.
intptr_t BoxTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                 win::Message message, uint32_t word, intptr_t data);
intptr_t CircleTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                    win::Message message, uint32_t word, intptr_t data);
intptr_t LineTool(ScoreView* view, int action, ToolRecord* record, platform::WindowHandle window,
                  win::Message message, uint32_t word, intptr_t data);

// The program-wide wavy-line flag: set by the line tool, read by CreateAtClick.
bool WavyLineArmed();
void SetWavyLineArmed(bool wavy);

}  // namespace ql
