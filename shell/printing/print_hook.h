// The print dialog's check of an OK (the program's hook on the print system's
// dialog): a free page list is read against the document's first and last page
// numbers, and every page it names must exist. A refused list is emptied and the
// dialog stays open after one of two boxes: the range box (string 1322, with the
// two limits) or the missing-page box (string 1376). A from-to range or a filter
// that leaves no page of the document (pages 7-9 of five, the even pages of one)
// is refused as well, after the nothing-to-print box: the program never sends an
// empty job nor writes an empty print file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sysdlg/print_dialog.h"

namespace ql {

struct ScoreDocument;

// The checked page list of an accepted OK (empty unless the range is a list).
struct CheckedPrintChoice {
    std::vector<int32_t> pages;
};

// The page numbers the document has, in document order.
std::vector<int32_t> DocumentPageNumbers(ScoreDocument* document);

// The check handed to the print dialog; `out` receives the list of an accepted OK.
sysdlg::PrintChoiceCheck MakePrintDialogHook(ScoreDocument* document, CheckedPrintChoice* out);

// The box saying that the choice holds no page of the document (its page numbers).
void ShowNothingToPrint(const std::vector<int32_t>& numbers);

// `format` with each "%d" replaced by the next number (missing numbers leave the
// "%d"); every other character, '%' included, is kept. Safe on any format text.
std::string FormatNumbers(std::string_view format, std::initializer_list<int32_t> numbers);

}  // namespace ql
