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
// The LowMemoryBoxOnce guards alive, and whether the outermost one has seen its
// operation run out of records.
int g_onceGuards = 0;
bool g_ranOutOnce = false;
}  // namespace

LowMemoryBoxOnce::LowMemoryBoxOnce() {
    if (g_onceGuards++ == 0) g_ranOutOnce = false;
}

LowMemoryBoxOnce::~LowMemoryBoxOnce() {
    if (--g_onceGuards == 0) g_ranOutOnce = false;
}

bool RecordsRanOutOnce() {
    return g_onceGuards > 0 && g_ranOutOnce;
}

int LowMemoryReportCount() {
    return g_lowMemoryReports;
}

void ReportLowMemory(const char* module, int line) {
    ++g_lowMemoryReports;
    if (RecordsRanOutOnce()) return;
    ReportModuleLine(module, line, ProgramString(kStrResourceMemoryLow));
    g_ranOutOnce = g_onceGuards > 0;
}

void ReportModuleLine(const char* module, int line, const std::string& text) {
    if (RecordsRanOutOnce()) return;  // a consequence of what was reported
    std::string tag = FormatModuleLine(module, line);
    ErrorBox(FillPlaces(ProgramString(kStrModuleLineReport), tag, text));
}

}  // namespace ql
