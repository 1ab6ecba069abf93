// Test helper: a 16-bit PCM WAV file read back as the synthesizer's renderer
// writes it (chunks found by their tags, not by offsets), the left channel as
// floats; and the loudness of a stretch of it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ql::testing {

struct WavSamples {
    bool ok = false;  // a RIFF WAVE file of 16-bit PCM with a data chunk
    uint32_t rate = 0;
    uint16_t channels = 0;
    uint32_t declaredDataBytes = 0;  // what the data chunk's header says
    std::vector<float> left;

    double Seconds() const { return rate == 0 ? 0.0 : static_cast<double>(left.size()) / rate; }
    // The largest |sample| between the two times (seconds), 0 outside the file.
    float PeakBetween(double from, double to) const {
        const auto first = static_cast<size_t>(std::max(0.0, from) * rate);
        const auto last = std::min(left.size(), static_cast<size_t>(std::max(0.0, to) * rate));
        float peak = 0;
        for (size_t i = first; i < last; ++i) peak = std::max(peak, std::fabs(left[i]));
        return peak;
    }
};

inline uint32_t LittleEndianAt(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

inline WavSamples ReadWav(const std::filesystem::path& path) {
    constexpr size_t kRiffHeader = 12;
    constexpr size_t kChunkHeader = 8;
    constexpr uint16_t kPcm = 1;
    constexpr uint16_t kBits = 16;
    constexpr float kFullScale = 32768.0f;
    WavSamples wav;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < kRiffHeader || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return wav;
    bool format = false;
    for (size_t at = kRiffHeader; at + kChunkHeader <= bytes.size();) {
        const std::string tag = bytes.substr(at, 4);
        const uint32_t size = LittleEndianAt(bytes, at + 4, 4);
        const size_t body = at + kChunkHeader;
        if (tag == "fmt " && body + 16 <= bytes.size()) {
            format = LittleEndianAt(bytes, body, 2) == kPcm && LittleEndianAt(bytes, body + 14, 2) == kBits;
            wav.channels = static_cast<uint16_t>(LittleEndianAt(bytes, body + 2, 2));
            wav.rate = LittleEndianAt(bytes, body + 4, 4);
        } else if (tag == "data" && format && wav.channels > 0) {
            wav.declaredDataBytes = size;
            const size_t end = std::min(bytes.size(), body + size);
            const size_t frameBytes = 2u * wav.channels;
            for (size_t frame = body; frame + frameBytes <= end; frame += frameBytes)
                wav.left.push_back(static_cast<float>(static_cast<int16_t>(LittleEndianAt(bytes, frame, 2))) / kFullScale);
            wav.ok = true;
            return wav;
        }
        at = body + size + (size & 1);
    }
    return wav;
}

}  // namespace ql::testing
