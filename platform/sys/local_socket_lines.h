// The message form of the open channel ("open lines", version 1): a client sends
// one line per file, `[open("<path>")]` and a line feed, and the server answers each
// line with "ACK" or "NAK" and a line feed, in order. Inside the quotes '%', '"' and
// every byte below 0x20 are written as %XX (two upper-case hex digits), so a path
// holding a quote or a line feed travels intact. Lines are bounded: a line longer
// than kMaxOpenLineBytes (line feed excluded) is refused and ends the connection.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ql::sys {

constexpr size_t kMaxOpenLineBytes = 4096;
constexpr std::string_view kAckLine = "ACK\n";
constexpr std::string_view kNakLine = "NAK\n";

// The line for a path, line feed included.
std::string EncodeOpenLine(std::string_view path);
// The path a line names (without its line feed), or nothing when the framing is
// missing, an escape is invalid or the line is too long.
std::optional<std::string> DecodeOpenLine(std::string_view line);

// Cuts a byte stream into lines. Bytes are fed as they arrive, in any pieces; each
// complete line comes out once, without its line feed. A line that grows past the
// limit makes the stream overlong: its bytes are dropped and nothing more comes out.
class LineAssembler {
  public:
    explicit LineAssembler(size_t maxLine = kMaxOpenLineBytes) : maxLine_(maxLine) {}
    // Adds bytes; complete lines are appended to `lines`.
    void Feed(std::string_view bytes, std::vector<std::string>& lines);
    bool IsOverlong() const { return overlong_; }
    size_t PendingBytes() const { return pending_.size(); }

  private:
    size_t maxLine_;
    std::string pending_;
    bool overlong_ = false;
};

}  // namespace ql::sys
