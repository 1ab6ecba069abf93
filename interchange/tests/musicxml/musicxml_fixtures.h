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
// A container naming `rootfile` as the score.
std::vector<uint8_t> ContainerFor(const std::string& rootfile);

}  // namespace ql::musicxml::testing
