// The pick list of recent files: moving a file to the top, the capacity, the File
// menu's items with their " (not mounted)" and " (not found)" marks, the clean-up at
// start, the mount-table reader, and damaged keys and mount lines.
#include "shell/recent_files.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "platform/ui/menu.h"
#include "platform/ui/menu_template.h"
#include "shell/program/program_ids.h"
#include "shell/recent_files_mounts.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

using testing::SettingsFixture;

class PickListTest : public SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        // An empty mount table unless a test writes its own.
        SetMountTablePath(scratch / "mountinfo");
        WriteMounts("");
    }
    void TearDown() override {
        SetMountTablePath({});
        SettingsFixture::TearDown();
    }

    void WriteMounts(const std::string& text) { std::ofstream(scratch / "mountinfo") << text; }
    std::string Existing(const std::string& name) {
        std::ofstream(scratch / name) << "x";
        return (scratch / name).string();
    }
    static void Store(int n, const std::string& path) {
        WriteSettingText(kPickListSection, ("PreviousFile" + std::to_string(n)).c_str(), path);
    }
    static std::optional<std::string> Key(int n) {
        return sys::ProgramSettings().ReadText(SubkeyOfSection(kPickListSection),
                                               "PreviousFile" + std::to_string(n));
    }
    // The File menu's items after the pick list was built into it.
    struct Item {
        int32_t command;
        std::string text;
        bool grayed;
    };
    static std::vector<Item> Items(platform::MenuHandle menu) {
        std::vector<Item> items;
        for (int32_t i = 0; i < ui::GetMenuItemCount(menu); ++i) {
            const int32_t command = ui::GetMenuItemCommand(menu, i);
            if (command < cmd::kFirstPickListEntry || command > cmd::kLastPickListEntry) continue;
            items.push_back({command, ui::GetMenuItemText(menu, i),
                             (ui::GetMenuItemFlags(menu, command) & ui::kMenuGrayed) != 0});
        }
        return items;
    }
};

TEST_F(PickListTest, ReopenedFileMovesToTheTopWithoutDuplicate) {
    for (const char* path : {"/s/6.ql", "/s/5.ql", "/s/4.ql", "/s/3.ql", "/s/2.ql", "/s/1.ql"})
        AddToPickList(path);
    EXPECT_EQ(ReadPickList(), (std::vector<std::string>{"/s/1.ql", "/s/2.ql", "/s/3.ql", "/s/4.ql",
                                                        "/s/5.ql", "/s/6.ql"}));
    // Entry 3 to the top, the others in their order.
    AddToPickList("/s/3.ql");
    EXPECT_EQ(ReadPickList(), (std::vector<std::string>{"/s/3.ql", "/s/1.ql", "/s/2.ql", "/s/4.ql",
                                                        "/s/5.ql", "/s/6.ql"}));
    // The file already on top changes nothing; the same path in other case is another file.
    AddToPickList("/s/3.ql");
    EXPECT_EQ(PickListEntry(1), "/s/3.ql");
    AddToPickList("/S/3.QL");
    EXPECT_EQ(ReadPickList().size(), 6u);
    EXPECT_EQ(PickListEntry(2), "/s/3.ql");
    // A sixth entry drops out when a new file comes in: "/s/6.ql" went with "/S/3.QL".
    EXPECT_EQ(PickListEntry(6), "/s/5.ql");
    EXPECT_EQ(PickListEntry(7), std::nullopt);
    // Nothing for an empty path or one longer than a stored path may be.
    AddToPickList("");
    AddToPickList("/" + std::string(kMaxPickListPath, 'x'));
    EXPECT_EQ(PickListEntry(1), "/S/3.QL");
}

TEST_F(PickListTest, LoweredCapacityShowsFewerAndKeepsTheKeys) {
    for (const char* path : {"/s/6.ql", "/s/5.ql", "/s/4.ql", "/s/3.ql", "/s/2.ql", "/s/1.ql"})
        AddToPickList(path);
    Options().PickListEntries = 3;
    const platform::MenuHandle menu = ui::CreatePopupMenu();
    BuildPickListMenuItems(menu, 0);
    const std::vector<Item> items = Items(menu);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2].command, cmd::kFirstPickListEntry + 2);
    // Keys 4 to 6 stay stored; a new file rewrites only the first three.
    AddToPickList("/s/new.ql");
    EXPECT_EQ(Key(1), "/s/new.ql");
    EXPECT_EQ(Key(3), "/s/2.ql");
    EXPECT_EQ(Key(4), "/s/4.ql");
    EXPECT_EQ(Key(6), "/s/6.ql");
    ui::DestroyMenu(menu);
}

