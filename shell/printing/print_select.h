// Choosing what and where to print: the print dialog with the program's page-list
// check (retried once with the default setup when it fails), and the print file
// with its replace question.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "platform/sysdlg/print_dialog.h"

namespace ql {

struct PrintSelection {
    sysdlg::PrintChoice choice;
    std::vector<int32_t> list;  // the checked page list when the range is a list
};

// The dialog's choice, or nothing when the user cancelled (or the dialog failed
// twice: status part 0 says it takes the default setup after the first failure).
std::optional<PrintSelection> SelectPrinter(ScoreDocument* document);

// The file a print to file writes: the dialog's, else asked for ("Save Print
// File", the document's name with ".pdf" in its folder). An existing file is
// replaced only on Yes (unless the dialog asked already); nothing otherwise.
std::optional<std::string> ChoosePrintFile(const ScoreDocument& document,
                                           const sysdlg::PrintChoice& choice);

}  // namespace ql
