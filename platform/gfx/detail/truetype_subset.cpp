#include "platform/gfx/detail/truetype_subset.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

namespace ql::gfx::detail {

namespace {

constexpr size_t kDirectoryOffset = 12;
constexpr size_t kRecordSize = 16;
constexpr size_t kHeadIndexToLocFormat = 50;
constexpr size_t kHeadCheckSumAdjustment = 8;
constexpr size_t kHeadLength = 54;
constexpr size_t kMaxpNumGlyphs = 4;
constexpr size_t kGlyphHeader = 10;
constexpr uint32_t kCheckSumMagic = 0xB1B0AFBA;
// Component flags of a composite glyph.
constexpr uint16_t kArgsAreWords = 0x0001;
constexpr uint16_t kHasScale = 0x0008;
constexpr uint16_t kMoreComponents = 0x0020;
constexpr uint16_t kHasXYScale = 0x0040;
constexpr uint16_t kHasTwoByTwo = 0x0080;

constexpr std::array<std::string_view, 11> kKeptTables = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head",
                                                         "hhea", "hmtx", "loca", "maxp", "prep"};

uint16_t U16(std::string_view d, size_t at) {
    return static_cast<uint16_t>((static_cast<unsigned char>(d[at]) << 8) | static_cast<unsigned char>(d[at + 1]));
}
uint32_t U32(std::string_view d, size_t at) {
    return (uint32_t{U16(d, at)} << 16) | U16(d, at + 2);
}
void Put16(std::string& d, size_t at, uint32_t v) {
    d[at] = static_cast<char>((v >> 8) & 0xFF);
    d[at + 1] = static_cast<char>(v & 0xFF);
}
void Put32(std::string& d, size_t at, uint32_t v) {
    Put16(d, at, v >> 16);
    Put16(d, at + 2, v & 0xFFFF);
}
void Append16(std::string& d, uint32_t v) {
    d.append(2, '\0');
    Put16(d, d.size() - 2, v);
}
void Append32(std::string& d, uint32_t v) {
    d.append(4, '\0');
    Put32(d, d.size() - 4, v);
}

uint32_t CheckSum(std::string_view data) {
    uint32_t sum = 0;
    for (size_t i = 0; i < data.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < data.size() ? static_cast<unsigned char>(data[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

class Font {
  public:
    explicit Font(std::string_view data) : data_(data) {}

    bool Read() {
        if (data_.size() < kDirectoryOffset) return false;
        const size_t count = U16(data_, 4);
        if (kDirectoryOffset + count * kRecordSize > data_.size()) return false;
        for (size_t i = 0; i < count; ++i) {
            const size_t record = kDirectoryOffset + i * kRecordSize;
            const uint32_t offset = U32(data_, record + 8), length = U32(data_, record + 12);
            if (offset > data_.size() || length > data_.size() - offset) return false;
            tables_[std::string(data_.substr(record, 4))] = data_.substr(offset, length);
        }
        for (const char* required : {"head", "maxp", "loca", "glyf", "hhea", "hmtx"})
            if (!tables_.count(required)) return false;
        const std::string_view head = tables_["head"];
        if (head.size() < kHeadLength || tables_["maxp"].size() < kMaxpNumGlyphs + 2) return false;
        longOffsets_ = U16(head, kHeadIndexToLocFormat) != 0;
        glyphs_ = U16(tables_["maxp"], kMaxpNumGlyphs);
        return tables_["loca"].size() >= (glyphs_ + 1u) * (longOffsets_ ? 4u : 2u);
    }

    size_t glyphs() const { return glyphs_; }

    // The outline of a glyph; empty for a glyph without one or out of the table.
    std::string_view Glyph(size_t gid) const {
        const std::string_view loca = tables_.at("loca"), glyf = tables_.at("glyf");
        const size_t from = longOffsets_ ? U32(loca, gid * 4) : U16(loca, gid * 2) * 2u;
        const size_t to = longOffsets_ ? U32(loca, gid * 4 + 4) : U16(loca, gid * 2 + 2) * 2u;
        if (to <= from || to > glyf.size()) return {};
        return glyf.substr(from, to - from);
    }

    // Marks the components of used composite glyphs used, to any depth.
    void AddComponents(std::vector<bool>* used) const {
        std::vector<size_t> pending;
        for (size_t gid = 0; gid < used->size(); ++gid)
            if ((*used)[gid]) pending.push_back(gid);
        while (!pending.empty()) {
            const std::string_view glyph = Glyph(pending.back());
            pending.pop_back();
            if (glyph.size() < kGlyphHeader || static_cast<int16_t>(U16(glyph, 0)) >= 0) continue;
            size_t at = kGlyphHeader;
            uint16_t flags = kMoreComponents;
            while ((flags & kMoreComponents) && at + 4 <= glyph.size()) {
                flags = U16(glyph, at);
                const size_t component = U16(glyph, at + 2);
                at += 4 + ((flags & kArgsAreWords) ? 4 : 2);
                at += (flags & kHasTwoByTwo) ? 8 : (flags & kHasXYScale) ? 4 : (flags & kHasScale) ? 2 : 0;
                if (component < used->size() && !(*used)[component]) {
                    (*used)[component] = true;
                    pending.push_back(component);
                }
            }
        }
    }

    const std::map<std::string, std::string_view>& tables() const { return tables_; }

  private:
    std::string_view data_;
    std::map<std::string, std::string_view> tables_;  // by tag, in tag order
    bool longOffsets_ = false;
    size_t glyphs_ = 0;
};

}  // namespace

std::optional<std::string> SubsetTrueType(std::string_view data, const std::vector<bool>& usedGlyphs) {
    Font font(data);
    if (!font.Read()) return std::nullopt;
    std::vector<bool> used(font.glyphs(), false);
    for (size_t gid = 0; gid < used.size() && gid < usedGlyphs.size(); ++gid) used[gid] = usedGlyphs[gid];
    if (!used.empty()) used[0] = true;  // .notdef
    font.AddComponents(&used);

    std::map<std::string, std::string> tables;
    std::string& glyf = tables["glyf"];
    std::string& loca = tables["loca"];
    for (size_t gid = 0; gid < used.size(); ++gid) {
        Append32(loca, static_cast<uint32_t>(glyf.size()));
        if (!used[gid]) continue;
        glyf.append(font.Glyph(gid));
        glyf.append((4 - glyf.size() % 4) % 4, '\0');
    }
    Append32(loca, static_cast<uint32_t>(glyf.size()));
    for (std::string_view tag : kKeptTables) {
        auto found = font.tables().find(std::string(tag));
        if (found != font.tables().end() && tag != "glyf" && tag != "loca")
            tables[std::string(tag)] = std::string(found->second);
    }
    std::string& head = tables["head"];
    Put16(head, kHeadIndexToLocFormat, 1);
    Put32(head, kHeadCheckSumAdjustment, 0);

    std::string out;
    const size_t count = tables.size();
    size_t power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    Append32(out, 0x00010000);
    Append16(out, static_cast<uint32_t>(count));
    Append16(out, static_cast<uint32_t>(power * kRecordSize));
    Append16(out, static_cast<uint32_t>(log2));
    Append16(out, static_cast<uint32_t>((count - power) * kRecordSize));
    size_t offset = kDirectoryOffset + count * kRecordSize;
    size_t headOffset = 0;
    for (const auto& [tag, table] : tables) {
        out.append(tag);
        Append32(out, CheckSum(table));
        Append32(out, static_cast<uint32_t>(offset));
        Append32(out, static_cast<uint32_t>(table.size()));
        if (tag == "head") headOffset = offset;
        offset += (table.size() + 3) / 4 * 4;
    }
    for (const auto& [tag, table] : tables) {
        out.append(table);
        out.append((4 - table.size() % 4) % 4, '\0');
    }
    Put32(out, headOffset + kHeadCheckSumAdjustment, kCheckSumMagic - CheckSum(out));
    return out;
}

}  // namespace ql::gfx::detail
