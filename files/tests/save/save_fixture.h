// Fixture of the save tests: the files test set-up with a private folder for the
// saved files, a document path inside it, file helpers, and the file faults reset
// after every test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/tests/files_fixture.h"

namespace ql::testing_files {

class SaveTest : public FilesTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One staff of `measures` measures with two beamed notes in measure 1.
    void BuildSmallScore(int staves = 1, int measures = 1);
    // A path in the test's folder.
    std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }
    // The bytes of a file (empty when it does not exist).
    static std::vector<uint8_t> Bytes(const std::string& path);
    static bool Exists(const std::string& path);
    // Opens a saved file and walks it with the verifier: 0 when it verifies.
    int VerifyFile(const std::string& path);
    // The message boxes shown so far.
    size_t Boxes() const;
    std::string LastBox() const;

    std::string folder_;
};

}  // namespace ql::testing_files
