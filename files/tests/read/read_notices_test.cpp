// What a load tells in the status bar about a score's ports, the output ports it
// reopens when patches are cached, and how its default
// fonts find their faces in the face-name table the file brings: a port above the
// logical ports becomes 0; a port whose output device is missing keeps its byte and
// is told once for the file with a beep; a default font's face is looked up by name
// in the loaded table, added to it when missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/draw/fonts.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "files/records/face_name_table.h"
#include "files/tests/read/read_fixture.h"
#include "platform/midi/headless.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"
#include "sequencer/sequencer_services.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;

using ByteVec = std::vector<uint8_t>;

constexpr size_t kPortByteAt = 6;  // the first timbre's port in a stored staff record

class ReadNotices : public ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        savedPrefs_ = ProgramPreferences();
        savedOptions_ = Options();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        win::WindowClass frameClass;
        frameClass.name = "MdiFrame";
        frameClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(frameClass);
        win::WindowParams frame;
        frame.className = "MdiFrame";
        frame.style = win::kStyleVisible;
        frame.rect = {0, 0, 800, 300};
        CreateStatusBar(win::CreateWindow(frame));
        LayoutStatusBar(State().dialogs.StatusWindow);
        BuildSmallScore(2, 1);
    }
    void TearDown() override {
        State().dialogs.StatusWindow = {};
        ProgramPreferences() = savedPrefs_;
        Options() = savedOptions_;
        ui::headless::ResetUi();
        ReadTest::TearDown();
    }
    // Where staff 1's first port byte lies in a stream of the fixture's score.
    size_t StaffAt(const ByteVec& bytes) const {
        const size_t ports = tf::GetU16(bytes, tf::kPortCountAt);
        return tf::kPortCountAt + 2 + tf::kPortEntryBytes * ports + tf::kGalleyRecordBytes +
               3 * static_cast<size_t>(doc_->header.staffCount) + kPortByteAt;
    }
    // The stream with the ports of staff 1 and 2 set.
    ByteVec WithPorts(uint8_t first, uint8_t second) {
        ByteVec bytes = Write(doc_, view_);
        bytes.at(StaffAt(bytes)) = first;
        bytes.at(StaffAt(bytes) + tf::kStaffRecordBytes) = second;
        return bytes;
    }
    static int PortOf(const ScoreLoad& load, int staff) {
        ScopedPoolSet pools(load.document->pools);
        return StaffRecordOf(load.document, staff)->timbres[0].port;
    }
    static int Told(const std::string& text) {
        const auto& texts = ui::headless::StatusTexts();
        return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                              [&](const auto& record) { return record.text == text; }));
    }

    PreferenceDefaults savedPrefs_;
    ProgramOptions savedOptions_;
};

// Reading the music tells where it is every 16 measures, as saving does.
TEST_F(ReadNotices, ReadingTheMusicShowsItsProgress) {
    doc_->header.measureCount = 33;
    const ByteVec bytes = Write(doc_, view_);
    ASSERT_FALSE(bytes.empty());
    ui::headless::ResetUi();
    ScoreLoad load = Read(bytes);
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(Told("Staff: 1  Measure 16"), 1);
    EXPECT_EQ(Told("Staff: 2  Measure 32"), 1);
    EXPECT_EQ(Told("Staff: 2  Measure 33"), 0);
    EXPECT_EQ(Told("Staff: 1  Measure 15"), 0);
}