TEST_F(PickListTest, MenuItemsSayWhatIsMissingAndWhy) {
    const std::string here = Existing("here.ql");
    std::filesystem::create_directories(scratch / "share");
    WriteMounts(
        "36 35 98:0 / / rw - ext4 /dev/sda1 rw\n"
        "40 36 0:52 / " +
        (scratch / "share").string() + " rw - nfs4 srv:/export rw\n");
    Store(1, here);
    Store(2, (scratch / "share" / "gone.ql").string());
    Store(3, (scratch / "gone.ql").string());
    const platform::MenuHandle menu = ui::CreatePopupMenu();
    ui::AppendMenuItem(menu, cmd::kFileOpen, "&Open...");
    BuildPickListMenuItems(menu, 0);
    // Built twice (the menu opened again): the items are replaced, not added.
    BuildPickListMenuItems(menu, 0);
    std::vector<Item> items = Items(menu);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "1. " + here);
    EXPECT_FALSE(items[0].grayed);
    // On the network share: not mounted, and still offered.
    EXPECT_TRUE(items[1].text.ends_with(" (not mounted)")) << items[1].text;
    EXPECT_FALSE(items[1].grayed);
    // On a local disk: not found, grayed.
    EXPECT_TRUE(items[2].text.ends_with(" (not found)")) << items[2].text;
    EXPECT_TRUE(items[2].grayed);
    EXPECT_EQ(ui::GetMenuItemCommand(menu, 0), cmd::kFileOpen);
    // With 255 documents open no more may open: every entry is grayed.
    BuildPickListMenuItems(menu, kMaxOpenDocuments);
    items = Items(menu);
    for (const Item& item : items) EXPECT_TRUE(item.grayed) << item.text;
    BuildPickListMenuItems(menu, kMaxOpenDocuments - 1);
    EXPECT_FALSE(Items(menu)[0].grayed);
    ui::DestroyMenu(menu);
}

TEST_F(PickListTest, LongPathsAreShortenedInTheLabels) {
    const std::string deep = "/srv/music/scores/bach/inventions/two-part/invention-number-one.ql";
    Store(1, deep);
    const platform::MenuHandle menu = ui::CreatePopupMenu();
    BuildPickListMenuItems(menu, 0);
    const std::vector<Item> items = Items(menu);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "1. /.../two-part/invention-number-one.ql (not found)");
    ui::DestroyMenu(menu);
}

TEST_F(PickListTest, StartDropsLostFilesAndKeepsUnmountedOnes) {
    const std::string here = Existing("here.ql");
    const std::string other = Existing("other.ql");
    std::filesystem::create_directories(scratch / "share");
    WriteMounts("40 36 0:52 / " + (scratch / "share").string() + " rw - cifs //srv/x rw\n");
    const std::string unmounted = (scratch / "share" / "away.ql").string();
    Store(1, (scratch / "lost.ql").string());
    Store(2, here);
    Store(3, unmounted);
    // An empty key in the middle: the clean-up reads all sixteen keys.
    Store(5, other);
    Store(9, (scratch / "lost2.ql").string());
    Options().PickListEntries = 2;
    const std::vector<std::string> kept = CleanPickListAtStart();
    EXPECT_EQ(kept, (std::vector<std::string>{here, unmounted}));
    EXPECT_EQ(Key(1), here);
    EXPECT_EQ(Key(2), unmounted);
    // What is past the capacity is deleted.
    EXPECT_EQ(Key(3), std::nullopt);
    EXPECT_EQ(Key(5), std::nullopt);
    EXPECT_EQ(Key(9), std::nullopt);
}

