// A MusicXML file's counts, from its elements and from the score it imported into.
#include "shell/tests/program/musicxml_file_counts.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/model/page_records.h"
#include "core/text/text_object.h"
#include "core/objects/score_object.h"
#include "core/state/notation_font_state.h"
#include "core/tests/model/score_events.h"
#include "interchange/niff/niff_time_slices.h"
#include "notes/drawing/note_fields.h"
#include "platform/ui/headless.h"

namespace ql::testing {
namespace {

class FileReader {
  public:
    MusicXmlCounts Read(const std::vector<uint8_t>& bytes) {
        Parse(bytes);
        counts_.staves = 0;
        for (const auto& [id, staves] : staves_) counts_.staves += staves;
        return counts_;
    }
    // The file's credits, each with its page, in the file's order.
    const std::vector<std::pair<int, std::string>>& Credits() const { return credits_; }

    void Parse(const std::vector<uint8_t>& bytes) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, this);
        XML_SetElementHandler(
            parser, [](void* self, const XML_Char* name, const XML_Char** attributes) {
                static_cast<FileReader*>(self)->Start(name, attributes);
            },
            [](void* self, const XML_Char* name) { static_cast<FileReader*>(self)->End(name); });
        XML_SetCharacterDataHandler(parser, [](void* self, const XML_Char* text, int length) {
            static_cast<FileReader*>(self)->text_.append(text, static_cast<size_t>(length));
        });
        const bool parsed = XML_Parse(parser, reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), 1) == XML_STATUS_OK;
        EXPECT_TRUE(parsed) << XML_ErrorString(XML_GetErrorCode(parser));
        XML_ParserFree(parser);
    }

  private:
    void Start(const char* name, const XML_Char** attributes) {
        const std::string parent = stack_.empty() ? "" : stack_.back();
        stack_.emplace_back(name);
        text_.clear();
        if (stack_.size() == 1) timewise_ = std::strcmp(name, "score-timewise") == 0;
        if (std::strcmp(name, "credit") == 0) {
            creditPage_ = 1;
            for (int i = 0; attributes[i] != nullptr; i += 2)
                if (std::strcmp(attributes[i], "page") == 0) creditPage_ = std::atoi(attributes[i + 1]);
        }
        if (std::strcmp(name, "part") == 0) {
            for (int i = 0; attributes[i] != nullptr; i += 2)
                if (std::strcmp(attributes[i], "id") == 0) part_ = attributes[i + 1];
            staves_.try_emplace(part_, 1);
            if (firstPart_.empty()) firstPart_ = part_;
        } else if (std::strcmp(name, "measure") == 0) {
            if (timewise_ ? parent == stack_.front() : part_ == firstPart_) ++counts_.measures;
        } else if (std::strcmp(name, "note") == 0) {
            rest_ = grace_ = false;
        } else if (parent == "note") {
            rest_ = rest_ || std::strcmp(name, "rest") == 0;
            grace_ = grace_ || std::strcmp(name, "grace") == 0;
        } else if (parent == "articulations" || parent == "technical" || parent == "ornaments" ||
                   ((parent == "notations" || parent == "barline") && std::strcmp(name, "fermata") == 0)) {
            ++counts_.marks;
        } else if (parent == "dynamics") {
            ++counts_.dynamics;
        }
    }
    void End(const char* name) {
        if (std::strcmp(name, "note") == 0 && !rest_) ++(grace_ ? counts_.graces : counts_.notes);
        if (std::strcmp(name, "staves") == 0) staves_[part_] = std::max(staves_[part_], std::atoi(text_.c_str()));
        if (std::strcmp(name, "credit-words") == 0) credits_.emplace_back(creditPage_, text_);
        stack_.pop_back();
    }

    MusicXmlCounts counts_;
    std::vector<std::string> stack_;
    std::string text_;
    std::string part_;
    std::string firstPart_;
    std::map<std::string, int> staves_;
    std::vector<std::pair<int, std::string>> credits_;
    int creditPage_ = 1;
    bool timewise_ = false;
    bool rest_ = false;
    bool grace_ = false;
};

// The words of `text` into `words` (see MusicXmlCreditWords).
void AddWords(std::string_view text, std::set<std::string>& words) {
    constexpr size_t kShortest = 2;
    std::string word;
    for (size_t i = 0; i <= text.size(); ++i) {
        const auto c = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        if (c < 0x80 && std::isalnum(c)) {
            word += static_cast<char>(c);
            continue;
        }
        if (word.size() >= kShortest) words.insert(word);
        word.clear();
    }
}

