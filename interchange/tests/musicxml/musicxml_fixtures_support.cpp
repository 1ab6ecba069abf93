// Fixture files and zip archives for the MusicXML tests.
#include "interchange/tests/musicxml/musicxml_fixtures.h"

#include <zip.h>

#include "interchange/niff/niff_reader.h"
#include "interchange/tests/niff/niff_recorder.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace ql::musicxml::testing {

std::vector<uint8_t> FixtureBytes(const std::string& name) {
    std::ifstream file(std::string(QL_SOURCE_DIR) + "/interchange/tests/musicxml/fixtures/" + name, std::ios::binary);
    if (!file) throw std::runtime_error("missing fixture " + name);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string ChunkDump(const std::vector<uint8_t>& niff, const std::string& from) {
    niff::testing::Recorder recorder;
    auto reader = niff::testing::RecordingReader(niff, recorder);
    niff::RunNiffPass(*reader);
    std::string dump;
    bool started = false;
    bool skipped = false;
    for (const niff::testing::Call& call : recorder.calls) {
        if (call.what == "start " + from) started = true;
        if (!started || call.what.rfind("start ", 0) == 0) continue;
        if (call.what == "data " + from && !skipped) {
            skipped = true;
            continue;
        }
        std::string line = call.what.rfind("tag ", 0) == 0 ? "  " + call.what : call.what.substr(5);
        for (uint8_t byte : call.bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", byte);
            line += hex;
        }
        dump += line + "\n";
    }
    return dump;
}

std::vector<uint8_t> BytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::string TextOf(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<uint8_t> ContainerFor(const std::string& rootfile) {
    return BytesOf("<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"" + rootfile +
                   "\"/></rootfiles></container>");
}

std::vector<uint8_t> ZipOf(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries, bool encrypted) {
    const std::string path = std::string(QL_TEST_OUTPUT_DIR) + "/musicxml_" + std::to_string(::getpid()) + ".zip";
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) throw std::runtime_error("cannot make " + path);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (encrypted && index >= 0 &&
            zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "secret") != 0)
            throw std::runtime_error("this libzip cannot encrypt");
    }
    zip_close(archive);
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::remove(path.c_str());
    return bytes;
}

}  // namespace ql::musicxml::testing
