// Loading a file by its path: each failure shows its one message (none in quiet
// mode) and builds nothing; a damaged file shows the notice after loading and is
// left byte for byte as it was; a score takes its path, a template stays unnamed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>  // mkfifo
#include <sys/time.h>  // utimes
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "files/records/file_codes.h"
#include "files/tests/read/read_fixture.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;
namespace fc = file_code;

using ByteVec = std::vector<uint8_t>;

class LoadMessages : public ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        BuildSmallScore(1, 1);
        stream_ = Write(doc_, view_);
        ASSERT_FALSE(stream_.empty());
    }
    std::string Put(const std::string& name, const ByteVec& bytes) {
        std::string path = PathOf(name);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Loads the file and shows what the load has to tell; the boxes shown.
    std::vector<std::string> BoxesOf(const std::string& path, int* code) {
        const size_t before = ui::headless::MessageBoxes().size();
        ScoreLoad load = LoadScoreFile(path);
        if (load.document != nullptr) {
            loads_.push_back(load);
            ShowLoadNotice(load);
        }
        *code = load.code;
        std::vector<std::string> texts;
        const auto& boxes = ui::headless::MessageBoxes();
        for (size_t i = before; i < boxes.size(); ++i) texts.push_back(boxes[i].text);
        return texts;
    }
    ByteVec stream_;
};

using Texts = std::vector<std::string>;

// Each failure: its code and its one box.
TEST_F(LoadMessages, EachFailureShowsItsMessage) {
    int code = 0;
    EXPECT_EQ(BoxesOf(PathOf("missing.ql"), &code),
              Texts{"Can't read file.\n" + PathOf("missing.ql") + "\nNo such file or directory"});
    EXPECT_EQ(code, fc::kHeader);
    EXPECT_EQ(BoxesOf(Put("short.ql", ByteVec(stream_.begin(), stream_.begin() + 10)), &code),
              Texts{"Can't read file.\n" + PathOf("short.ql") + "\nThe file ends before its header is complete."});
    EXPECT_EQ(code, fc::kHeader);
    ByteVec other = stream_;
    other[0] = 'q';
    EXPECT_EQ(BoxesOf(Put("other.ql", other), &code), Texts{"Not a Quaverlinescribe file."});
    EXPECT_EQ(code, fc::kHeader);
    ByteVec staves = stream_;
    staves[tf::kStaffCountAt] = 65;
    EXPECT_EQ(BoxesOf(Put("staves.ql", staves), &code), Texts{"This file has too many staves."});
    EXPECT_EQ(code, fc::kTooManyStaves);
    ByteVec tag = stream_;
    tag[tf::FindTag(tag, "MUSE")] = 'X';
    EXPECT_EQ(BoxesOf(Put("tag.ql", tag), &code), Texts{"File data is invalid or corrupted."});
    EXPECT_EQ(code, fc::kMusicTagMismatch);
}

// An empty file, a folder and a named pipe each say which file and why.
TEST_F(LoadMessages, CantReadSaysWhichFileAndWhy) {
    int code = 0;
    EXPECT_EQ(BoxesOf(Put("empty.ql", {}), &code),
              Texts{"Can't read file.\n" + PathOf("empty.ql") + "\nThe file is empty."});
    EXPECT_EQ(code, fc::kHeader);
    std::filesystem::create_directory(PathOf("folder.ql"));
    EXPECT_EQ(BoxesOf(PathOf("folder.ql"), &code),
              Texts{"Can't read file.\n" + PathOf("folder.ql") + "\nIs a directory"});
    const std::string pipe = PathOf("pipe.ql");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int writer = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);  // bytes waiting in the pipe
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "QL", 2), 2);
    EXPECT_EQ(BoxesOf(pipe, &code), Texts{"Can't read file.\n" + pipe + "\nNot a regular file"});
    EXPECT_EQ(code, fc::kHeader);
    ::close(writer);
}

// Quiet mode shows nothing and still fails.
TEST_F(LoadMessages, QuietModeShowsNothing) {
    State().files.QuietRead = 1;
    ByteVec tag = stream_;
    tag[tf::FindTag(tag, "STIK")] = 'X';
    int code = 0;
    EXPECT_TRUE(BoxesOf(Put("tag.ql", tag), &code).empty());
    EXPECT_EQ(code, fc::kMeasureTagMismatch);
    State().files.QuietRead = 0;
}

