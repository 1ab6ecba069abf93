// Combo boxes (drop-down lists) and list boxes: items with texts and data, and
// the selection (one item, or a set of items for multiple-selection lists).
// A sorted control inserts added texts in order, letter case ignored.
#include <algorithm>
#include <cctype>

#include "platform/ui/control_state.h"

namespace ql::ui {
namespace {

using detail::ItemListState;
using detail::ListItem;

ItemListState* ListOf(WindowHandle w, const char* className) {
    if (!win::HasClassName(w, className)) return nullptr;
    return detail::StateOf<ItemListState>(w);
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
    });
}

int32_t Insert(ItemListState* s, int32_t index, std::string_view text, bool sorted) {
    if (!s) return -1;
    auto count = static_cast<int32_t>(s->items.size());
    if (sorted) {
        auto at = std::find_if(s->items.begin(), s->items.end(),
                               [&](const ListItem& item) { return LessIgnoringCase(text, item.text); });
        index = static_cast<int32_t>(at - s->items.begin());
    } else if (index < 0 || index > count) {
        if (index > count) return -1;
        index = count;
    }
    s->items.insert(s->items.begin() + index, ListItem{std::string(text), 0, false});
    if (s->selection >= index) ++s->selection;
    return index;
}

bool Delete(ItemListState* s, int32_t index) {
    if (!s || index < 0 || index >= static_cast<int32_t>(s->items.size())) return false;
    s->items.erase(s->items.begin() + index);
    if (s->selection == index)
        s->selection = -1;
    else if (s->selection > index)
        --s->selection;
    return true;
}

const ListItem* ItemAt(ItemListState* s, int32_t index) {
    if (!s || index < 0 || index >= static_cast<int32_t>(s->items.size())) return nullptr;
    return &s->items[static_cast<size_t>(index)];
}

int32_t Select(ItemListState* s, int32_t index) {
    if (!s) return -1;
    if (index < 0 || index >= static_cast<int32_t>(s->items.size())) {
        s->selection = -1;
        return -1;
    }
    s->selection = index;
    return index;
}

bool Sorted(WindowHandle w, uint32_t sortBit) { return (win::GetStyle(w) & sortBit) != 0; }

bool IsMultiple(WindowHandle list) { return (win::GetStyle(list) & kListMultipleSelection) != 0; }

}  // namespace

int32_t ComboAddString(WindowHandle combo, std::string_view text) {
    return Insert(ListOf(combo, kComboBoxClass), -1, text, Sorted(combo, kComboSort));
}
int32_t ComboInsertString(WindowHandle combo, int32_t index, std::string_view text) {
    return Insert(ListOf(combo, kComboBoxClass), index, text, false);
}
bool ComboDeleteString(WindowHandle combo, int32_t index) { return Delete(ListOf(combo, kComboBoxClass), index); }

bool ComboResetContent(WindowHandle combo) {
    ItemListState* s = ListOf(combo, kComboBoxClass);
    if (!s) return false;
    *s = ItemListState{};
    return true;
}

int32_t ComboGetCount(WindowHandle combo) {
    ItemListState* s = ListOf(combo, kComboBoxClass);
    return s ? static_cast<int32_t>(s->items.size()) : -1;
}

std::string ComboGetItemText(WindowHandle combo, int32_t index) {
    const ListItem* item = ItemAt(ListOf(combo, kComboBoxClass), index);
    return item ? item->text : std::string{};
}

int32_t ComboSetSelection(WindowHandle combo, int32_t index) {
    ItemListState* s = ListOf(combo, kComboBoxClass);
    int32_t selected = Select(s, index);
    if (s) win::SetWindowText(combo, selected >= 0 ? s->items[static_cast<size_t>(selected)].text : "");
    return selected;
}

int32_t ComboGetSelection(WindowHandle combo) {
    ItemListState* s = ListOf(combo, kComboBoxClass);
    return s ? s->selection : -1;
}

