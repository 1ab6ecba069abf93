// Test helper of the desktop scenarios: a Standard MIDI File the program wrote,
// read byte by byte on its own (not through the program's reader), as the header
// and the note-ons and program changes of each track.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ql::desktop {

using FileBytes = std::vector<unsigned char>;

// What a scenario reads in a file: the header, and each track's note-ons and
// program changes.
struct NoteOn {
    uint32_t tick;
    int key;
    bool operator==(const NoteOn&) const = default;
};
struct ProgramChange {
    uint32_t tick;
    int patch;
    bool operator==(const ProgramChange&) const = default;
};
struct ReadTrackEvents {
    std::vector<NoteOn> noteOns;
    std::vector<ProgramChange> programs;
};
struct ReadFile {
    bool valid = false;
    int format = -1;
    int tracks = 0;
    int division = 0;
    std::vector<std::vector<NoteOn>> noteOns;          // by track
    std::vector<std::vector<ProgramChange>> programs;  // by track
};

inline uint32_t BigEndian(const FileBytes& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[at + static_cast<size_t>(i)];
    return value;
}

// Reads the events of one track chunk; false on anything a valid file cannot hold.
inline bool ReadTrack(const FileBytes& bytes, size_t at, size_t end, ReadTrackEvents& out) {
    uint32_t tick = 0;
    int status = 0;
    auto quantity = [&](uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (at >= end) return false;
            const unsigned char b = bytes[at++];
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        return false;
    };
    while (at < end) {
        uint32_t delta = 0;
        if (!quantity(delta)) return false;
        tick += delta;
        if (at >= end) return false;
        const unsigned char first = bytes[at];
        if (first == 0xFF) {
            if (at + 2 > end) return false;
            const unsigned char type = bytes[at + 1];
            at += 2;
            uint32_t length = 0;
            if (!quantity(length) || at + length > end) return false;
            at += length;
            if (type == 0x2F) return at == end;
            continue;
        }
        if (first == 0xF0 || first == 0xF7) {
            ++at;
            uint32_t length = 0;
            if (!quantity(length) || at + length > end) return false;
            at += length;
            continue;
        }
        if (first >= 0x80) {
            status = first;
            ++at;
        }
        if (status < 0x80 || status >= 0xF0) return false;
        const int kind = status & 0xF0;
        const size_t data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (at + data > end) return false;
        if (kind == 0x90 && bytes[at + 1] != 0) out.noteOns.push_back({tick, bytes[at]});
        if (kind == 0xC0) out.programs.push_back({tick, bytes[at]});
        at += data;
    }
    return false;  // no end-of-track
}

inline ReadFile ReadMidiFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const FileBytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ReadFile file;
    if (bytes.size() < 14 || std::string(bytes.begin(), bytes.begin() + 4) != "MThd" || BigEndian(bytes, 4, 4) != 6)
        return file;
    file.format = static_cast<int>(BigEndian(bytes, 8, 2));
    file.tracks = static_cast<int>(BigEndian(bytes, 10, 2));
    file.division = static_cast<int>(BigEndian(bytes, 12, 2));
    size_t at = 14;
    while (at + 8 <= bytes.size()) {
        if (std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4) != "MTrk")
            return file;
        const size_t end = at + 8 + BigEndian(bytes, at + 4, 4);
        if (end > bytes.size()) return file;
        ReadTrackEvents events;
        const bool read = ReadTrack(bytes, at + 8, end, events);
        file.noteOns.push_back(events.noteOns);
        file.programs.push_back(events.programs);
        if (!read) return file;
        at = end;
    }
    file.valid = at == bytes.size() && static_cast<int>(file.noteOns.size()) == file.tracks;
    return file;
}

}  // namespace ql::desktop
