// The shell's options, at the settings table's defaults until loaded.
#include "core/settings/program_options.h"

#include "core/settings/metrics_table.h"
#include "core/settings/settings_table.h"

namespace ql {

ProgramOptions& Options() {
    static ProgramOptions options;
    // Set before the defaults go in: storing a default reaches back here.
    static bool defaulted = false;
    if (!defaulted) {
        defaulted = true;
        ApplyIntSettingDefaults(SettingHome::Options);
        ApplyDefaultMetricWords(options.Metrics);
    }
    return options;
}

void ResetProgramOptions() {
    Options() = ProgramOptions();
    ApplyIntSettingDefaults(SettingHome::Options);
    ApplyDefaultMetricWords(Options().Metrics);
}

}  // namespace ql
