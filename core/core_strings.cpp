// The core services' texts and their registration into the program's bundle.
#include "core/core_strings.h"

#include <memory>
#include <optional>

#include "platform/sys/resources.h"

namespace ql {
namespace {

struct CoreString {
    int32_t id;
    const char* text;
};

constexpr CoreString kCoreStrings[] = {
    {kStrProductName, "Quaverlinescribe"},
    {kStrProductCaption, "Quaverlinescribe"},
    {kStrInvalidValue, "Invalid value"},
    {kStrErrorOccurredIn, "An error has occured in"},
    {kStrFileSavedAs, "Your file has been saved as"},
    {kStrExitAdvice, "You should exit Windows"},
    {kStrMemoryError, "Memory error"},
    {kStrReportNumbers, "Report error numbers to Tech Support"},
    {kStrSupportContact,
     "Please send these numbers and what you were doing to the program's maintainers."},
    {kStrFileNotSavedAs, "Your file could NOT be saved as"},
};

const char* CoreTableText(int32_t id) {
    for (const CoreString& entry : kCoreStrings) {
        if (entry.id == id) return entry.text;
    }
    return nullptr;
}

}  // namespace

void RegisterCoreStrings() {
    std::shared_ptr<const sys::ResourceBundle> current = sys::GetProgramBundle();
    auto bundle = current ? std::make_shared<sys::ResourceBundle>(*current)
                          : std::make_shared<sys::ResourceBundle>();
    if (!current) bundle->name = "program";
    for (const CoreString& entry : kCoreStrings) bundle->strings.emplace(entry.id, entry.text);
    sys::SetProgramBundle(std::move(bundle));
}

std::string ProgramString(int32_t id) {
    if (std::optional<std::string> text = sys::FindString(id)) return *text;
    const char* fallback = CoreTableText(id);
    return fallback != nullptr ? fallback : std::string();
}

}  // namespace ql
