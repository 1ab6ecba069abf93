// The items of the score editor's popup menus, in menu order (separators left out).
#include "shell/resources/popup_menu_resources.h"

#include "core/ui/dialog_grid.h"
#include "platform/ui/menu_template.h"

namespace ql {

namespace {

using Item = ui::MenuItemTemplate;

Item Popup(const char* text, std::vector<Item> children) {
    Item item;
    item.text = text;
    item.flags = ui::kMenuPopup;
    item.children = std::move(children);
    return item;
}

Item Command(int32_t id, const char* text) {
    Item item;
    item.text = text;
    item.command = id;
    return item;
}

std::vector<Item> HideItems(bool lowestBeam, const char* all) {
    std::vector<Item> items = {Command(40355, "&Sound"), Command(40357, "&Head"), Command(40356, "S&tem"),
                               Command(42054, "&Beams")};
    if (lowestBeam) items.push_back(Command(42055, "&Lowest Beam"));
    items.push_back(Command(42056, all));
    return items;
}

std::vector<Item> AlterItems(const char* crossStaff) {
    return {Command(40161, "Note-&head..."),     Command(40162, "&Staccato\t(S)"),
            Command(40163, "&Legato\t(L)"),      Command(40352, "&Flip stem\t(F)"),
            Command(40353, "&Enharmonic\t(E)"),  Command(40415, "Key &Velocity..."),
            Command(40370, "Attac&k delay..."),  Command(40371, "&Release delay..."),
            Command(40426, "T&imbre..."),        Command(40452, crossStaff)};
}

std::vector<Item> StyleItems() {
    return {Command(40222, "&Bold\t(B)"), Command(40223, "&Italic\t(I)"), Command(40224, "&Underline\t(U)"),
            Command(40226, "&Gray\t(G)")};
}

Item NoteMenu() {
    return Popup("NOTEMENU",
                 {Command(57632, "&Delete Note\tDel"), Popup("&Hide/Unhide", HideItems(true, "&All")),
                  Popup("&Alter", AlterItems("&Cross staff\t(X)")), Command(42125, "&Change Note to Rest"),
                  Command(42126, "Dou&ble Note Value\t(])"), Command(42127, "Hal&ve Note Value\t([)"),
                  Command(42103, "&Reset Position\t(Shift)"), Command(42100, "&Properties...")});
}

Item MarqueeMenu() {
    std::vector<Item> items = {Command(57632, "&Delete All\tDel"), Command(57635, "Cu&t\tCtrl+X"),
                               Command(57634, "&Copy\tCtrl+C"), Command(57642, "Copy to &End\tCtrl+E"),
                               Command(40216, "Copy &Notes\tCtrl+Shft+Ins"), Command(40212, "&Print to Clipboard"),
                               Popup("&Hide/Unhide", HideItems(false, "&All\t(H)")),
                               Popup("&Alter", AlterItems("&Cross staff...\t(X)")),
                               Command(42103, "&Reset Positions\t(Shift)")};
    for (Item& style : StyleItems()) items.push_back(std::move(style));
    return Popup("MARQUEEMENU", std::move(items));
}

Item TextMenu() {
    std::vector<Item> items = {Command(57632, "&Delete Text\tDel"), Command(42102, "&Hide/Unhide\t(H)"),
                               Command(42108, "Toggle O&wnership\t(O)"), Command(42101, "&Edit...")};
    for (Item& style : StyleItems()) items.push_back(std::move(style));
    return Popup("TEXTMENU", std::move(items));
}

ui::MenuTemplate PopupMenusTemplate() {
    ui::MenuTemplate menu;
    menu.items = {
        NoteMenu(),
        Popup("RESTMENU", {Command(57632, "&Delete Rest\tDel"), Command(42102, "&Hide/Unhide\t(H)"),
                           Command(42125, "&Change Rest to Note"), Command(42126, "Dou&ble Rest Value\t(])"),
                           Command(42127, "Hal&ve Rest Value\t([)"), Command(42103, "&Reset Position\t(Shift)")}),
        Popup("TEXTBOXMENU", {Command(57632, "&Delete Textbox\tDel"), Command(42102, "&Hide/Unhide\t(H)"),
                              Command(42101, "&Edit...")}),
        TextMenu(),
        Popup("GRAPHICMENU", {Command(57632, "&Delete Graphic\tDel"), Command(42102, "&Hide/Unhide\t(H)"),
                              Command(42103, "&Reset Shape\t(Shift)"), Command(42100, "&Properties...")}),
        Popup("BARLINEMENU", {Command(57632, "&Delete Measure\tDel"), Command(42105, "&Insert Measure\tIns"),
                              Command(42102, "&Hide/Unhide Barline\t(H)"), Command(42103, "&Reformat Measure\t(Shift)"),
                              Command(42115, "Set Measure &Number..."), Command(42116, "Hide Measure &Objects..."),
                              Command(42100, "&Properties...")}),
        Popup("STAFFMENU", {Command(57632, "&Delete Staff\tDel"), Command(42105, "&Insert Staff\tIns"),
                            Command(42102, "&Hide/Unhide Staff\t(H)"), Command(42103, "&Reformat Staff\t(Shift)"),
                            Command(42111, "Set &Channel...\t(C)"), Command(42114, "Set P&atch...\t(P)"),
                            Command(42112, "&Solo\t(S)"), Command(42113, "&Mute\t(M)"),
                            Command(42100, "&Properties...")}),
        Popup("IMAGEMENU", {Command(57632, "&Delete Symbol\tDel"), Command(42102, "&Hide/Unhide\t(H)"),
                            Command(42103, "&Reset\t(Shift)"), Command(42100, "&Properties...")}),
        MarqueeMenu(),
        Popup("MIDIMSGMENU", {Command(57632, "&Delete Item\tDel"), Command(42102, "&Hide/Unhide\t(H)"),
                              Command(42100, "&Properties...")}),
        Popup("ACCIMENU", {Command(57632, "&Delete Note Item\tDel"), Command(42102, "&Hide/Unhide\t(H)"),
                           Command(42103, "&Reset\t(Shift)")}),
        Popup("PAGEMENU", {Command(42085, "&Reformat Page"), Command(42117, "Set &Margins"),
                           Command(42118, "Set Staff Size"), Command(42119, "Set Page &Number"),
                           Command(40116, "Pa&ge Setup...\tCtrl+G"), Command(40178, "Page &Layout...\tCtrl+L")}),
        Popup("SLURMENU", {Command(57632, "&Delete Slur/Tie\tDel"), Command(40352, "&Flip\t(F)"),
                           Command(42110, "Dotted &Line\t(D)")}),
        Popup("HAIRPINMENU", {Command(57632, "&Delete Symbol\tDel"), Command(42100, "&Properties...")}),
    };
    return menu;
}

}  // namespace

void AddPopupMenuResources(sys::ResourceBundle& bundle) {
    bundle.menus.emplace(kPopupMenusResource, PopupMenusTemplate());
}

void RegisterPopupMenuResources() {
    dialog_grid::AddToProgramBundle(&AddPopupMenuResources);
}

}  // namespace ql
