// The display text of text objects: header and footer variables ("%page",
// "%date", "%file" ...) expanded while pages are painted, the clef characters, and
// the point after a short repeat-ending number.
//
// Expansion is one left-to-right pass over the source. At each '%' the first
// variable of the table that starts there is replaced (the table lists longer
// names before their prefixes: "%pages" before "%page", "%filedate" before
// "%file"). Inserted values are never scanned again, so a path that contains
// "%file" or a page text that contains "%page" is shown as it is and the output
// stays bounded.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/text/text_object.h"

namespace ql {
namespace {

// The document's `created` time is kept as a broken-down calendar time: month
// from 0 and year - 1900.
constexpr int kCreatedMinute = 1;
constexpr int kCreatedHour = 2;
constexpr int kCreatedDay = 3;
constexpr int kCreatedMonth = 4;
constexpr int kCreatedYear = 5;
constexpr int kTmYearBase = 1900;
constexpr int kTwoDigitYears = 100;
// The ranges a shown date keeps to: years of four digits, months from 0 as kept.
constexpr int32_t kFirstDay = 1;
constexpr int32_t kLastDay = 31;
constexpr int32_t kFirstTmMonth = 0;
constexpr int32_t kLastTmMonth = 11;
constexpr int32_t kFirstYear = 0;
constexpr int32_t kLastYear = 9999;
constexpr int32_t kLastHour = 23;
constexpr int32_t kLastMinute = 59;

struct Calendar {
    int day = 0;
    int month = 0;  // 1..12
    int year = 0;   // full year
    int hour = 0;
    int minute = 0;
};

Calendar FromTm(const std::tm& t) {
    return Calendar{t.tm_mday, t.tm_mon + 1, t.tm_year + kTmYearBase, t.tm_hour, t.tm_min};
}

// The fields come from a file and may hold anything: each is clamped to its
// calendar range first, so the date shown is a date and no sum can overflow.
Calendar FromCreated(const ScoreDocument* document) {
    if (document == nullptr) return {};
    const int32_t* c = document->created;
    return Calendar{std::clamp(c[kCreatedDay], kFirstDay, kLastDay),
                    std::clamp(c[kCreatedMonth], kFirstTmMonth, kLastTmMonth) + 1,
                    std::clamp(c[kCreatedYear], kFirstYear - kTmYearBase, kLastYear - kTmYearBase) +
                        kTmYearBase,
                    std::clamp(c[kCreatedHour], 0, kLastHour),
                    std::clamp(c[kCreatedMinute], 0, kLastMinute)};
}

std::string Printf(const char* format, int a, int b, int c = 0) {
    char text[32];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string MonthDayYear(const Calendar& d) {
    return Printf("%02d/%02d/%04d", d.month, d.day, d.year);
}
std::string DayMonthYear(const Calendar& d) {
    return Printf("%02d/%02d/%04d", d.day, d.month, d.year);
}
std::string MonthDayShort(const Calendar& d) {
    return Printf("%02d/%02d/%02d", d.month, d.day, d.year % kTwoDigitYears);
}
std::string DayMonthShort(const Calendar& d) {
    return Printf("%02d/%02d/%02d", d.day, d.month, d.year % kTwoDigitYears);
}
std::string HourMinute(const Calendar& d) {
    return Printf("%02d:%02d", d.hour, d.minute);
}

enum class Variable {
    Pages,
    Page,
    MmDdYyyy,
    MmDdYy,
    DdMmYyyy,
    DdMmYy,
    Date,
    Time,
    FileMmDdYyyy,
    FileDdMmYyyy,
    FileMmDdYy,
    FileDdMmYy,
    FileDate,
    FileTime,
    File,
};

struct VariableName {
    std::string_view name;
    Variable variable;
};

// In the order they are tried at each '%'.
constexpr VariableName kVariables[] = {
    {"%pages", Variable::Pages},
    {"%page", Variable::Page},
    {"%mmddyyyy", Variable::MmDdYyyy},
    {"%mmddyy", Variable::MmDdYy},
    {"%ddmmyyyy", Variable::DdMmYyyy},
    {"%ddmmyy", Variable::DdMmYy},
    {"%date", Variable::Date},
    {"%time", Variable::Time},
    {"%filemmddyyyy", Variable::FileMmDdYyyy},
    {"%fileddmmyyyy", Variable::FileDdMmYyyy},
    {"%filemmddyy", Variable::FileMmDdYy},
    {"%fileddmmyy", Variable::FileDdMmYy},
    {"%filedate", Variable::FileDate},
    {"%filetime", Variable::FileTime},
    {"%file", Variable::File},
};

std::string ValueOf(Variable variable, ScoreView* view, const Calendar& today) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* page = view != nullptr ? view->currentPage : nullptr;
    Calendar created = FromCreated(document);
    switch (variable) {
        case Variable::Pages:
            return std::to_string(page != nullptr ? GetLastPageNumber(page) : 0);
        case Variable::Page:
            return std::to_string(page != nullptr ? page->pageNumber : 0);
        case Variable::MmDdYyyy:
            return MonthDayYear(today);
        case Variable::MmDdYy:
            return MonthDayShort(today);
        case Variable::DdMmYyyy:
            return DayMonthYear(today);
        case Variable::DdMmYy:
            return DayMonthShort(today);
        case Variable::Date:
            return MonthDayShort(today);
        case Variable::Time:
            return HourMinute(today);
        case Variable::FileMmDdYyyy:
            return MonthDayYear(created);
        case Variable::FileDdMmYyyy:
            return DayMonthYear(created);
        case Variable::FileMmDdYy:
            return MonthDayShort(created);
        case Variable::FileDdMmYy:
            return DayMonthShort(created);
        case Variable::FileDate:
            return MonthDayShort(created);
        case Variable::FileTime:
            return HourMinute(created);
        case Variable::File:
            return document != nullptr ? document->path : std::string();
    }
    return {};
}

const VariableName* VariableAt(std::string_view text) {
    for (const VariableName& entry : kVariables) {
        if (text.substr(0, entry.name.size()) == entry.name) return &entry;
    }
    return nullptr;
}

// Repeat endings: a short number without a point is shown with one.
bool NeedsEndingPoint(const std::string& text) {
    constexpr size_t kShortEnding = 3;
    constexpr unsigned char kBlank = 32;
    if (text.empty() || text.size() >= kShortEnding || text.find('.') != std::string::npos)
        return false;
    return static_cast<unsigned char>(text[0]) > kBlank;
}

// Clef kinds shown as "<" and the one shown as nothing.
constexpr uint8_t kClefKindHidden = 11;
bool ClefKindShowsBracket(uint8_t kind) {
    return kind == 10 || kind == 12 || kind == 13 || kind == 14;
}

}  // namespace

int ExpandTextVariablesAt(ScoreView* view, const char* source, const std::tm& now,
                          std::string* target) {
    target->clear();
    if (source == nullptr) return 0;
    std::string_view text(source);
    if (text.find('%') == std::string_view::npos) {
        target->assign(text);
        return 0;
    }
    Calendar today = FromTm(now);
    const size_t limit = kDisplayTextBytes - 1;
    int replaced = 0;
    size_t i = 0;
    // One character more than the limit is gathered, for the '%' that may go below.
    while (i < text.size() && target->size() <= limit) {
        const VariableName* variable = text[i] == '%' ? VariableAt(text.substr(i)) : nullptr;
        if (variable == nullptr) {
            target->push_back(text[i++]);
            continue;
        }
        target->append(ValueOf(variable->variable, view, today));
        i += variable->name.size();
        replaced = 1;
    }
    // A result that begins with '%' loses it, whether the '%' came from the text
    // or from a value put in (a path "%draft.ql", or "%x" after an empty value).
    if (!target->empty() && target->front() == '%') target->erase(0, 1);
    if (target->size() > limit) target->resize(limit);
    return replaced;
}

int ExpandTextVariables(ScoreView* view, const char* source, std::string* target) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ExpandTextVariablesAt(view, source, local, target);
}

