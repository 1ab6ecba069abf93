// The main bar (see main_rebar.h): reading the layout, inserting the bands,
// showing and hiding them by their settings, the Main palette's band, rebuilding
// and saving.
#include "shell/rebar/main_rebar.h"

#include <array>
#include <cerrno>
#include <string>
#include <vector>

#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/ui/system_error.h"
#include "core/ui/tool_services.h"
#include "editing/page_band.h"
#include "editing/palette_faces.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "platform/gfx/objects.h"
#include "platform/ui/rebar.h"
#include "platform/ui/toolbar.h"
#include "platform/win/window.h"
#include "shell/command/toolbar_tooltips.h"
#include "shell/program/frame.h"
#include "shell/program/frame_layout.h"
#include "shell/rebar/band_layout_keys.h"
#include "shell/rebar/rebar_links.h"
#include "shell/rebar/toolbar_art.h"

namespace ql {
namespace {

constexpr char kNoRebarText[] = "Unable to create Rebar.";
constexpr char kNoToolbarText[] = "Unable to create Toolbar";
constexpr char kMainBandClass[] = "MainPaletteBand";
constexpr int32_t kMainBandCommandBase = 0x7000;

struct MainBar {
    platform::WindowHandle frame;
    platform::WindowHandle rebar;
    uint32_t flags = 0;
    std::array<platform::WindowHandle, kBandCount> toolbars{};
    platform::WindowHandle mainBandTarget;  // takes the Main band's clicks
    platform::BitmapHandle strip;
    platform::BitmapHandle mainStrip;  // the Main palette's faces
    int32_t stripSize = 0;
};

MainBar& Bar() {
    static MainBar bar;
    return bar;
}

size_t TableIndex(int32_t id) {
    const auto table = BandTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].id == id) return i;
    return table.size();
}

int32_t ImageSize() {
    return Options().SmallToolBars ? kSmallToolbarImageSize : kToolbarImageSize;
}

// The strips at the buttons' size, each made once for it (toolbars made before
// keep using it).
void EnsureStrips() {
    MainBar& bar = Bar();
    if (bar.stripSize != ImageSize()) {
        if (bar.strip) gfx::DeleteObject(bar.strip);
        if (bar.mainStrip) gfx::DeleteObject(bar.mainStrip);
        bar.strip = bar.mainStrip = platform::BitmapHandle{};
        bar.stripSize = ImageSize();
    }
    if (!bar.strip) bar.strip = MakeToolbarStrip(bar.stripSize);
    if (!bar.mainStrip) bar.mainStrip = MakePaletteStrip(kMainPalette, bar.stripSize);
}

// A click on a tool of the Main band presses that tool of the Main palette.
intptr_t MainBandProc(platform::WindowHandle w, win::Message m, uint32_t word, intptr_t data) {
    if (m == win::Message::Command) {
        const int32_t index = static_cast<int32_t>(word & 0xFFFF) - kMainBandCommandBase;
        if (ScoreView* view = GetActiveScoreView()) SelectToolButtonByKey(view, kMainPalette, index);
        return 0;
    }
    return win::DefaultWindowProc(w, m, word, data);
}

platform::WindowHandle MainBandTarget() {
    MainBar& bar = Bar();
    if (win::IsWindow(bar.mainBandTarget)) return bar.mainBandTarget;
    if (!win::IsClassRegistered(kMainBandClass)) {
        win::WindowClass cls;
        cls.name = kMainBandClass;
        cls.procedure = MainBandProc;
        win::RegisterWindowClass(cls);
    }
    win::WindowParams params;
    params.className = kMainBandClass;
    params.owner = bar.frame;
    bar.mainBandTarget = win::CreateWindow(params);
    return bar.mainBandTarget;
}

// The band's buttons with their labels in the language now chosen; the Main band's
// are the Main palette's tools, unlabelled.
std::vector<ui::ToolbarButtonSpec> ButtonsOf(const BandRecord& band) {
    std::vector<ui::ToolbarButtonSpec> buttons;
    if (band.id == kMainPaletteBand) {
        for (int i = 0; i < PaletteSpecOf(kMainPalette).buttons; ++i)
            buttons.push_back({kMainBandCommandBase + i, i, "", ui::kToolButtonEnabled});
        return buttons;
    }
    for (const BandButton& button : band.buttons)
        buttons.push_back({button.command, button.image, BandButtonLabel(button), ui::kToolButtonEnabled});
    return buttons;
}

