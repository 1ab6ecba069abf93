// Reading command-line arguments and shortening paths for display.
#include "shell/program/command_line.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace ql {
namespace {

constexpr std::string_view kDdeSwitch = "/dde";
constexpr std::string_view kOpenPrefix = "[open(";
constexpr std::string_view kNativeExtension = ".ql";
constexpr std::string_view kAcceptedExtensions[] = {".ql", ".mid", ".nif", ".xml", ".mxl"};
constexpr std::string_view kEllipsis = "...";
// What ShortenPath keeps besides the tail: a drive, "..." and room to spare.
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
    if (argument.empty()) return CommandLineResult::Nothing;
    if (argument.find('.', LastComponentStart(argument)) == std::string::npos)
        argument += kNativeExtension;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(argument, error);
    if (!error) argument = absolute.lexically_normal().string();
    if (argument.size() > kMaxPathLength) return CommandLineResult::Rejected;
    if (!HasAcceptedOpenExtension(argument)) return CommandLineResult::Rejected;
    return IsExistingFile(argument) ? CommandLineResult::OpenFile : CommandLineResult::Rejected;
}

std::string ShortenPath(std::string_view path, size_t maximum) {
    if (path.size() <= maximum) return std::string(path);
    const size_t room = maximum > kShortenedOverhead ? maximum - kShortenedOverhead : 0;
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                       path[1] == ':' && path[2] == '\\';
    std::string out = drive ? std::string(path.substr(0, 3)) : std::string();
    out += kEllipsis;
    size_t separator = path.find_first_of("/\\", drive ? 3 : 0);
    while (separator != std::string_view::npos && path.size() - separator > room)
        separator = path.find_first_of("/\\", separator + 1);
    if (separator != std::string_view::npos)
        out += path.substr(separator);
    else
        out += path.substr(path.size() - room);
    return out;
}

}  // namespace ql