// The notes and grace notes the import's box said it left out, added to `counts`.
void AddNotesSaidLeftOut(MusicXmlCounts& counts) {
    for (const auto& box : ui::headless::MessageBoxes()) {
        std::istringstream lines(box.text);
        for (std::string line; std::getline(lines, line);) {
            const size_t colon = line.rfind(": ");
            if (colon == std::string::npos) continue;
            const std::string kind = line.substr(0, colon);
            const int count = std::atoi(line.c_str() + colon + 2);
            if (kind == niff::kNiffDroppedNotes) counts.notes += count;
            if (kind == niff::kNiffDroppedGraces) counts.graces += count;
            if (NoteMarkNames().contains(kind)) counts.marks += count;
        }
    }
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const MusicXmlCounts& c) {
    return out << c.measures << " measures, " << c.staves << " staves, " << c.notes << " notes, " << c.graces
               << " grace notes, " << c.marks << " marks, " << c.dynamics << " dynamics";
}

const std::set<std::string>& NoteMarkNames() {
    static const std::set<std::string> names = {
        "fermata", "tremolo", "wavy-line", "fingering", "pluck", "hammer-on", "pull-off", "accidental-mark",
        "bend", "tap", "heel", "toe", "fret", "string", "open-string", "thumb-position", "double-tongue",
        "triple-tongue", "fingernails", "hole", "arrow", "handbell", "other-technical", "breath-mark",
        "caesura", "scoop", "plop", "doit", "falloff", "stress", "unstress", "soft-accent",
        "other-articulation", "shake", "schleifer", "vertical-turn", "inverted-vertical-turn",
        "delayed-turn", "delayed-inverted-turn", "haydn", "other-ornament"};
    return names;
}

MusicXmlCounts SaidLeftOut(const std::vector<std::pair<std::string, int>>& report) {
    MusicXmlCounts counts;
    for (const auto& [kind, count] : report) {
        if (NoteMarkNames().contains(kind)) counts.marks += count;
        if (kind.starts_with("dynamic ")) counts.dynamics += count;
    }
    return counts;
}

MusicXmlCounts MusicXmlFileCounts(const std::vector<uint8_t>& bytes) { return FileReader().Read(bytes); }

std::set<std::string> MusicXmlCreditWords(const std::vector<uint8_t>& bytes, int pages) {
    FileReader reader;
    reader.Parse(bytes);
    std::set<std::string> words;
    for (const auto& [page, text] : reader.Credits())
        if (page <= pages) AddWords(text, words);
    return words;
}

std::set<std::string> PageTextWords(ScoreView* view) {
    std::set<std::string> words;
    for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get())
        for (ScoreObject* item = page->margins ? page->margins->next.get() : nullptr; item != nullptr;
             item = item->next.get())
            if (item->type == TypeCode(ObjectType::Text))
                if (const char* text = TextObjectString(AsTextObject(item))) AddWords(text, words);
    return words;
}

MusicXmlCounts ImportedScoreCounts(ScoreView* view) {
    const ScoreDocument* document = view->document;
    MusicXmlCounts counts{document->header.measureCount, document->header.staffCount, 0, 0};
    ForEachScoreEvent(view, [&counts](const EventRecord& e) {
        ++(NoteSizeClass(e) == static_cast<int>(NoteSizeClass::Grace) ? counts.graces : counts.notes);
        counts.marks += ((e.word2 & kNoteStaccato) != 0) + ((e.word2 & kNoteLegato) != 0);
        const ScoreObject* head = GetEventAttachment(&e);
        for (const ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get())
            counts.marks += o->type == static_cast<uint8_t>(ObjectType::NoteArticulation);
    });
    ScopedDocumentContext context(view);
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        for (int m = 1; m <= document->header.measureCount; ++m) {
            const MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(view->document, staff), view->document, m);
            for (const ScoreObject* o = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr;
                 o != nullptr; o = o->next.get())
                counts.dynamics += o->type == static_cast<uint8_t>(ObjectType::Dynamic);
        }
    AddNotesSaidLeftOut(counts);
    return counts;
}

}  // namespace ql::testing
