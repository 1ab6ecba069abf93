// The tooltip table of the toolbar buttons, the texts that follow the state, and
// the frame's answer to the toolbars' notifications.
#include "shell/command/toolbar_tooltips.h"

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/dialog_grid.h"
#include "core/undo/undo_labels.h"

namespace ql {
namespace {

struct TooltipRow {
    int32_t command;
    int32_t stringId;
    const char* text;
};

// The fixed texts, ending with command 0.
constexpr TooltipRow kTooltips[] = {
    {100, 1595, "Previous Page"},      {101, 1596, "Next Page"},
    {57600, 1540, "New Score"},        {57601, 1541, "Open Score"},
    {40114, 1543, "Import File"},      {57603, 1544, "Save Score"},
    {57607, 1546, "Print Score"},      {57635, 1550, "Cut"},
    {57634, 1552, "Copy"},             {40216, 1553, "Copy Notes"},
    {57637, 1554, "Paste"},            {57632, 1555, "Clear"},
    {40146, 1556, "Scroll View"},      {40147, 1557, "Page View"},
    {40131, 1558, "Refresh Screen"},   {40145, 1559, "Zoom"},
    {42085, 1561, "Reformat Page"},    {40222, 1562, "Bold"},
    {40223, 1563, "Italic"},           {40224, 1564, "Underline"},
    {40225, 1565, "Choose Font"},      {40226, 1566, "Gray"},
    {40161, 1567, "Set Note-head"},    {40352, 1470, "Flip Stems"},
    {40162, 1568, "Beam Notes"},       {40163, 1569, "Unbeam Notes"},
    {40454, 1534, "Multi-measure Rest"}, {57648, 1570, "Open View"},
    {57680, 1571, "Next View"},        {57652, 1575, "Tile Vertically"},
    {57651, 1577, "Tile Horizontally"}, {42030, 1578, "Previous Page"},
    {42031, 1580, "Next Page"},        {42043, 1467, "First Page"},
    {42044, 1581, "Last Page"},        {42032, 1582, "Left Master Page"},
    {42033, 1583, "Right Master Page"}, {42035, 1645, "Start Playback"},
    {42036, 1584, "Start Recording"},  {42038, 1573, "Pause Playback"},
    {42037, 1650, "Stop Play/Record"}, {0, 0, nullptr},
};
static_assert(std::size(kTooltips) == 42);

// The texts that follow the state.
constexpr TooltipRow kStateTexts[] = {
    {42039, 1511, "Display Voice 1"}, {42040, 1513, "Display Voice 2"},
    {42041, 1512, "Display Voice 3"}, {42042, 1514, "Display Voice 4"},
    {42039, 1703, "Edit Voice 1"},    {42040, 1705, "Edit Voice 2"},
    {42041, 1704, "Edit Voice 3"},    {42042, 1706, "Edit Voice 4"},
    {40405, 1490, "Hide Hidden Items"}, {40405, 1631, "Display Hidden Items"},
    {40149, 1492, "Hide Ruler"},      {40149, 1633, "Display Ruler"},
    {40151, 1491, "Hide Margins"},    {40151, 1632, "Display Margins"},
    {40350, 1654, "Scroll View"},     {40350, 1653, "Page View"},
};

constexpr int32_t kDisplayVoiceText[] = {1511, 1513, 1512, 1514};
constexpr int32_t kEditVoiceText[] = {1703, 1705, 1704, 1706};

void AddToolbarStrings(sys::ResourceBundle& bundle) {
    for (const TooltipRow& row : kTooltips)
        if (row.stringId != 0) bundle.strings.emplace(row.stringId, row.text);
    for (const TooltipRow& row : kStateTexts) bundle.strings.emplace(row.stringId, row.text);
}

// The string of a button whose text follows the state; 0 for the others.
int32_t StateStringId(const ScoreView* view, int32_t command) {
    const bool valid = IsValidView(view);
    switch (command) {
        case 42039: case 42040: case 42041: case 42042: {
            const bool display = valid && view->displayMode != 0;
            return (display ? kDisplayVoiceText : kEditVoiceText)[command - 42039];
        }
        case 40405: return State().notes.DisplayHiddenItems != 0 ? 1490 : 1631;
        case 40149: return Options().RulerOn != 0 ? 1492 : 1633;
        case 40151: return Options().ShowMargins != 0 ? 1491 : 1632;
        case 40350: return valid && view->pageView != 0 ? 1654 : 1653;
        default: return 0;
    }
}

}  // namespace

int32_t TooltipStringId(int32_t command) {
    for (const TooltipRow& row : kTooltips)
        if (row.command == command) return row.stringId;
    return 0;
}

std::string ToolbarTooltip(const ScoreView* view, int32_t command) {
    const ScoreDocument* document = IsValidView(view) ? view->document : nullptr;
    std::string text;
    if (command == 57643)
        text = UndoCommandLabel(document);
    else if (command == 57644)
        text = RedoCommandLabel(document);
    else if (int32_t id = StateStringId(view, command); id != 0)
        text = ProgramString(id);
    else if (int32_t fixed = TooltipStringId(command); fixed != 0)
        text = ProgramString(fixed);
    if (text.size() > kMostTooltipChars) text.resize(kMostTooltipChars);
    return text;
}

intptr_t ToolbarNotify(const ScoreView* view, int32_t /*controlId*/, ToolbarNotifyInfo& info) {
    switch (info.code) {
        case ToolbarNotification::QueryInsert:
        case ToolbarNotification::QueryDelete: return 1;
        case ToolbarNotification::NeedText: info.text = ToolbarTooltip(view, info.command); return 0;
        default: return 0;
    }
}

void RegisterToolbarStrings() {
    dialog_grid::AddToProgramBundle(AddToolbarStrings);
}

}  // namespace ql
