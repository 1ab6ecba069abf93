// The grid the program's dialog templates are laid out on, and adding templates to
// the program's bundle (see dialog_grid.h).
#include "core/ui/dialog_grid.h"

#include <memory>
#include <utility>

#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql::dialog_grid {
namespace {

constexpr uint32_t kVisible = win::kStyleVisible;
constexpr uint32_t kTab = win::kStyleVisible | win::kStyleTabStop;

int16_t RowY(int row) { return static_cast<int16_t>(kMargin + row * kRowHeight); }

}  // namespace

DialogGrid::DialogGrid(const char* caption, int columns, int rows, GridSizes sizes)
    : sizes_(sizes) {
    dialog.caption = caption;
    dialog.rect = {0, 0, static_cast<int16_t>(2 * kMargin + columns * sizes.columnWidth),
                   static_cast<int16_t>(2 * kMargin + rows * kRowHeight)};
    dialog.style = ui::kDialogCentre | ui::kDialogModalFrame | win::kStyleCaption;
}

int16_t DialogGrid::X(int column) const {
    return static_cast<int16_t>(kMargin + column * sizes_.columnWidth);
}

void DialogGrid::AddAt(const char* cls, int32_t id, const char* text, int16_t x, int row,
                       int16_t width, uint32_t style) {
    dialog.controls.push_back({cls, id, text, {x, RowY(row), width, kControlHeight}, style, 0});
}

void DialogGrid::Add(const char* cls, int32_t id, const char* text, int column, int row,
                     int16_t width, uint32_t style) {
    AddAt(cls, id, text, X(column), row, width, style);
}

int16_t DialogGrid::CellsWidth(int span) const {
    return static_cast<int16_t>(span * sizes_.columnWidth - kMargin);
}

void DialogGrid::Label(const char* text, int column, int row, int32_t id, int span) {
    Add(ui::kStaticClass, id, text, column, row, CellsWidth(span), kVisible);
}

void DialogGrid::Radio(int32_t id, const char* text, int column, int row, bool first, int span) {
    Add(ui::kButtonClass, id, text, column, row, CellsWidth(span),
        kTab | ui::kButtonAutoRadio | (first ? win::kStyleGroup : 0));
}

void DialogGrid::Check(int32_t id, const char* text, int column, int row, int span) {
    Add(ui::kButtonClass, id, text, column, row, CellsWidth(span), kTab | ui::kButtonAutoCheckBox);
}

int16_t DialogGrid::BeforeEditWidth() const {
    return static_cast<int16_t>(CellsWidth(1) - sizes_.numberWidth - kEditGap);
}

void DialogGrid::RadioBeforeEdit(int32_t id, const char* text, int column, int row, bool first) {
    Add(ui::kButtonClass, id, text, column, row, BeforeEditWidth(),
        kTab | ui::kButtonAutoRadio | (first ? win::kStyleGroup : 0));
}

void DialogGrid::LabelBeforeEdit(const char* text, int column, int row) {
    Add(ui::kStaticClass, ui::kUnusedControlId, text, column, row, BeforeEditWidth(), kVisible);
}

void DialogGrid::Edit(int32_t id, int column, int row, uint32_t extra) {
    Add(ui::kEditClass, id, "", column, row, sizes_.numberWidth, kTab | extra);
}

void DialogGrid::RightEdit(int32_t id, int column, int row) {
    AddAt(ui::kEditClass, id, "", static_cast<int16_t>(X(column + 1) - sizes_.numberWidth), row,
          sizes_.numberWidth, kTab);
}

void DialogGrid::SpinEdit(int32_t spinId, int column, int row) {
    Edit(spinId + 1, column, row);
    SpinAfterEdit(spinId, column, row);
}

void DialogGrid::SpinAfterEdit(int32_t spinId, int column, int row) {
    AddAt(ui::kUpDownClass, spinId, "", static_cast<int16_t>(X(column) + sizes_.numberWidth), row,
          kSpinWidth, kVisible | ui::kUpDownSetBuddyInt | ui::kUpDownArrowKeys);
}

void DialogGrid::Button(int32_t id, const char* text, int column, int row) {
    Add(ui::kButtonClass, id, text, column, row, sizes_.buttonWidth, kTab);
}

void DialogGrid::BoundSpinEdit(int32_t spinId, int column, int row) {
    SpinEdit(spinId, column, row);
    dialog.controls.back().style |= ui::kUpDownAutoBuddy;
}

void DialogGrid::Buttons(int column, int row, const char* ok, const char* cancel) {
    Add(ui::kButtonClass, ui::kIdOk, ok, column, row, sizes_.buttonWidth,
        kTab | ui::kButtonDefaultPush);
    Add(ui::kButtonClass, ui::kIdCancel, cancel, column, row + 1, sizes_.buttonWidth, kTab);
}

void AddToProgramBundle(void (*add)(sys::ResourceBundle& bundle)) {
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    add(*bundle);
    sys::SetProgramBundle(std::move(bundle));
}

}  // namespace ql::dialog_grid