// Two output devices: ports mapped to entry 1 have theirs, those mapped to entry 5
// have none.
TEST_F(ReadNotices, PortOfAMissingDeviceKeepsItsByteAndIsToldOnce) {
    Options().OutputDeviceEntries = 2;
    Options().MidiPortMap[2] = 1;
    Options().MidiPortMap[3] = 5;
    Options().MidiPortMap[4] = 5;
    ScoreLoad load = Read(WithPorts(3, 4));
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(PortOf(load, 1), 3);
    EXPECT_EQ(PortOf(load, 2), 4);
    EXPECT_EQ(Told("PortMap out of range."), 2);
    EXPECT_EQ(Told("File used more ports"), 1);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
    const ByteVec written = Rewrite(load);  // saving keeps the ports as stored
    EXPECT_EQ(written.at(StaffAt(written)), 3);
    EXPECT_EQ(written.at(StaffAt(written) + tf::kStaffRecordBytes), 4);

    ui::headless::ResetUi();
    ScoreLoad present = Read(WithPorts(2, 2));
    ASSERT_EQ(present.code, 0);
    EXPECT_EQ(PortOf(present, 1), 2);
    EXPECT_EQ(Told("PortMap out of range."), 0);
    EXPECT_EQ(Told("File used more ports"), 0);
    EXPECT_TRUE(ui::headless::Beeps().empty());
}

TEST_F(ReadNotices, PortAboveTheLogicalPortsIsToldAndBecomesZero) {
    ScoreLoad load = Read(WithPorts(8, 7));
    ASSERT_EQ(load.code, 0);
    EXPECT_EQ(PortOf(load, 1), 0);
    EXPECT_EQ(PortOf(load, 2), 7);
    EXPECT_EQ(Told("Port out of range."), 1);
    EXPECT_EQ(Told("File used more ports"), 0);
}

// With the cache-patches option on, a load opens the output devices the ports map
// to; with it off, none.
TEST_F(ReadNotices, CachedPatchesReopenTheMappedOutputs) {
    midi::headless::Reset();
    midi::headless::AddDevice("Synth", true, false);
    Options().MidiPortMap[0] = 1;
    const ByteVec stream = Write(doc_, view_);
    Options().CachePatches = 0;
    ASSERT_EQ(Read(stream).code, 0);
    EXPECT_FALSE(IsMidiOutputPortOpen(1));
    Options().CachePatches = 1;
    ASSERT_EQ(Read(stream).code, 0);
    EXPECT_TRUE(IsMidiOutputPortOpen(1));
    CloseMidiOutputPorts();
    midi::headless::Reset();
}

// The lyric font's face: found where the file's table has it, added to a table
// that lacks it, and the fallback face when the table is full.
TEST_F(ReadNotices, DefaultFontsFindTheirFacesInTheLoadedTable) {
    constexpr int kRef = 1;
    constexpr char kFace[] = "Lyric Face";
    ProgramPreferences().fontRefs[kRef].flag = 1;
    std::strcpy(ProgramPreferences().fontRefFaceNames[kRef], kFace);
    doc_->fontRefs[kRef].flag = 1;
    auto faceOf = [&](const ScoreLoad& load) { return static_cast<int>(load.document->fontRefs[kRef].faceIndex); };
    auto nameAt = [](const ScoreLoad& load, int index) { return std::string(load.document->faceNames[index].name); };

    // The table is stored up to its first empty entry.
    const int used = StoredFaceNameCount(doc_->faceNames);
    ASSERT_LT(used + 1, kFaceNameCount);
    std::strcpy(doc_->faceNames[used].name, "Other Face");
    std::strcpy(doc_->faceNames[used + 1].name, kFace);
    ScoreLoad found = Read(Write(doc_, view_));
    ASSERT_EQ(found.code, 0);
    EXPECT_EQ(faceOf(found), used + 1);

    std::memset(&doc_->faceNames[used + 1], 0, sizeof doc_->faceNames[used + 1]);
    ScoreLoad added = Read(Write(doc_, view_));
    ASSERT_EQ(added.code, 0);
    ASSERT_GE(faceOf(added), 0);
    ASSERT_LT(faceOf(added), kFaceNameCount);
    EXPECT_EQ(nameAt(added, faceOf(added)), kFace);

    for (int i = 0; i < kFaceNameCount; ++i)
        if (doc_->faceNames[i].name[0] == '\0') std::snprintf(doc_->faceNames[i].name, kFaceNameChars, "Face %d", i);
    ScoreLoad full = Read(Write(doc_, view_));
    ASSERT_EQ(full.code, 0);
    EXPECT_EQ(faceOf(full), kFallbackFaceIndex);
}

}  // namespace
}  // namespace ql
