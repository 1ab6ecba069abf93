// The NIFF files the import scenarios write: one part on one page, whose one system
// holds one staff, with the notes and marks each scenario adds between the head and
// the end; and the bytes written to a file of the scenario's home.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "interchange/niff/niff_writer.h"

namespace ql::desktop {

inline constexpr char kImportTitle[] = "Import Standard MIDI and NIFF files";
inline constexpr int16_t kNiffStaffTop = 400;     // file units from the page's top
inline constexpr int16_t kNiffStaffHeight = 256;  // file units

// The part list, then the page, system and staff headers of the file's one staff.
inline void BeginOneStaffPage(niff::NiffWriter& out, int16_t staffTop = kNiffStaffTop,
                              int16_t staffHeight = kNiffStaffHeight) {
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("part", {0, 0, 0, 1, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.Tag(48, {2720});
    out.Tag(17, {3520});
    out.EndChunk();
    out.BeginChunk("syhd");
    out.Tag(1, {160, staffTop});
    out.Tag(48, {2400});
    out.EndChunk();
    out.BeginChunk("sthd");
    out.Tag(32, {0});
    out.Tag(17, {staffHeight});
    out.EndChunk();
}

// Closes the data list and the form; the file's bytes.
inline std::vector<unsigned char> EndNiffScore(niff::NiffWriter& out) {
    out.EndList();
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    return {bytes.begin(), bytes.end()};
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace ql::desktop
