// The score inside a compressed MusicXML file (".mxl", a zip archive), read in
// memory and never extracted: the first rootfile the container names, else the
// first ".xml" or ".musicxml" entry at the root outside META-INF. Bounded: entries
// examined, bytes inflated (whatever the headers claim), no encryption.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ql::musicxml {

inline constexpr int kMaxArchiveEntries = 10000;
inline constexpr size_t kMaxEntryBytes = size_t{64} << 20;

// The score's bytes in `out`; false with a one-line `error`.
bool ReadMxlScore(std::span<const uint8_t> archive, std::vector<uint8_t>& out, std::string& error);

}  // namespace ql::musicxml
