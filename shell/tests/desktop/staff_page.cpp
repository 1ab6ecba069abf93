// The Edit Staff scenarios' fixture (see staff_page.h): staves found as runs of long
// dark rows one line spacing apart, and a staff record read from a saved file at the
// place the file's layout gives the first one.
#include "shell/tests/desktop/staff_page.h"

#include <fstream>
#include <iterator>

#include "files/tests/stream/stream_layout.h"

namespace ql::desktop {
namespace {

constexpr int kLineRun = 30;  // dark columns in a row that make a staff line
constexpr int kIntoStaff = 60;
constexpr int kClickIntoStaff = 160;  // right of the handle, before the first barline's notes
constexpr int kUntitledDialogWidth = 800;  // an untitled dialog is narrower than the frame
constexpr int kSmallestDialog = 20;       // helper windows of the toolkit are a pixel wide

uint8_t U8At(const std::string& bytes, size_t at) { return static_cast<uint8_t>(bytes[at]); }

uint16_t U16At(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(U8At(bytes, at) | U8At(bytes, at + 1) << 8);
}

bool IsUntitledDialog(const ShownWindow& w) {
    return w.title.empty() && !w.overrideRedirect && w.width > kSmallestDialog && w.height > kSmallestDialog &&
           w.width < kUntitledDialogWidth;
}

}  // namespace

bool StaffScenario::OpenScore(std::string_view staves) {
    if (!StartProgram()) return false;
    NewScore(staves);
    x_.Settle(Millis{800});
    if (!RefindPage()) {
        ADD_FAILURE() << "no two staves beside the palettes";
        return false;
    }
    if (!PressStaffToolsButton(x_, kEditStaffButton)) {
        ADD_FAILURE() << "no Staff Tools palette";
        return false;
    }
    before_ = SettledScreen();
    shown_ = LinesShown(before_);
    return true;
}

bool StaffScenario::RefindPage() {
    SettledScreen();
    if (!FindPage() || lines_.size() < 2u * kLinesPerStaff) return false;
    before_ = SettledScreen();
    shown_ = LinesShown(before_);
    return true;
}

std::vector<int> StaffScenario::LinesShown(const ScreenPicture& picture) const {
    return picture.LongDarkLines(left_, lines_[0] - 4, right_, bottom_, 0.6);
}

int StaffScenario::SystemLeft() const {
    const int y = lines_[kLinesPerStaff];
    for (int x = left_; x + kLineRun < right_; ++x) {
        bool run = true;
        for (int k = 0; k < kLineRun && run; ++k) run = IsDark(before_.At(x + k, y));
        if (run) return x;
    }
    return left_;
}

void StaffScenario::HoverStaffHandle(int staff) {
    const int x = SystemLeft();
    x_.MovePointer(x + kIntoStaff, HandleRow(staff));
    x_.Settle(Millis{300});
    x_.MovePointer(x, HandleRow(staff));
    x_.Settle(Millis{500});
}

void StaffScenario::ClickIntoStaff(int staff) {
    const int x = SystemLeft() + kClickIntoStaff;
    x_.MovePointer(SystemLeft() + kIntoStaff, HandleRow(staff));
    x_.Settle(Millis{300});
    x_.MovePointer(x, HandleRow(staff));
    x_.Settle(Millis{300});
    x_.Click(x, HandleRow(staff));
}

size_t StaffScenario::WaitForLineCount(size_t count) const {
    size_t shown = 0;
    WaitFor([&] { return (shown = LinesShown(Screen()).size()) == count; }, kRedrawTimeout);
    return shown;
}

std::optional<ShownWindow> StaffScenario::WaitForUntitledDialog(Millis timeout) const {
    std::optional<ShownWindow> dialog;
    WaitFor(
        [&] {
            for (const ShownWindow& w : x_.Windows())
                if (IsUntitledDialog(w))
                    dialog = w;
            return dialog.has_value();
        },
        timeout);
    return dialog;
}

bool StaffScenario::WaitUntilUntitledDialogGone() const {
    return WaitFor([&] {
        for (const ShownWindow& w : x_.Windows())
            if (IsUntitledDialog(w)) return false;
        return true;
    });
}

bool StaffScenario::InDialog(std::string_view title, int tabs, std::string_view last) {
    const std::optional<ShownWindow> dialog = x_.WaitForWindow(title);
    if (!dialog) return false;
    x_.PointAt(*dialog);
    for (int i = 0; i < tabs; ++i) x_.PressKey("Tab");
    x_.PressKey(last);
    x_.Settle(Millis{300});
    return true;
}

std::optional<SavedStaff> StaffScenario::ReadFirstSavedStaff(const std::filesystem::path& path, int staves) {
    using namespace testing_files;
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < kPortCountAt + 2) return std::nullopt;
    const size_t at = FirstLabelLengthAt(static_cast<size_t>(staves), U16At(bytes, kPortCountAt)) - kStaffRecordBytes;
    if (bytes.size() < at + kStaffRecordBytes) return std::nullopt;
    SavedStaff staff;
    staff.transpositionWord = U16At(bytes, at + kStaffTranspositionAt);
    staff.semitones = static_cast<int8_t>(U8At(bytes, at + kStaffSemitonesAt));
    staff.port = U8At(bytes, at + kStaffPortAt);
    staff.channel = U8At(bytes, at + kStaffChannelAt);
    staff.patch = U8At(bytes, at + kStaffPatchAt);
    return staff;
}

}  // namespace ql::desktop
