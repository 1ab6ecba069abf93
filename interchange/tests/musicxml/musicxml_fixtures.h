// The MusicXML test fixtures: files of the repository and ".mxl" archives made
// from them in memory-sized scratch files.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ql::musicxml::testing {

std::vector<uint8_t> FixtureBytes(const std::string& name);
// A zip archive of the entries (name, bytes), stored or deflated.
std::vector<uint8_t> ZipOf(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries,
                           bool encrypted = false);
std::vector<uint8_t> BytesOf(const std::string& text);
std::string TextOf(const std::vector<uint8_t>& bytes);
// A container naming `rootfile` as the score.
std::vector<uint8_t> ContainerFor(const std::string& rootfile);
// One line per chunk of the NIFF bytes from the first `from` chunk on (its id and
// fixed part in hex, little-endian as the reader gives them), with its tags
// indented above it; the first `from` chunk's own data line is left out.
std::string ChunkDump(const std::vector<uint8_t>& niff, const std::string& from = "sthd");

}  // namespace ql::musicxml::testing
