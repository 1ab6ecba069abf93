// The scenarios' shared steps (see desktop_fixture.h).
#include "shell/tests/desktop/desktop_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <zlib.h>

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr Millis kFileSettle{300};
// The frame is larger than any box it shows; the splash larger than the helper windows.
constexpr int kFrameMinimumWidth = 600;
constexpr int kSplashMinimumSize = 100;

}  // namespace

void DesktopScenario::SetUp() {
    if (!x_.IsOpen()) GTEST_SKIP() << "no X display";
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    home_ = std::make_unique<PrivateHome>(info->name());
}

void DesktopScenario::TearDown() {
    if (!HasFailure() || !home_) return;
    // GTK's warnings about the display are noise here.
    std::ifstream log(home_->ProgramLog());
    std::string line, shown;
    while (std::getline(log, line))
        if (!line.empty() && line.find("Gtk-CRITICAL") == std::string::npos && line.find("dconf") == std::string::npos)
            shown += line + "\n";
    if (!shown.empty()) std::fprintf(stderr, "--- the program's output:\n%s", shown.c_str());
}

std::optional<int> DesktopScenario::QuitWithoutSaving() {
    ChooseMenuItem('f', 'x');
    // A question for each changed score, or none: the program may end at once.
    for (int asked = 0; asked < 16; ++asked) {
        std::optional<ShownWindow> box;
        WaitFor([&] { return (box = FindMessageBox()).has_value() || !program_->IsRunning(); });
        if (!box) break;
        x_.PointAt(*box);
        x_.PressKey("alt+n");
        x_.Settle();
    }
    return program_->WaitForExit();
}

void DesktopScenario::WriteSettings(std::string_view text) {
    std::filesystem::create_directories(home_->Settings().parent_path());
    std::ofstream(home_->Settings()) << WithFloatingMainPalette(text);
}

std::string WithFloatingMainPalette(std::string_view text) {
    std::string settings(text);
    if (settings.find(kKeepMainKey) != std::string::npos) return settings;
    const std::string section = "[ToolbarSettings]\n";
    const std::string line = std::string(kKeepMainKey) + "=0\n";
    const size_t at = settings.find(section);
    if (at == std::string::npos) {
        if (!settings.empty() && settings.back() != '\n') settings += '\n';
        return settings + section + line;
    }
    return settings.insert(at + section.size(), line);
}

std::filesystem::path TestOutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(QL_PROGRAM_DIR).parent_path() / "test-output";
    std::filesystem::create_directories(folder);
    return folder;
}

std::optional<ShownWindow> DesktopScenario::StartProgram(const std::vector<std::string>& arguments) {
    std::error_code error;
    if (!fs::exists(home_->Settings(), error)) WriteSettings({});
    program_ = Launch(arguments);
    return WaitForFrame();
}

std::unique_ptr<ProgramProcess> DesktopScenario::Launch(const std::vector<std::string>& arguments) const {
    return std::make_unique<ProgramProcess>(*home_, display_.Name(), arguments, environment_);
}

std::optional<ShownWindow> DesktopScenario::FindFrame() const {
    for (const ShownWindow& window : x_.Windows())
        if (window.title.starts_with(kFrameTitle) && window.width >= kFrameMinimumWidth) return window;
    return std::nullopt;
}

std::optional<ShownWindow> DesktopScenario::WaitForFrame() {
    std::optional<ShownWindow> frame;
    const bool shown = WaitFor([&] {
        if ((frame = FindFrame())) return true;
        // The splash (an untitled window of its own) closes on a key, unless a box
        // shown at start-up (a file's notice) has the keyboard: the key would close it.
        if (FindMessageBox()) return false;
        for (const ShownWindow& window : x_.Windows())
            if (window.title.empty() && !window.overrideRedirect && window.width >= kSplashMinimumSize &&
                window.height >= kSplashMinimumSize) {
                x_.PointAt(window);
                x_.PressKey("Escape");
                break;
            }
        return false;
    });
    EXPECT_TRUE(shown) << "the frame did not appear";
    if (frame) x_.PointAt(*frame);
    return frame;
}

ShownWindow DesktopScenario::Frame() const {
    return FindFrame().value_or(ShownWindow{});
}

