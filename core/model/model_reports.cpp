// The low-memory box of the score model.
#include "core/model/model_reports.h"

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/units/status_text.h"

namespace ql {

// Fills the "%s" places of a table text in order; never used as a printf format,
// so a translated text cannot read past its arguments.
static std::string FillPlaces(std::string format, const std::string& first,
                              const std::string& second) {
    const std::string* parts[] = {&first, &second};
    size_t at = 0;
    for (const std::string* part : parts) {
        at = format.find("%s", at);
        if (at == std::string::npos) break;
        format.replace(at, 2, *part);
        at += part->size();
    }
    return format;
}

namespace {
int g_lowMemoryReports = 0;
}  // namespace

int LowMemoryReportCount() {
    return g_lowMemoryReports;
}

void ReportLowMemory(const char* module, int line) {
    ++g_lowMemoryReports;
    ReportModuleLine(module, line, ProgramString(kStrResourceMemoryLow));
}

void ReportModuleLine(const char* module, int line, const std::string& text) {
    std::string tag = FormatModuleLine(module, line);
    ErrorBox(FillPlaces(ProgramString(kStrModuleLineReport), tag, text));
}

}  // namespace ql
