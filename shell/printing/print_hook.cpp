// The print dialog's OK check: the page list read strictly, a range or filter
// that leaves no page refused, the boxes, and the emptied list when refused.
#include "shell/printing/print_hook.h"

#include <algorithm>

#include "core/core_strings.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/modal_boxes.h"
#include "platform/ui/message_box.h"
#include "shell/printing/page_list.h"
#include "shell/printing/print_document.h"
#include "shell/resources/print_resources.h"

namespace ql {
namespace {

constexpr uint32_t kPageBoxStyle = ui::kBoxOk | ui::kBoxIconInformation;
constexpr char kNothingToPrintText[] =
    "There is nothing to print: no page of the score (pages %d - %d) is among the pages chosen.";

void ShowPageBox(const std::string& text) {
    ModalMessageBox(text, ProgramString(kStrProductName), kPageBoxStyle);
}

// The document's first and last page numbers, the limits of a page list.
int32_t FirstPageNumber(const std::vector<int32_t>& numbers) {
    return numbers.empty() ? 1 : numbers.front();
}
int32_t LastPageNumber(const std::vector<int32_t>& numbers) {
    return numbers.empty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
}

bool CheckPageList(const std::vector<int32_t>& numbers, sysdlg::PrintChoice& choice,
                   CheckedPrintChoice* out) {
    const int32_t low = FirstPageNumber(numbers);
    const int32_t high = LastPageNumber(numbers);
    PageListResult list = ParsePageList(choice.listText, low, high);
    if (list.status != PageListStatus::Ok) {
        ShowPageBox(FormatNumbers(ProgramString(kStrPageRangeBox), {low, high}));
        choice.listText.clear();
        return false;
    }
    for (int32_t page : list.pages) {
        if (std::find(numbers.begin(), numbers.end(), page) != numbers.end()) continue;
        ShowPageBox(FormatNumbers(ProgramString(kStrPageNotFound), {page}));
        choice.listText.clear();
        return false;
    }
    out->pages = std::move(list.pages);
    return true;
}

}  // namespace

std::vector<int32_t> DocumentPageNumbers(ScoreDocument* document) {
    std::vector<int32_t> numbers;
    ScorePage* page = document != nullptr ? document->firstPage : nullptr;
    // The page count bounds the walk, so a damaged chain cannot loop.
    const int count = document != nullptr ? document->header.pageCount : 0;
    for (int i = 0; page != nullptr && i < count; ++i, page = page->next.get())
        numbers.push_back(page->pageNumber);
    return numbers;
}

sysdlg::PrintChoiceCheck MakePrintDialogHook(ScoreDocument* document, CheckedPrintChoice* out) {
    return [numbers = DocumentPageNumbers(document), out](sysdlg::PrintChoice& choice) {
        out->pages.clear();
        if (choice.range == sysdlg::PrintRange::List) return CheckPageList(numbers, choice, out);
        if (!PrintPageSequence(numbers, choice, {}, 1).empty()) return true;
        ShowNothingToPrint(numbers);
        return false;
    };
}

void ShowNothingToPrint(const std::vector<int32_t>& numbers) {
    ShowPageBox(FormatNumbers(kNothingToPrintText, {FirstPageNumber(numbers), LastPageNumber(numbers)}));
}

std::string FormatNumbers(std::string_view format, std::initializer_list<int32_t> numbers) {
    std::string text;
    const int32_t* next = numbers.begin();
    for (size_t at = 0; at < format.size(); ++at) {
        if (format.compare(at, 2, "%d") == 0 && next != numbers.end()) {
            text += std::to_string(*next++);
            ++at;
            continue;
        }
        text += format[at];
    }
    return text;
}

}  // namespace ql