int DesktopScenario::BarsBottom() const {
    // The bar spans the frame's width behind its bands: down a column where no band
    // stands, its colour runs from below the menu row to the bar's last row. A
    // floating palette may stand over a column, so three are read and the lowest end
    // taken.
    constexpr int kRightInset = 10;
    const ShownWindow frame = Frame();
    const int height = std::min(frame.height, x_.ScreenHeight() - frame.y);
    if (frame.width <= kRightInset || height <= 0) return frame.y;
    int bottom = frame.y;
    for (int x : {frame.width / 2, frame.width * 3 / 4, frame.width - kRightInset}) {
        const ScreenPicture column = x_.Grab(frame.x + x, frame.y, 1, height);
        const auto bar = [&](int y) { return (column.At(0, y) & 0xFFFFFF) == kBarColour; };
        int y = 0;
        while (y < column.height && !bar(y)) ++y;
        if (y == column.height) continue;
        while (y < column.height && bar(y)) ++y;
        bottom = std::max(bottom, frame.y + y);
    }
    return bottom;
}

std::optional<ShownWindow> DesktopScenario::FindMessageBox() const {
    for (const ShownWindow& window : x_.Windows())
        if (window.title == kFrameTitle && window.width < kFrameMinimumWidth) return window;
    return std::nullopt;
}

std::optional<ShownWindow> DesktopScenario::WaitForMessageBox(Millis timeout) const {
    std::optional<ShownWindow> box;
    WaitFor([&] { return (box = FindMessageBox()).has_value(); }, timeout);
    return box;
}

bool DesktopScenario::NoMessageBoxComes() const {
    return !WaitForMessageBox(Millis{2000});
}

void DesktopScenario::PressInFrame(std::string_view stroke) {
    x_.PointAt(Frame());
    x_.PressKey(stroke);
}

bool DesktopScenario::OpenFrameMenu(char menuMnemonic, Pointer pointer) {
    constexpr int kStrokes = 3;
    constexpr Millis kWaitPerStroke{8000};
    const auto shown = [&] { return !x_.Popups().empty(); };
    for (int stroke = 0; stroke < kStrokes; ++stroke) {
        if (pointer == Pointer::kToFrame) x_.PointAt(Frame());
        x_.PressKey(std::string("alt+") + menuMnemonic);
        if (WaitFor(shown, kWaitPerStroke)) return true;
    }
    return false;
}

void DesktopScenario::ChooseMenuItem(char menuMnemonic, char itemMnemonic) {
    EXPECT_TRUE(OpenFrameMenu(menuMnemonic)) << "the menu did not open";
    x_.PressKey(std::string(1, itemMnemonic));
}

std::optional<ShownWindow> DesktopScenario::OpenMenuPath(std::string_view mnemonics) {
    if (mnemonics.empty() || !OpenFrameMenu(mnemonics.front())) return std::nullopt;
    std::vector<ShownWindow> popups;
    for (size_t depth = 1; depth < mnemonics.size(); ++depth) {
        x_.PressKey(std::string(1, mnemonics[depth]));
        if (!WaitFor([&] { return (popups = x_.Popups()).size() > depth; })) return std::nullopt;
    }
    x_.Settle();
    popups = x_.Popups();
    if (popups.empty()) return std::nullopt;
    return *std::max_element(popups.begin(), popups.end(),
                             [](const ShownWindow& a, const ShownWindow& b) { return a.x < b.x; });
}

ScreenPicture DesktopScenario::MenuPathPicture(std::string_view mnemonics) {
    const std::optional<ShownWindow> popup = OpenMenuPath(mnemonics);
    ScreenPicture picture = popup ? x_.Grab(*popup) : ScreenPicture{};
    CloseMenus();
    return picture;
}

void DesktopScenario::ChooseMenuPath(std::string_view mnemonics) {
    const bool opened = !mnemonics.empty() && OpenMenuPath(mnemonics.substr(0, mnemonics.size() - 1)).has_value();
    EXPECT_TRUE(opened) << "the menus before the item of " << mnemonics << " did not open";
    if (!opened) {
        CloseMenus();
        return;
    }
    x_.PressKey(std::string(1, mnemonics.back()));
    EXPECT_TRUE(WaitFor([&] { return x_.Popups().empty(); })) << "choosing " << mnemonics << " left a menu open";
    x_.Settle();
}

void DesktopScenario::CloseMenus() {
    constexpr int kDeepestMenus = 4;
    for (int i = 0; i < kDeepestMenus; ++i) {
        const size_t open = x_.Popups().size();
        if (open == 0) return;
        x_.PressKey("Escape");
        WaitFor([&] { return x_.Popups().size() < open; }, Millis{1000});
    }
}

bool DesktopScenario::AnswerFileChooser(std::string_view title, const fs::path& path) {
    std::optional<ShownWindow> chooser = x_.WaitForWindow(title);
    if (!chooser) return false;
    x_.PointAt(*chooser);
    x_.PressKey("ctrl+l");
    x_.PressKey("ctrl+a");
    x_.TypeText(path.string());
    x_.Settle(Millis{500});  // the location's completion, which can take the first Return
    x_.PressKey("Return");
    if (x_.WaitUntilGone(title, Millis{3000})) return true;
    if (x_.FindWindow(title)) x_.PressKey("Return");
    return x_.WaitUntilGone(title);
}

