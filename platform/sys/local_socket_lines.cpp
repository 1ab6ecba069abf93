// Encoding and decoding the open channel's lines, and cutting a stream into lines.
#include "platform/sys/local_socket_lines.h"

namespace ql::sys {
namespace {

constexpr std::string_view kOpenLead = "[open(\"";
constexpr std::string_view kOpenTail = "\")]";
constexpr char kEscape = '%';
constexpr char kHexDigits[] = "0123456789ABCDEF";
// Bytes below this are control characters and travel escaped.
constexpr unsigned char kFirstPlainByte = 0x20;
constexpr int kHexBase = 16;

bool NeedsEscape(unsigned char byte) {
    return byte < kFirstPlainByte || byte == '%' || byte == '"';
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
}

}  // namespace

std::string EncodeOpenLine(std::string_view path) {
    std::string line(kOpenLead);
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (!NeedsEscape(byte)) {
            line += c;
            continue;
        }
        line += kEscape;
        line += kHexDigits[byte / kHexBase];
        line += kHexDigits[byte % kHexBase];
    }
    line += kOpenTail;
    line += '\n';
    return line;
}

std::optional<std::string> DecodeOpenLine(std::string_view line) {
    if (line.size() > kMaxOpenLineBytes) return std::nullopt;
    if (!line.starts_with(kOpenLead) || !line.ends_with(kOpenTail)) return std::nullopt;
    if (line.size() < kOpenLead.size() + kOpenTail.size()) return std::nullopt;
    const std::string_view body =
        line.substr(kOpenLead.size(), line.size() - kOpenLead.size() - kOpenTail.size());
    std::string path;
    path.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        const auto byte = static_cast<unsigned char>(body[i]);
        // A raw quote or control byte means the sender did not escape it.
        if (byte == '"' || byte < kFirstPlainByte) return std::nullopt;
        if (body[i] != kEscape) {
            path += body[i];
            continue;
        }
        if (i + 2 >= body.size()) return std::nullopt;  // an escape cut short
        const int high = HexValue(body[i + 1]);
        const int low = HexValue(body[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        path += static_cast<char>(high * kHexBase + low);
        i += 2;
    }
    return path;
}

void LineAssembler::Feed(std::string_view bytes, std::vector<std::string>& lines) {
    while (!overlong_ && !bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (pending_.size() + piece.size() > maxLine_) {
            overlong_ = true;
            pending_.clear();
            pending_.shrink_to_fit();
            return;
        }
        pending_.append(piece);
        if (end == std::string_view::npos) return;
        lines.push_back(std::move(pending_));
        pending_.clear();
        bytes.remove_prefix(end + 1);
    }
}

}  // namespace ql::sys
