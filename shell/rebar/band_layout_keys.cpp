// Reading and writing the "RBand%d" keys (see band_layout_keys.h).
#include "shell/rebar/band_layout_keys.h"

#include <charconv>
#include <cstdio>
#include <string>

#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/settings/settings_table.h"

namespace ql {
namespace {

constexpr char kKeepMainKey[] = "KeepMainToolBar";
constexpr char kFloatMainKey[] = "FloatMainToolBar";

// Longer values cannot be three longs with two commas.
constexpr int kValueBuffer = 80;

std::string BandKey(int n) {
    char key[16];
    std::snprintf(key, sizeof key, "RBand%d", n);
    return key;
}

// One integer of the value: an optional sign and digits, all of `text`.
std::optional<long> ParseField(std::string_view text) {
    const bool plus = !text.empty() && text.front() == '+';
    if (plus) text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || (plus && text.front() == '-')) return std::nullopt;
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || at != end) return std::nullopt;
    return value;
}

// The value of the key; nothing when missing, empty or too long to be an entry.
std::optional<std::string> KeyValue(int n) {
    char buffer[kValueBuffer] = {};
    const int length =
        GetPrefString(kToolbarSection, BandKey(n).c_str(), nullptr, buffer, kValueBuffer, ProfilePath().c_str());
    if (length <= 0 || length >= kValueBuffer - 1) return std::nullopt;
    return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace

std::optional<SavedBand> ParseSavedBand(std::string_view text) {
    const size_t first = text.find(',');
    if (first == std::string_view::npos) return std::nullopt;
    const size_t second = text.find(',', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::optional<long> id = ParseField(text.substr(0, first));
    const std::optional<long> width = ParseField(text.substr(first + 1, second - first - 1));
    const std::optional<long> style = ParseField(text.substr(second + 1));
    if (!id || !width || !style) return std::nullopt;
    return SavedBand{*id, *width, *style};
}

std::vector<SavedBand> ReadSavedBands() {
    std::vector<SavedBand> bands;
    for (int n = 0; n < kSavedBandKeys; ++n) {
        const std::optional<std::string> value = KeyValue(n);
        const std::optional<SavedBand> band = value ? ParseSavedBand(*value) : std::nullopt;
        if (!band) break;
        bands.push_back(*band);
    }
    return bands;
}

bool HasSavedLayout() {
    char buffer[2] = {};
    return GetPrefString(kToolbarSection, BandKey(0).c_str(), nullptr, buffer, sizeof buffer,
                         ProfilePath().c_str()) > 0;
}

void WriteSavedBands(const std::vector<SavedBand>& bands) {
    for (int n = 0; n < kSavedBandKeys; ++n) SetPrefString(kToolbarSection, BandKey(n).c_str(), nullptr);
    for (size_t n = 0; n < bands.size() && n < static_cast<size_t>(kSavedBandKeys); ++n) {
        const std::string value = std::to_string(bands[n].id) + "," + std::to_string(bands[n].width) + "," +
                                  std::to_string(bands[n].style);
        SetPrefString(kToolbarSection, BandKey(static_cast<int>(n)).c_str(), value.c_str());
    }
}

bool MainPaletteKeptInBand() {
    return GetPrefInt(kToolbarSection, kKeepMainKey, 1, ProfilePath().c_str()) != 0;
}

void StoreMainPaletteKeptInBand(bool kept) {
    SetPrefDword(kToolbarSection, kKeepMainKey, kept ? 1 : 0);
    SetPrefDword(kToolbarSection, kFloatMainKey, kept ? 0 : 1);
}

bool IsBandShown(int32_t id) {
    const BandRecord* band = FindBand(id);
    if (band == nullptr) return false;
    if (band->shown == nullptr) return MainPaletteKeptInBand();
    return Options().*band->shown != 0;
}

void SetBandShown(int32_t id, bool shown) {
    const BandRecord* band = FindBand(id);
    if (band == nullptr) return;
    if (band->shown == nullptr)
        StoreMainPaletteKeptInBand(shown);
    else
        Options().*band->shown = shown ? 1 : 0;
}

}  // namespace ql
