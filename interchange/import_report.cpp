// Counting what an import dropped and telling the user once.
#include "interchange/import_report.h"

#include <algorithm>

#include "core/ui/modal_boxes.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr size_t kMaxNotes = 1000;

}  // namespace

void ImportReport::Count(std::string_view kind, int count) {
    if (count <= 0) return;
    const auto found = std::find_if(counts_.begin(), counts_.end(),
                                    [&](const auto& entry) { return entry.first == kind; });
    if (found != counts_.end())
        found->second += count;
    else
        counts_.emplace_back(std::string(kind), count);
}

void ImportReport::Merge(const ImportReport& other) {
    for (const auto& [kind, count] : other.counts_) Count(kind, count);
    for (const std::string& note : other.notes_) Note(note);
}

void ImportReport::Note(std::string line) {
    if (notes_.size() < kMaxNotes) notes_.push_back(std::move(line));
}

int ImportReport::CountOf(std::string_view kind) const {
    for (const auto& [name, count] : counts_)
        if (name == kind) return count;
    return 0;
}

int ImportReport::Total() const {
    int total = 0;
    for (const auto& entry : counts_) total += entry.second;
    return total;
}

std::string ImportReport::Text() const {
    std::string text = kImportReportHeading;
    for (const auto& [kind, count] : counts_) text += "\n" + kind + ": " + std::to_string(count);
    return text;
}

void ImportReport::WriteDiagnostics(std::FILE* out) const {
    if (out == nullptr) return;
    for (const auto& [kind, count] : counts_)
        std::fprintf(out, "import: not converted: %s: %d\n", kind.c_str(), count);
    for (const std::string& line : notes_) std::fprintf(out, "import: %s\n", line.c_str());
}

void ImportReport::Show(const char* caption, std::FILE* diagnostics) {
    if (shown_) return;
    shown_ = true;
    WriteDiagnostics(diagnostics);
    if (!Empty()) ModalMessageBox(Text(), caption, ui::kBoxIconInformation);
}

}  // namespace ql
