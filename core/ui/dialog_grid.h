// Building the program's dialog templates: a grid of columns and rows in dialog
// units (each control names its column and row; a control may also stand at any x
// of its row), the controls the dialogs share (labels, radios, check boxes, number
// edits with their up-downs, the OK and Cancel pair), and adding a set of templates
// to the program's resource bundle.
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"
#include "platform/ui/dialog_template.h"

namespace ql::dialog_grid {

inline constexpr int16_t kMargin = 7;
inline constexpr int16_t kRowHeight = 14;
inline constexpr int16_t kControlHeight = 12;
inline constexpr int16_t kSpinWidth = 10;
inline constexpr int16_t kEditGap = 2;  // between a text and the edit after it

// What differs between the dialogs' grids.
struct GridSizes {
    int16_t columnWidth;
    int16_t numberWidth;  // a number edit
    int16_t buttonWidth;  // OK, Cancel and the other push buttons
};

class DialogGrid {
  public:
    // A centred modal dialog with a caption, `columns` by `rows` cells inside the margin.
    DialogGrid(const char* caption, int columns, int rows, GridSizes sizes);

    // The left edge of a column.
    int16_t X(int column) const;
    // A control at x in a row, and at the left of a column cell.
    void AddAt(const char* cls, int32_t id, const char* text, int16_t x, int row, int16_t width,
               uint32_t style);
    void Add(const char* cls, int32_t id, const char* text, int column, int row, int16_t width,
             uint32_t style);

    // Static text, radio (first of its group with `first`) and check box, `span`
    // cells wide (a text longer than a cell takes the cells to its right).
    void Label(const char* text, int column, int row, int32_t id = ui::kUnusedControlId, int span = 1);
    void Radio(int32_t id, const char* text, int column, int row, bool first = false, int span = 1);
    void Check(int32_t id, const char* text, int column, int row, int span = 1);
    // A radio and a label that leave the right end of their cell to a RightEdit.
    void RadioBeforeEdit(int32_t id, const char* text, int column, int row, bool first = false);
    void LabelBeforeEdit(const char* text, int column, int row);
    // A number edit at the left of the cell, and one at its right.
    void Edit(int32_t id, int column, int row, uint32_t extra = 0);
    void RightEdit(int32_t id, int column, int row);
    // An up-down (spinId) after its edit (spinId + 1), which it writes, at the cell's left.
    void SpinEdit(int32_t spinId, int column, int row);
    // The same, bound to its edit: the arrows step the number in the edit (for
    // dialogs whose procedure leaves the stepping to the up-down).
    void BoundSpinEdit(int32_t spinId, int column, int row);
    // An up-down of any id after the edit of the cell; its arrows reach the dialog
    // as scroll messages.
    void SpinAfterEdit(int32_t spinId, int column, int row);
    // A push button of the button width.
    void Button(int32_t id, const char* text, int column, int row);
    // The default OK button with Cancel under it.
    void Buttons(int column, int row, const char* ok = "&OK", const char* cancel = "&Cancel");

    const GridSizes& Sizes() const { return sizes_; }
    // The width of `span` cells, less the margin before the next cell.
    int16_t CellsWidth(int span) const;

    ui::DialogTemplate dialog;

  private:
    int16_t BeforeEditWidth() const;

    GridSizes sizes_;
};

// Adds templates to a copy of the program's bundle (a new bundle named "program"
// when there is none yet) and makes the copy the program's bundle.
void AddToProgramBundle(void (*add)(sys::ResourceBundle& bundle));

}  // namespace ql::dialog_grid
