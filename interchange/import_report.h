// What an import could not convert: counts per kind of item (symbols no handler
// converts, chunks skipped for out-of-range numbers, objects whose class the
// program does not have yet). The report is shown once, in one information box,
// after the new score is shown, and written to the diagnostic output (standard
// error). Private extensions of a file (unknown ids and tags) are notes that go
// to the diagnostic output only.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ql {

inline constexpr char kImportReportHeading[] = "These items of the file were not converted:";

class ImportReport {
  public:
    // Counts `count` items of a kind; kinds keep the order they were first counted in.
    void Count(std::string_view kind, int count = 1);
    // Adds every count and note of `other` (an earlier stage of the same import).
    void Merge(const ImportReport& other);
    // A line for the diagnostic output only.
    void Note(std::string line);

    bool Empty() const { return counts_.empty(); }
    int CountOf(std::string_view kind) const;
    int Total() const;
    const std::vector<std::string>& Notes() const { return notes_; }
    const std::vector<std::pair<std::string, int>>& Counts() const { return counts_; }
    // The box text: the heading, then one "kind: count" line per kind.
    std::string Text() const;

    // Writes the counts and the notes to `out`.
    void WriteDiagnostics(std::FILE* out) const;
    // The first call writes the diagnostics and, when anything was counted, shows
    // the box with this caption; later calls do nothing.
    void Show(const char* caption, std::FILE* diagnostics = stderr);
    bool Shown() const { return shown_; }

  private:
    std::vector<std::pair<std::string, int>> counts_;
    std::vector<std::string> notes_;
    bool shown_ = false;
};

}  // namespace ql
