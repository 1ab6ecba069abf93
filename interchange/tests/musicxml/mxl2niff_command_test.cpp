// The converter program's command: usage errors exit 2, a file that cannot be
// converted exits 1 with one error line and leaves the output empty, and a
// converted file exits 0 with NIFF written and its skips listed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "interchange/musicxml/mxl2niff_command.h"

namespace ql::musicxml {
namespace {

struct Outcome {
    int status = 0;
    std::string out, err;
};

Outcome Convert(std::vector<const char*> argv) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome run;
    run.status = RunMxl2Niff(static_cast<int>(argv.size()), argv.data(), out, err);
    for (auto [file, text] : {std::pair{out, &run.out}, std::pair{err, &run.err}}) {
        std::rewind(file);
        for (int c; (c = std::fgetc(file)) != EOF;) text->push_back(static_cast<char>(c));
        std::fclose(file);
    }
    return run;
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Mxl2NiffCommand, ExitStatusOutputLinesAndTheWrittenFile) {
    const std::string fixture = std::string(QL_SOURCE_DIR) + "/interchange/tests/musicxml/fixtures/duet_partwise.xml";
    const std::string output = std::string(QL_TEST_OUTPUT_DIR) + "/mxl2niff_test.nif";
    EXPECT_EQ(Convert({"ql-mxl2niff", fixture.c_str()}).status, kConverterUsage);
    EXPECT_EQ(Convert({"ql-mxl2niff", "-o", output.c_str(), fixture.c_str()}).status, kConverterUsage);

    const Outcome ok = Convert({"ql-mxl2niff", "--output", output.c_str(), fixture.c_str()});
    EXPECT_EQ(ok.status, kConverterOk) << ok.err;
    EXPECT_EQ(ok.err, "");
    EXPECT_NE(ok.out.find("progress 0 Reading\n"), std::string::npos);
    EXPECT_NE(ok.out.find("skipped 1 diatonic\n"), std::string::npos) << ok.out;
    const std::string niff = ReadAll(output);
    ASSERT_GE(niff.size(), 12u);
    EXPECT_EQ(niff.substr(0, 4), "RIFX");
    EXPECT_EQ(niff.substr(8, 4), "NIFF");

    const std::string bad = std::string(QL_TEST_OUTPUT_DIR) + "/mxl2niff_bad.xml";
    std::ofstream(bad) << "<score-partwise><oops></score-partwise>";
    const Outcome failed = Convert({"ql-mxl2niff", "--output", output.c_str(), bad.c_str()});
    EXPECT_EQ(failed.status, kConverterFailed);
    EXPECT_NE(failed.err.find("line 1, column"), std::string::npos) << failed.err;
    EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1);
    EXPECT_EQ(ReadAll(output), niff);  // nothing written over the earlier result
    std::filesystem::remove(output);
    std::filesystem::remove(bad);
}

}  // namespace
}  // namespace ql::musicxml