const char* TextObjectClass::GetDisplayText(ScoreObject* object, ScoreView* view) const {
    TextObject* text = AsTextObject(object);
    std::string shown;
    if ((text->body.flags & kTextOwnsString) != 0) {
        const char* string = TextObjectString(text);
        if (string != nullptr && State().drawing.PagePaintingFlag != 0) {
            ExpandTextVariables(view, string, &shown);
        } else if (string != nullptr) {
            shown = string;
        }
    } else {
        char character = static_cast<char>(text->body.string & 0xFF);
        shown.assign(1, character);
        if (object->type == TypeCode(ObjectType::Clef) &&
            (text->body.flags & kTextMusicGlyph) != 0) {
            if (ClefKindShowsBracket(text->body.charset)) shown = "<";
            if (text->body.charset == kClefKindHidden) shown.clear();
        }
    }
    if (shown.empty() || shown[0] == '\0') shown = "?";
    if (object->type == TypeCode(ObjectType::RepeatEnding) && NeedsEndingPoint(shown)) shown += '.';
    // The shared buffer keeps the result; the pooled string itself is never changed.
    char* buffer = State().text.display;
    size_t length = std::min(shown.size(), sizeof State().text.display - 1);
    std::memcpy(buffer, shown.data(), length);
    buffer[length] = '\0';
    return buffer;
}

}  // namespace ql
