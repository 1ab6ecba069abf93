// The language's key letters and their translation to the built-in ones.
#include "core/ui/command_letters.h"

#include <array>
#include <string>

#include "core/core_strings.h"
#include "core/state.h"

namespace ql {
namespace {

constexpr std::array<const char*, kCommandLetterGroups> kBuiltInLetters = {"H", "D", "CSMP", "STDLRBE",
                                                                           "BIUG", "FSLDEXT", "FD"};

std::string UpperText(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

void LoadCommandLetters() {
    std::vector<std::string>& letters = State().input.CommandLetters;
    letters.assign(kCommandLetterGroups, std::string());
    for (int group = 0; group < kCommandLetterGroups; ++group)
        letters[static_cast<size_t>(group)] = UpperText(ProgramString(kStrFirstCommandLetters + group));
}

uint32_t TranslateCommandLetter(uint32_t key) {
    if (key < 'A' || key > 'Z') return key;
    const std::vector<std::string>& letters = State().input.CommandLetters;
    for (size_t group = 0; group < kBuiltInLetters.size(); ++group) {
        const std::string builtIn = kBuiltInLetters[group];
        const std::string& local = group < letters.size() && !letters[group].empty() ? letters[group] : builtIn;
        const size_t place = local.find(static_cast<char>(key));
        if (place != std::string::npos && place < builtIn.size()) return static_cast<unsigned char>(builtIn[place]);
    }
    return key;
}

}  // namespace ql