TEST(MountTableTest, LinesAreReadWithTheirEscapesAndDamageCountsAsNoMount) {
    // A mount point with a blank, escaped; optional fields before the separator.
    const std::optional<MountEntry> entry = ParseMountInfoLine(
        "41 36 0:53 / /media/u/My\\040Disk rw,nosuid shared:7 master:1 - vfat /dev/sdb1 rw");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->mountPoint, "/media/u/My Disk");
    EXPECT_EQ(entry->type, "vfat");
    const char* damaged[] = {
        "",
        "41 36 0:53 / /mnt rw",                      // truncated: no separator, no type
        "41 36 0:53 / /mnt rw - ",                   // a separator with nothing after it
        "41 36 0:53 / /mnt rw shared:7 nfs srv rw",  // no separator
        "41 36 0:53 / /mnt\\400x rw - nfs srv rw",   // an escape past \377
        "41 36 0:53 / /mnt\\09x rw - nfs srv rw",    // not octal
        "41 36 0:53 / /mnt\\04 rw - nfs srv rw",     // cut short
        "41 36 0:53 / mnt rw - nfs srv rw",          // not an absolute mount point
    };
    for (const char* line : damaged) EXPECT_FALSE(ParseMountInfoLine(line).has_value()) << line;
    EXPECT_TRUE(IsNetworkFileSystem("nfs4"));
    EXPECT_TRUE(IsNetworkFileSystem("fuse.sshfs"));
    EXPECT_FALSE(IsNetworkFileSystem("ext4"));
    EXPECT_FALSE(IsNetworkFileSystem("fuse"));
}

TEST(MountTableTest, MissingFilesOnMediaAreNotMounted) {
    const std::vector<MountEntry> none;
    // A volume folder that is absent under a media root.
    EXPECT_EQ(ClassifyMissingFile("/media/nobody-here/USB STICK/a.ql", none),
              MissingFile::NotMounted);
    EXPECT_EQ(ClassifyMissingFile("/run/media/nobody-here/CARD/a.ql", none),
              MissingFile::NotMounted);
    EXPECT_EQ(ClassifyMissingFile("/mnt/no-such-volume/a.ql", none), MissingFile::NotMounted);
    // Anywhere else, on a local disk, it is gone; a relative path is never mounted.
    EXPECT_EQ(ClassifyMissingFile("/no-such-folder/a.ql", none), MissingFile::NotFound);
    EXPECT_EQ(ClassifyMissingFile("a.ql", none), MissingFile::NotFound);
    EXPECT_EQ(ClassifyMissingFile("", none), MissingFile::NotFound);
    EXPECT_EQ(ClassifyMissingFile("/media", none), MissingFile::NotFound);
}

// Random damage in mount lines and pick-list keys: no crash, damaged mount lines
// are no mounts, and every label is valid UTF-8.
TEST_F(PickListTest, RandomDamageInKeysAndMountLines) {
    std::mt19937 random(1104);
    auto randomText = [&](size_t longest) {
        std::string text(random() % longest, '\0');
        for (char& c : text) c = static_cast<char>(random() % 3 == 0 ? '/' : random() % 256);
        return text;
    };
    for (int round = 0; round < 2000; ++round) {
        std::string line = "41 36 0:53 / /m" + randomText(40) + " rw - nfs srv rw";
        if (random() % 2 == 0) line.resize(random() % (line.size() + 1));
        if (const std::optional<MountEntry> entry = ParseMountInfoLine(line)) {
            EXPECT_EQ(entry->mountPoint.front(), '/');
            EXPECT_FALSE(entry->type.empty());
        }
    }
    const platform::MenuHandle menu = ui::CreatePopupMenu();
    for (int round = 0; round < 300; ++round) {
        for (int n = 1; n <= kMaxPickListEntries; ++n)
            Store(n, randomText(random() % 3 == 0 ? 600 : 80));
        WriteMounts(randomText(300) + "\n" + randomText(300));
        BuildPickListMenuItems(menu, 0);
        for (const Item& item : Items(menu))
            EXPECT_TRUE(g_utf8_validate(item.text.c_str(), -1, nullptr)) << round;
        // No entry read is longer than a stored path may be.
        for (const std::string& entry : ReadPickList()) EXPECT_LE(entry.size(), kMaxPickListPath);
        AddToPickList(randomText(300));
        CleanPickListAtStart();
    }
    ui::DestroyMenu(menu);
}

}  // namespace
}  // namespace ql