void DesktopScenario::ChooseFileToOpen(std::string_view title, const fs::path& path, std::string_view next) {
    std::optional<ShownWindow> chooser = x_.WaitForWindow(title);
    ASSERT_TRUE(chooser) << "no chooser titled " << title;
    x_.PointAt(*chooser);
    x_.PressKey("ctrl+l");
    x_.PressKey("ctrl+a");
    x_.TypeText(path.string());
    x_.Settle(Millis{500});  // the location's completion, taken by the first Return
    x_.PressKey("Return");
    // The chooser goes before the program reads the file; Return again only when it
    // stays, and never when the file's window or a message box already stands (the
    // stroke would answer the box).
    if (x_.WaitUntilGone(title, Millis{3000})) return;
    if (x_.FindWindow(title) && !x_.FindWindow(next) && !FindMessageBox()) x_.PressKey("Return");
}

void DesktopScenario::NewScore(std::string_view staves) {
    PressInFrame("ctrl+n");
    std::optional<ShownWindow> dialog = x_.WaitForWindow("New Manuscript");
    ASSERT_TRUE(dialog) << "File > New showed no dialog";
    x_.PointAt(*dialog);
    // The first field (staves per system) has the focus with its text selected.
    if (!staves.empty()) x_.TypeText(staves);
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitForWindow("[untitled_NEW]")) << "no new score";
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool DesktopScenario::SaveScoreAs(const fs::path& path) {
    ChooseMenuItem('f', 'a');
    return AnswerFileChooser("Save As", path) && WaitForFile(path);
}

void DesktopScenario::CloseScore() {
    ChooseMenuItem('f', 'c');
    WaitFor([&] { return Frame().title == kFrameTitle; });
}

void DesktopScenario::InsertPage() {
    ChooseMenuItem('v', 'i');
    std::optional<ShownWindow> dialog = x_.WaitForWindow("Insert Pages");
    ASSERT_TRUE(dialog) << "View > Insert Page showed no dialog";
    x_.PointAt(*dialog);
    x_.PressKey("Return");
    EXPECT_TRUE(x_.WaitUntilGone("Insert Pages"));
}

void DesktopScenario::MakeScoreFile(const fs::path& path, std::string_view staves) {
    NewScore(staves);
    ASSERT_TRUE(SaveScoreAs(path));
    CloseScore();
}

std::optional<int> DesktopScenario::Quit() {
    ChooseMenuItem('f', 'x');
    return program_->WaitForExit();
}

bool DesktopScenario::WaitForFile(const fs::path& path, Millis timeout) {
    std::error_code error;
    if (!WaitFor([&] { return fs::exists(path, error); }, timeout)) return false;
    uintmax_t size = 0;
    return WaitFor(
        [&] {
            const uintmax_t now = fs::file_size(path, error);
            const bool same = !error && now == size && now > 0;
            size = now;
            if (!same) std::this_thread::sleep_for(kFileSettle);
            return same;
        },
        timeout);
}

int InkedColumnsBetweenLines(const ScreenPicture& picture, const std::vector<int>& lines) {
    const int top = lines.front();
    const int bottom = lines.back();
    int left = picture.width / 4;
    while (left > 0 && picture.DarkPixels(left - 1, top, left, top + 1) != 0) --left;
    int right = picture.width / 4;
    while (right < picture.width && picture.DarkPixels(right, top, right + 1, top + 1) != 0) ++right;
    int columns = 0;
    for (int x = left + (right - left) / 4; x < right - 2; ++x) {
        int64_t ink = 0;
        for (int y = top + 2; y < bottom - 1; ++y) {
            const bool onLine = std::find(lines.begin(), lines.end(), y) != lines.end() ||
                                std::find(lines.begin(), lines.end(), y - 1) != lines.end();
            if (!onLine) ink += picture.DarkPixels(x, y, x + 1, y + 1);
        }
        columns += ink > 0 ? 1 : 0;
    }
    return columns;
}

