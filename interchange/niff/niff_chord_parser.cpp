// The chord-symbol parser with its replacement and quality tables, transcribed
// once: rows in quality order, each spelling listed under exactly one row.
#include "interchange/niff/niff_chord_parser.h"

#include <array>
#include <cctype>
#include <string>

namespace ql::niff {
namespace {

constexpr std::string_view kLetters = "CDEFGAB";
constexpr size_t kMaxText = 63;
constexpr int kMaxReplacements = 8;

struct Replacement {
    std::string_view from;
    std::string_view to;
};

// Searched in this order; each round replaces the first that occurs.
constexpr std::array<Replacement, 21> kReplacements{{
    {"@", "-"},     {"#", "+"},     {"MAJOR", "M"}, {"MAJ", "M"},   {"MA", "M"},
    {"&", "M"},     {"MINOR", "!"}, {"MIN", "!"},   {"MI", "!"},    {"DIM", "*"},
    {"DOM", ""},    {"AUG", "+"},   {"SUS4", "4"},  {"SUS", "4"},   {"(4)", "4"},
    {"ADD9", "2"},  {"ADD2", "2"},  {"(9)", "2"},   {"(2)", "2"},   {"(-5)", "-5"},
    {"", ""},
}};

struct QualityRow {
    const char* spellings[3] = {nullptr, nullptr, nullptr};
};

constexpr QualityRow kQualities[kNiffChordQualities] = {
    {{"M"}},
    {{"!", "-"}},
    {{"+5", "+"}},
    {{"7"}},
    {{"M7"}},
    {{"!7", "-7"}},
    {{"*7", "*"}},
    {{"7+5", "+7"}},
    {{"M6", "6"}},
    {{"72", "2", "9"}},
    {{"4"}},
    {{"74", "47"}},
    {{"!6", "-6"}},
    {{"2"}},
    {{"!7-5", "7-", "%7"}},
    {{"9-5", "7(9-5)"}},
};

constexpr bool RepeatsNoSpelling() {
    for (size_t a = 0; a < std::size(kQualities); ++a)
        for (size_t i = 0; i < 3; ++i)
            for (size_t b = a + 1; b < std::size(kQualities); ++b)
                for (size_t j = 0; j < 3; ++j) {
                    const char* s = kQualities[a].spellings[i];
                    const char* t = kQualities[b].spellings[j];
                    // "2" stands in rows 9 and 13; the search takes the first.
                    if (s != nullptr && t != nullptr && std::string_view(s) == t && std::string_view(s) != "2")
                        return false;
                }
    return true;
}
static_assert(RepeatsNoSpelling(), "a quality spelling may stand in one row only");

bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

int AccidentalOf(char c) {
    return c == '@' ? 2 : c == '#' ? 1 : 0;
}

std::optional<int> QualityOf(const std::string& rest) {
    if (rest.empty()) return 0;
    for (size_t row = 0; row < std::size(kQualities); ++row)
        for (const char* spelling : kQualities[row].spellings)
            if (spelling != nullptr && rest == spelling) return static_cast<int>(row);
    return std::nullopt;
}

}  // namespace

std::optional<NiffChord> ParseNiffChordSymbol(std::string_view text) {
    std::string symbol;
    for (char c : text.substr(0, kMaxText))
        if (c != ' ' && c != '.') symbol += c;
    if (symbol.empty()) return std::nullopt;
    NiffChord chord;
    const size_t root = kLetters.find(Upper(symbol[0]));
    if (root == std::string_view::npos) return std::nullopt;
    chord.root = chord.bass = static_cast<int>(root);
    size_t next = 1;
    if (next < symbol.size() && AccidentalOf(symbol[next]) != 0) chord.accidental = AccidentalOf(symbol[next++]);
    std::string rest = symbol.substr(next);
    std::string bass;
    if (const size_t slash = rest.find('/'); slash != std::string::npos) {
        bass = rest.substr(slash + 1);
        rest.resize(slash);
    }
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != 'm') continue;
        const bool before = i > 0 && IsLetter(rest[i - 1]);
        const bool after = i + 1 < rest.size() && IsLetter(rest[i + 1]);
        if (i == 0)
            rest[i] = after ? 'M' : '!';
        else
            rest[i] = (before || after) ? 'M' : '!';
    }
    for (char& c : rest) c = Upper(c);
    for (int round = 0; round < kMaxReplacements; ++round) {
        bool replaced = false;
        for (const Replacement& r : kReplacements) {
            if (r.from.empty()) break;
            const size_t at = rest.find(r.from);
            if (at == std::string::npos) continue;
            rest.replace(at, r.from.size(), r.to);
            replaced = true;
            break;
        }
        if (!replaced) break;
    }
    const std::optional<int> quality = QualityOf(rest);
    if (!quality) return std::nullopt;
    chord.quality = *quality;
    if (!bass.empty()) {
        const size_t letter = kLetters.find(Upper(bass[0]));
        if (letter != std::string_view::npos) {
            chord.bass = static_cast<int>(letter);
            if (bass.size() > 1) chord.bassAccidental = AccidentalOf(bass[1]);
        }
    }
    return chord;
}

}  // namespace ql::niff