int32_t ComboFindExact(WindowHandle combo, std::string_view text) {
    ItemListState* s = ListOf(combo, kComboBoxClass);
    if (!s) return -1;
    for (size_t i = 0; i < s->items.size(); ++i) {
        const std::string& t = s->items[i].text;
        if (!LessIgnoringCase(t, text) && !LessIgnoringCase(text, t)) return static_cast<int32_t>(i);
    }
    return -1;
}

bool ComboSetItemData(WindowHandle combo, int32_t index, intptr_t data) {
    auto* item = const_cast<ListItem*>(ItemAt(ListOf(combo, kComboBoxClass), index));
    if (!item) return false;
    item->data = data;
    return true;
}

intptr_t ComboGetItemData(WindowHandle combo, int32_t index) {
    const ListItem* item = ItemAt(ListOf(combo, kComboBoxClass), index);
    return item ? item->data : 0;
}

int32_t ListAddString(WindowHandle list, std::string_view text) {
    return Insert(ListOf(list, kListBoxClass), -1, text, Sorted(list, kListSort));
}
int32_t ListInsertString(WindowHandle list, int32_t index, std::string_view text) {
    return Insert(ListOf(list, kListBoxClass), index, text, false);
}
bool ListDeleteString(WindowHandle list, int32_t index) { return Delete(ListOf(list, kListBoxClass), index); }

bool ListResetContent(WindowHandle list) {
    ItemListState* s = ListOf(list, kListBoxClass);
    if (!s) return false;
    *s = ItemListState{};
    return true;
}

int32_t ListGetCount(WindowHandle list) {
    ItemListState* s = ListOf(list, kListBoxClass);
    return s ? static_cast<int32_t>(s->items.size()) : -1;
}

std::string ListGetItemText(WindowHandle list, int32_t index) {
    const ListItem* item = ItemAt(ListOf(list, kListBoxClass), index);
    return item ? item->text : std::string{};
}

bool ListSetItemData(WindowHandle list, int32_t index, intptr_t data) {
    auto* item = const_cast<ListItem*>(ItemAt(ListOf(list, kListBoxClass), index));
    if (!item) return false;
    item->data = data;
    return true;
}

intptr_t ListGetItemData(WindowHandle list, int32_t index) {
    const ListItem* item = ItemAt(ListOf(list, kListBoxClass), index);
    return item ? item->data : 0;
}

int32_t ListSetSelection(WindowHandle list, int32_t index) {
    if (IsMultiple(list)) return -1;
    return Select(ListOf(list, kListBoxClass), index);
}

int32_t ListGetSelection(WindowHandle list) {
    ItemListState* s = ListOf(list, kListBoxClass);
    return s && !IsMultiple(list) ? s->selection : -1;
}

bool ListSetItemSelected(WindowHandle list, int32_t index, bool selected) {
    ItemListState* s = ListOf(list, kListBoxClass);
    if (!s || !IsMultiple(list)) return false;
    if (index == -1) {
        for (ListItem& item : s->items) item.selected = selected;
        return true;
    }
    auto* item = const_cast<ListItem*>(ItemAt(s, index));
    if (!item) return false;
    item->selected = selected;
    return true;
}

bool ListIsItemSelected(WindowHandle list, int32_t index) {
    ItemListState* s = ListOf(list, kListBoxClass);
    const ListItem* item = ItemAt(s, index);
    if (!item) return false;
    return IsMultiple(list) ? item->selected : s->selection == index;
}

std::vector<int32_t> ListGetSelectedItems(WindowHandle list) {
    std::vector<int32_t> out;
    ItemListState* s = ListOf(list, kListBoxClass);
    if (!s) return out;
    for (size_t i = 0; i < s->items.size(); ++i)
        if (ListIsItemSelected(list, static_cast<int32_t>(i))) out.push_back(static_cast<int32_t>(i));
    return out;
}

}  // namespace ql::ui