std::vector<std::vector<int>> StavesOfFirstSystem(const ScreenPicture& picture, int left, int right) {
    constexpr double kStaffLineShare = 0.4;
    constexpr size_t kMinimumStaffLines = 3;  // a staff partly hidden by other ink still counts
    constexpr double kGapFactor = 1.5;
    const std::vector<int> lines = picture.LongDarkLines(left, 0, right, picture.height, kStaffLineShare);
    if (lines.size() < 2) return {};
    int spacing = lines[1] - lines[0];
    for (size_t i = 1; i < lines.size(); ++i) spacing = std::min(spacing, lines[i] - lines[i - 1]);
    // Staves: runs of lines one spacing apart.
    std::vector<std::vector<int>> staves;
    std::vector<int> staff{lines[0]};
    for (size_t i = 1; i <= lines.size(); ++i) {
        if (i < lines.size() && lines[i] - lines[i - 1] <= spacing * kGapFactor) {
            staff.push_back(lines[i]);
            continue;
        }
        if (staff.size() >= kMinimumStaffLines) staves.push_back(staff);
        if (i < lines.size()) staff = {lines[i]};
    }
    if (staves.size() < 2) return staves;
    auto gapAfter = [&](size_t s) { return staves[s + 1].front() - staves[s].back(); };
    int staffGap = gapAfter(0);
    for (size_t s = 1; s + 1 < staves.size(); ++s) staffGap = std::min(staffGap, gapAfter(s));
    size_t inSystem = 1;
    while (inSystem < staves.size() && gapAfter(inSystem - 1) <= staffGap * kGapFactor) ++inSystem;
    staves.resize(inSystem);
    return staves;
}

int StaffSpace(const ScreenPicture& picture) {
    const std::vector<std::vector<int>> staves = StavesOfFirstSystem(picture, 0, picture.width);
    return staves.empty() || staves[0].size() < 2 ? 0 : staves[0][1] - staves[0][0];
}

int64_t DifferentPixels(const ScreenPicture& a, const ScreenPicture& b) {
    if (a.width != b.width || a.height != b.height) return static_cast<int64_t>(a.pixels.size());
    int64_t different = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) different += a.pixels[i] != b.pixels[i] ? 1 : 0;
    return different;
}

ScreenPicture SettledPicture(const XSession& x, const std::function<ScreenPicture()>& grab, Millis timeout) {
    ScreenPicture last = grab();
    WaitFor([&] {
        x.Settle();
        ScreenPicture now = grab();
        const bool same = DifferentPixels(now, last) == 0;
        last = std::move(now);
        return same;
    }, timeout);
    return last;
}

void WritePicture(const ScreenPicture& picture, const fs::path& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << ' ' << picture.height << "\n255\n";
    for (uint32_t p : picture.pixels) {
        const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
        out.write(rgb, 3);
    }
}

namespace {

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::ofstream& out, const char* kind, const std::string& data) {
    std::string chunk;
    PutBigEndian(chunk, static_cast<uint32_t>(data.size()));
    chunk.append(kind, 4);
    chunk += data;
    const auto* body = reinterpret_cast<const Bytef*>(chunk.data() + 4);
    PutBigEndian(chunk, static_cast<uint32_t>(crc32(0, body, static_cast<uInt>(data.size() + 4))));
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}

}  // namespace

bool WritePng(const ScreenPicture& picture, const fs::path& path) {
    std::string rows;
    for (int y = 0; y < picture.height; ++y) {
        rows.push_back(0);  // no filter
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.At(x, y);
            for (int shift : {16, 8, 0}) rows.push_back(static_cast<char>((p >> shift) & 0xFF));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedSize, '\0');
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                 reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size())) != Z_OK)
        return false;
    packed.resize(packedSize);
    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(picture.width));
    PutBigEndian(header, static_cast<uint32_t>(picture.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
    std::ofstream out(path, std::ios::binary);
    out.write("\x89PNG\r\n\x1a\n", 8);
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", "");
    return static_cast<bool>(out);
}

int PdfPageCount(const fs::path& pdf) {
    const std::string command = "pdfinfo '" + pdf.string() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return 0;
    char line[512];
    int pages = 0;
    while (fgets(line, sizeof line, pipe) != nullptr)
        if (std::sscanf(line, "Pages: %d", &pages) == 1) break;
    pclose(pipe);
    return pages;
}

}  // namespace ql::desktop

namespace ql::desktop {

int BlankPdfPages(const fs::path& pdf) {
    // Each page in grey at a low resolution, as plain PGM files beside the PDF.
    const fs::path prefix = pdf.parent_path() / "page";
    const std::string command = "pdftoppm -gray -r 20 '" + pdf.string() + "' '" + prefix.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return -1;
    constexpr int kWhite = 250;
    int blank = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(pdf.parent_path())) {
        if (entry.path().extension() != ".pgm") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string magic;
        int width = 0, height = 0, maximum = 0;
        in >> magic >> width >> height >> maximum;
        in.get();
        std::string pixels(static_cast<size_t>(width) * height, '\0');
        in.read(pixels.data(), static_cast<std::streamsize>(pixels.size()));
        bool ink = false;
        for (char p : pixels) ink = ink || static_cast<unsigned char>(p) < kWhite;
        if (!ink) ++blank;
    }
    return blank;
}

}  // namespace ql::desktop