// A band button's tip: the frame's answer for the active view, or the button's
// label for a button the frame has no text for; none while tips are turned off.
std::string BandButtonTooltip(int32_t bandId, int32_t command) {
    if (Options().UseToolTips == 0) return {};
    ToolbarNotifyInfo info{ToolbarNotification::NeedText, command, {}};
    ToolbarNotify(GetActiveScoreView(), bandId, info);
    if (!info.text.empty()) return info.text;
    if (const BandRecord* band = FindBand(bandId))
        for (const BandButton& button : band->buttons)
            if (button.command == command) return BandButtonLabel(button);
    return {};
}

void WriteFirstRunLayout() {
    std::vector<SavedBand> bands;
    for (const BandLayoutEntry& e : FirstRunLayout()) bands.push_back({e.id, e.width, e.style});
    WriteSavedBands(bands);
}

// Saved entries as layout entries, those of unknown ids and repeats dropped.
std::vector<BandLayoutEntry> SavedLayout() {
    std::vector<SavedBand> saved = ReadSavedBands();
    std::vector<BandLayoutEntry> layout;
    if (saved.empty()) {
        const auto fallback = FallbackLayout();
        return {fallback.begin(), fallback.end()};
    }
    for (const SavedBand& s : saved) {
        if (s.id < kFileBand || s.id > kTextBand) continue;
        const int32_t width = s.width < 0 ? 0 : static_cast<int32_t>(std::min<long>(s.width, 1 << 16));
        layout.push_back({static_cast<int32_t>(s.id), width, static_cast<uint32_t>(s.style)});
    }
    return layout;
}

// Inserts the band unless its toolbar exists already: hidden when its saved style
// or its setting says so, and the setting then follows.
void InsertLaidOutBand(const BandLayoutEntry& entry) {
    const BandRecord* band = FindBand(entry.id);
    if (band == nullptr || Bar().toolbars[TableIndex(entry.id)]) return;
    const bool hidden = (entry.style & ui::kBandHidden) != 0 || !IsBandShown(band->id);
    if (!InsertBand(*band, entry.width, entry.style & ~ui::kBandHidden)) return;
    SetBandShown(band->id, !hidden);
    if (hidden) HideBand(band->id);
}

void PlaceBands(const std::vector<BandLayoutEntry>& layout) {
    for (const BandLayoutEntry& entry : layout) InsertLaidOutBand(entry);
    for (const BandRecord& band : BandTable())
        InsertLaidOutBand({band.id, kDefaultBandWidth, kDefaultBandStyle});
}

platform::WindowHandle MakeRebarWindow(platform::WindowHandle frame, uint32_t flags) {
    errno = 0;
    platform::WindowHandle rebar = ui::CreateRebar(frame, kMainRebarId, (flags & kRebarVertical) != 0);
    if (!rebar) {
        ShowSystemError(kNoRebarText, errno);
        return {};
    }
    MainBar& bar = Bar();
    bar.frame = frame;
    bar.rebar = rebar;
    bar.flags = flags;
    return rebar;
}

}  // namespace

platform::WindowHandle CreateMainRebar(platform::WindowHandle frame, uint32_t flags) {
    platform::WindowHandle rebar = MakeRebarWindow(frame, flags);
    if (!rebar) return {};
    if (!HasSavedLayout()) WriteFirstRunLayout();
    PlaceBands(SavedLayout());
    PlaceMainToolPalette();
    ConnectMainRebar();
    return rebar;
}

platform::WindowHandle CreateBandToolbar(const BandRecord& band) {
    MainBar& bar = Bar();
    const size_t index = TableIndex(band.id);
    if (index >= bar.toolbars.size()) return {};
    if (win::IsWindow(bar.toolbars[index])) return bar.toolbars[index];
    // The Pagers band holds the page-button band, which says itself when it cannot
    // be made.
    if (band.id == kPagersBand) {
        if (!CreatePagersToolbar(bar.frame, bar.rebar)) return {};
        bar.toolbars[index] = PageBandWindow();
        return bar.toolbars[index];
    }
    ui::ToolbarParams params;
    params.parent = bar.rebar;
    params.notify = band.id == kMainPaletteBand ? MainBandTarget() : bar.frame;
    params.id = band.id;
    errno = 0;
    // Without the faces (a strip not read) the buttons still work by their labels.
    // The Main band wears the Main palette's faces, the others the toolbar strip's.
    EnsureStrips();
    params.images = {band.id == kMainPaletteBand ? bar.mainStrip : bar.strip, ImageSize()};
    params.showLabels = Options().ToolBarText != 0 && band.id != kMainPaletteBand;
    if (band.id == kMainPaletteBand)
        params.tooltip = [](int32_t command) {
            const char* tip = PaletteButtonTooltip(kMainPalette, command - kMainBandCommandBase);
            return std::string(tip != nullptr && Options().UseToolTips != 0 ? tip : "");
        };
    else
        params.tooltip = [id = band.id](int32_t command) { return BandButtonTooltip(id, command); };
    platform::WindowHandle toolbar = ui::CreateToolbar(params, ButtonsOf(band));
    if (!toolbar) {
        ShowSystemError(kNoToolbarText, errno);
        return {};
    }
    bar.toolbars[index] = toolbar;
    return toolbar;
}

