// The low-memory box of the score model and the model's program texts.
#include "core/model_reports.h"

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/status_text.h"

namespace ql {

namespace {

struct ModelText {
    int32_t id;
    const char* text;
};

constexpr ModelText kModelTexts[] = {
    {kStrUntitled, "Untitled"},
    {kStrModuleLineReport, "%s\n %s"},
    {kStrResourceMemoryLow, "Resource memory is low.\nReleasing some resources..."},
};

}  // namespace

std::string ModelString(int32_t id) {
    std::string text = ProgramString(id);
    if (!text.empty()) return text;
    for (const ModelText& entry : kModelTexts)
        if (entry.id == id) return entry.text;
    return {};
}

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
    std::string tag = FormatModuleLine(module, line);
    ErrorBox(
        FillPlaces(ModelString(kStrModuleLineReport), tag, ModelString(kStrResourceMemoryLow)));
}

}  // namespace ql