// A score takes its path; a template stays unnamed; neither shows a box.
TEST_F(LoadMessages, ScoresTakeTheirPathTemplatesStayUnnamed) {
    int code = 0;
    const std::string score = Put("score2.ql", stream_);
    EXPECT_TRUE(BoxesOf(score, &code).empty());
    ASSERT_EQ(code, 0);
    EXPECT_EQ(loads_.back().document->path, score);
    EXPECT_TRUE(BoxesOf(Put("base.TPL", stream_), &code).empty());
    ASSERT_EQ(code, 0);
    EXPECT_NE(loads_.back().document->path, PathOf("base.TPL"));
}

// A loaded score's dates are its file's last write, as local calendar fields, for a
// score and a template alike.
TEST_F(LoadMessages, ALoadedScoreIsDatedByItsFilesLastWrite) {
    // 14 March 2001, 15:09:26 UTC: no field of it is 0.
    constexpr time_t kWritten = 984582566;
    struct tm local{};
    ASSERT_NE(localtime_r(&kWritten, &local), nullptr);
    const int32_t expected[7] = {local.tm_sec, local.tm_min, local.tm_hour, local.tm_mday,
                                 local.tm_mon, local.tm_year, local.tm_wday};
    for (const char* name : {"dated.ql", "dated.tpl"}) {
        const std::string path = Put(name, stream_);
        const struct timeval times[2] = {{kWritten, 0}, {kWritten, 0}};
        ASSERT_EQ(::utimes(path.c_str(), times), 0);
        int code = -1;
        BoxesOf(path, &code);
        ASSERT_EQ(code, 0) << name;
        for (int i = 0; i < 7; ++i) EXPECT_EQ(loads_.back().document->created[i], expected[i]) << name << " field " << i;
    }
}

// A damaged file loads, shows the notice once, and is not touched.
TEST_F(LoadMessages, DamagedFileShowsTheNoticeAndStaysAsItWas) {
    ByteVec damaged = stream_;
    const size_t ports = tf::GetU16(stream_, tf::kPortCountAt);
    const size_t label = tf::FirstLabelLengthAt(1, ports);
    tf::PutU16(damaged, label, 0xFFFF);
    const std::string path = Put("damaged.ql", damaged);
    int code = 0;
    EXPECT_EQ(BoxesOf(path, &code), Texts{kDamagedFileNotice});
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(loads_.back().damaged);
    EXPECT_EQ(SaveTest::Bytes(path), damaged);
}

// An internal error reported while the body is read (the event records run out)
// fails the load with a box that names the code; other failures keep their text.
TEST_F(LoadMessages, InternalErrorDuringTheReadNamesItsCode) {
    const std::string path = Put("memory.ql", stream_);
    constexpr int kMostAllocations = 400;
    int code = 0;
    Texts boxes;
    for (int n = 0; n < kMostAllocations && code != fc::kEventMemory; ++n) {
        FailRecordAllocationAfter(n);
        boxes = BoxesOf(path, &code);
        FailNextRecordAllocations(0);
        // Any other failure ends with its own message (a failed allocation may
        // have shown its own box before it).
        if (code != fc::kEventMemory && code != 0) {
            ASSERT_FALSE(boxes.empty());
            const std::string named = "An error occurred while reading file. [" + std::to_string(code) + "]";
            EXPECT_TRUE(boxes.back() == "File data is invalid or corrupted." || boxes.back() == named) << boxes.back();
            EXPECT_EQ(State().files.ScoreFileReading, 0);
        }
    }
    ASSERT_EQ(code, fc::kEventMemory);
    EXPECT_EQ(boxes, Texts{"An error occurred while reading file. [1400]"});
    EXPECT_TRUE(BoxesOf(path, &code).empty());  // the same file reads when memory is there
    EXPECT_EQ(code, 0);
}

// A loaded score's tempo and on/off setting become the program's; a failed load
// leaves both as they were.
TEST_F(LoadMessages, LoadedScoreCarriesItsTempoAndOnOffSetting) {
    constexpr size_t kTempoAt = tf::kHeaderAt + 200;
    constexpr size_t kOnOffAt = tf::kHeaderAt + 214;
    SetTempoSetting(120);
    SetScoreOnOffSetting(false);
    ByteVec carried = stream_;
    tf::PutU16(carried, kTempoAt, 77);
    carried[kOnOffAt] = 1;
    ByteVec broken = carried;
    broken[tf::FindTag(broken, "PAGE")] = 'X';
    int code = 0;
    BoxesOf(Put("broken.ql", broken), &code);
    ASSERT_NE(code, 0);
    EXPECT_EQ(TempoSetting(), 120);  // nothing of a failed load stays
    EXPECT_FALSE(ScoreOnOffSetting());
    BoxesOf(Put("carried.ql", carried), &code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(TempoSetting(), 77);
    EXPECT_TRUE(ScoreOnOffSetting());
}

}  // namespace
}  // namespace ql
