// Reading command-line arguments and shortening paths for display.
#include "shell/program/command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace ql {
namespace {

constexpr std::string_view kDdeSwitch = "/dde";
constexpr std::string_view kOpenPrefix = "[open(";
constexpr std::string_view kNativeExtension = ".ql";
constexpr std::string_view kAcceptedExtensions[] = {".ql", ".mid", ".nif", ".xml", ".mxl"};
constexpr std::string_view kEllipsis = "...";
// What ShortenPath keeps besides the tail: "~/" or "/", "..." and room to spare.
constexpr size_t kShortenedOverhead = 6;

std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

size_t LastComponentStart(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Removes the quotes and cuts at a line feed.
void StripQuotesAndLineFeed(std::string& argument) {
    if (!argument.empty() && argument.front() == '"') {
        argument.erase(0, 1);
        const size_t close = argument.find('"');
        if (close != std::string::npos) argument.resize(close);
    }
    const size_t lineFeed = argument.find('\n');
    if (lineFeed != std::string::npos) argument.resize(lineFeed);
}

bool IsExistingFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kHomeMark = "~";
// The bounds of UTF-8: lead bytes by sequence length, the smallest value each
// length may carry, the surrogates and the last code point.
constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationBits = 0x80;
constexpr char32_t kMinimumOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;

// The length of the sequence a lead byte starts and its value bits; 0 for a byte
// that starts none.
size_t SequenceLength(unsigned char lead, char32_t& value) {
    if (lead < 0x80) return value = lead, 1;
    if ((lead & 0xE0) == 0xC0) return value = lead & 0x1F, 2;
    if ((lead & 0xF0) == 0xE0) return value = lead & 0x0F, 3;
    if ((lead & 0xF8) == 0xF0) return value = lead & 0x07, 4;
    return 0;
}

// The byte length of a valid character at `at`, or 0 when the bytes there are none.
size_t ValidCharacterLength(std::string_view text, size_t at) {
    char32_t value = 0;
    const size_t length = SequenceLength(static_cast<unsigned char>(text[at]), value);
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(text[at + k]);
        if ((byte & kContinuationMask) != kContinuationBits) return 0;
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < kMinimumOfLength[length] || value > kLastCodePoint) return 0;
    if (value >= kFirstSurrogate && value <= kLastSurrogate) return 0;
    return length;
}

// The text cut into characters; a byte that starts no valid character is U+FFFD.
std::vector<std::string> SplitCharacters(std::string_view text) {
    std::vector<std::string> chars;
    for (size_t at = 0; at < text.size();) {
        const size_t length = ValidCharacterLength(text, at);
        chars.emplace_back(length == 0 ? kReplacementCharacter : text.substr(at, length));
        at += length == 0 ? 1 : length;
    }
    return chars;
}

std::string Joined(const std::vector<std::string>& chars, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to; ++i) out += chars[i];
    return out;
}

// The path with the home folder in front replaced by "~".
std::string WithHomeAsTilde(std::string_view path) {
    const char* home = std::getenv("HOME");
    std::string_view prefix = home == nullptr ? std::string_view() : std::string_view(home);
    while (prefix.size() > 1 && prefix.back() == '/') prefix.remove_suffix(1);
    if (prefix.size() <= 1 || !path.starts_with(prefix)) return std::string(path);
    if (path.size() != prefix.size() && path[prefix.size()] != '/') return std::string(path);
    return std::string(kHomeMark) + std::string(path.substr(prefix.size()));
}

}  // namespace

bool HasAcceptedOpenExtension(std::string_view path) {
    const std::string_view name = path.substr(LastComponentStart(path));
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return false;
    const std::string extension = Lowered(name.substr(dot));
    return std::find(std::begin(kAcceptedExtensions), std::end(kAcceptedExtensions), extension) !=
           std::end(kAcceptedExtensions);
}

CommandLineResult ParseCommandLine(std::string& argument) {
    const std::string lowered = Lowered(argument);
    if (lowered.starts_with(kDdeSwitch)) {
        argument.clear();
        return CommandLineResult::DdeSwitch;
    }
    if (lowered.starts_with(kOpenPrefix)) argument.erase(0, kOpenPrefix.size());
    StripQuotesAndLineFeed(argument);
    return ParseOpenPath(argument);
}

CommandLineResult ParseOpenPath(std::string& argument) {
    if (argument.empty()) return CommandLineResult::Nothing;
    if (argument.find('.', LastComponentStart(argument)) == std::string::npos)
        argument += kNativeExtension;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(argument, error);
    if (!error) argument = absolute.lexically_normal().string();
    if (argument.size() > kMaxPathLength) return CommandLineResult::Rejected;
    if (!HasAcceptedOpenExtension(argument)) return CommandLineResult::Rejected;
    return IsExistingFile(argument) ? CommandLineResult::OpenFile : CommandLineResult::NotAFile;
}

std::string ShortenPath(std::string_view path, size_t maximum) {
    std::vector<std::string> chars = SplitCharacters(WithHomeAsTilde(path));
    if (chars.size() <= maximum) return Joined(chars, 0, chars.size());
    const size_t room = maximum > kShortenedOverhead ? maximum - kShortenedOverhead : 0;
    size_t lead = 0;  // "/" or "~/" stays in front of "..."
    if (!chars.empty() && chars[0] == "/") lead = 1;
    if (chars.size() > 1 && chars[0] == "~" && chars[1] == "/") lead = 2;
    std::string out = Joined(chars, 0, lead) + std::string(kEllipsis);
    for (size_t i = lead; i < chars.size(); ++i)
        if (chars[i] == "/" && chars.size() - i <= room) return out + Joined(chars, i, chars.size());
    return out + Joined(chars, chars.size() - room, chars.size());
}

}  // namespace ql
