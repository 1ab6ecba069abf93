// Fuzz entry point for the settings-file reader: any bytes must read into a tree
// without a crash, and that tree, written and read again, must come back the same
// and undamaged. Every value is also read as a number, as the store does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/sys/settings_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql::sys;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SettingsParse first = ParseSettingsText(text);
    for (const SettingsSection& section : first.tree.Sections())
        for (const SettingsValue& value : section.values) (void)ParseSettingsNumber(value.value);
    SettingsParse second = ParseSettingsText(FormatSettingsText(first.tree));
    if (second.IsDamaged() || !(second.tree == first.tree)) std::abort();
    return 0;
}
