#include "interchange/musicxml/musicxml_tempo.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace ql::musicxml {
namespace {

constexpr int kQuarter = 4;
constexpr int kMostPerMinute = 999;

// True for a beat the score's tempo marks show: an eighth, a quarter or a half,
// with one dot at most.
bool ShownBeat(int type, int dots) { return (type == 8 || type == 4 || type == 2) && dots <= 1; }

MxlItem TempoItem(int perMinute, int type, int dots, bool shown) {
    MxlItem item;
    item.kind = MxlItemKind::Tempo;
    item.value = std::clamp(perMinute, 1, kMostPerMinute);
    item.extra = type;
    item.line = dots;
    item.symbol = shown ? 0 : 1;
    return item;
}

}  // namespace

void TempoReading::PerMinute(std::string_view text) {
    // "120", "c. 120", "100-120": the first number.
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const auto first = std::find_if(text.begin(), text.end(), digit);
    perMinute_ = 0;
    for (auto c = first; c != text.end() && digit(*c) && perMinute_ <= kMostPerMinute; ++c)
        perMinute_ = perMinute_ * 10 + (*c - '0');
}

std::optional<MxlItem> TempoReading::EndDirection(ImportReport& skipped) const {
    const int soundPerMinute = static_cast<int>(std::lround(soundQuarters_));
    const auto soundOnly = [&]() -> std::optional<MxlItem> {
        if (soundPerMinute <= 0) return std::nullopt;
        return TempoItem(soundPerMinute, kQuarter, 0, false);
    };
    if (!metronome_) return soundOnly();
    if (units_ != 1 || type_ == 0) {
        skipped.Count(kTempoBetweenBeats);
        return soundOnly();
    }
    if (perMinute_ <= 0) {
        skipped.Count(kTempoWithoutNumber);
        return soundOnly();
    }
    if (ShownBeat(type_, dots_)) return TempoItem(perMinute_, type_, dots_, shown_);
    skipped.Count(kTempoOfOtherBeats);
    // The beat in quarters: a whole is four, a dot adds half of what it follows.
    const double beats = (type_ < 0 ? -type_ * 4.0 : 4.0 / type_) * (2.0 - std::pow(0.5, dots_));
    return TempoItem(static_cast<int>(std::lround(perMinute_ * beats)), kQuarter, 0, false);
}

NiffTempoBeat NiffTempoBeatOf(const MxlItem& tempo) {
    NiffTempoBeat beat;
    beat.perMinute = tempo.value;
    beat.shown = tempo.symbol == 0;
    // A type of 1/n whole notes with d dots lasts (2^(d+1) - 1) / (n 2^d).
    beat.num = (1 << (tempo.line + 1)) - 1;
    beat.den = tempo.extra << tempo.line;
    return beat;
}

}  // namespace ql::musicxml