bool InsertBand(const BandRecord& band, int32_t width, uint32_t style) {
    platform::WindowHandle toolbar = CreateBandToolbar(band);
    if (!toolbar) return false;
    return ui::InsertRebarBand(Bar().rebar, ui::RebarBand{band.id, toolbar, width, style});
}

void ShowBand(int32_t id) {
    ui::ShowRebarBand(Bar().rebar, ui::RebarIdToIndex(Bar().rebar, id), true);
}

void HideBand(int32_t id) {
    ui::ShowRebarBand(Bar().rebar, ui::RebarIdToIndex(Bar().rebar, id), false);
}

platform::WindowHandle RebuildRebar(platform::WindowHandle frame, uint32_t flags) {
    MainBar& bar = Bar();
    std::vector<BandLayoutEntry> kept;
    for (int32_t i = 0; i < ui::RebarBandCount(bar.rebar); ++i)
        if (const auto band = ui::GetRebarBand(bar.rebar, i)) kept.push_back({band->id, band->width, band->style});
    DestroyMainRebar();
    if (!MakeRebarWindow(frame, flags)) {
        // Without a bar the page buttons float.
        CreatePagersToolbar(frame);
        return {};
    }
    PlaceBands(kept);
    PlaceMainToolPalette();
    ConnectMainRebar();
    return bar.rebar;
}

platform::WindowHandle RebuildMainRebar() {
    return RebuildRebar(Bar().frame, Bar().flags);
}

void PlaceMainToolPalette() {
    const bool kept = MainPaletteKeptInBand();
    SetMainPaletteInBand(kept);
    if (kept)
        ShowBand(kMainPaletteBand);
    else
        HideBand(kMainPaletteBand);
}

void SwapMainPaletteBand() {
    StoreMainPaletteKeptInBand(!MainPaletteKeptInBand());
    if (win::IsWindow(Bar().rebar)) PlaceMainToolPalette();
}

void DockMainRebar(uint32_t dropCode) {
    if (dropCode == ui::kRebarDroppedAbove)
        Frame().dock = DockSide::Top;
    else if (dropCode == ui::kRebarDroppedBelow)
        Frame().dock = DockSide::Bottom;
    else
        return;
    LayoutFrameClient();
}

void SaveRebarLayout() {
    MainBar& bar = Bar();
    if (!win::IsWindow(bar.rebar)) return;
    StoreMainPaletteKeptInBand(MainPaletteKeptInBand());
    std::vector<SavedBand> bands;
    for (int32_t i = 0; i < ui::RebarBandCount(bar.rebar); ++i)
        if (const auto band = ui::GetRebarBand(bar.rebar, i)) bands.push_back({band->id, band->width, band->style});
    WriteSavedBands(bands);
}

void SetToolbarButtonState(int32_t command, uint8_t state) {
    for (platform::WindowHandle toolbar : Bar().toolbars)
        if (toolbar) ui::SetToolbarButtonBits(toolbar, command, state);
}

platform::WindowHandle MainRebarWindow() {
    return win::IsWindow(Bar().rebar) ? Bar().rebar : platform::WindowHandle{};
}

platform::WindowHandle BandToolbar(int32_t id) {
    const size_t index = TableIndex(id);
    if (index >= Bar().toolbars.size()) return {};
    return win::IsWindow(Bar().toolbars[index]) ? Bar().toolbars[index] : platform::WindowHandle{};
}

int32_t MainRebarThickness() {
    return MainRebarWindow() ? ui::RebarHeight(Bar().rebar) : 0;
}

void DestroyMainRebar() {
    DisconnectMainRebar();
    MainBar& bar = Bar();
    if (win::IsWindow(bar.rebar)) win::DestroyWindow(bar.rebar);
    if (win::IsWindow(bar.mainBandTarget)) win::DestroyWindow(bar.mainBandTarget);
    if (bar.strip) gfx::DeleteObject(bar.strip);
    if (bar.mainStrip) gfx::DeleteObject(bar.mainStrip);
    bar = MainBar{};
}

}  // namespace ql
