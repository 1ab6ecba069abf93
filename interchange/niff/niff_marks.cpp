// Chord symbols and tempo marks of a NIFF import.
#include "interchange/niff/niff_marks.h"

#include "interchange/niff/niff_import_state.h"

namespace ql::niff {

inline constexpr char kChordSymbolsKind[] = "chord symbols";
inline constexpr char kTempoMarksKind[] = "tempo marks";

void MakeNiffChordSymbol(NiffImportState& import, const NiffChord&, const NiffMark&) {
    // provisional: marks anchored in measures are put into the document by the
    // builder's measure step, which comes with the measure content (notes, rests,
    // time slices); until then the request is counted as not converted.
    import.report.Count(kChordSymbolsKind);
}

void MakeNiffTempoMark(NiffImportState& import, const NiffTempoRequest&, const NiffMark&) {
    // provisional: as for chord symbols, placed by the builder's measure step once
    // the measure content is imported; counted as not converted until then.
    import.report.Count(kTempoMarksKind);
}

}  // namespace ql::niff
