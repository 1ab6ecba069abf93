// A seeded driver of the commands that copy music: block paste from one score into
// another and within one score (overlapping ranges too), and Extract Part. The
// source measures hold every kind of thing a measure can: notes in several voices
// with ties and lyrics in a face of the score's own, rests, and the measure objects
// (texts in an own face, clef and key changes, text boxes, marks, lines and
// brackets); every staff has its name label. After each command every copied
// measure must describe as its source did, and undo and redo must give back the
// saved file of every document touched byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"
#include "editing/block_clipboard.h"
#include "editing/part_extraction.h"
#include "editing/part_extraction_resources.h"
#include "editing/tests/marquee_score.h"
#include "files/score_file.h"
#include "files/stream/score_stream_writer.h"
#include "objects/lyrics/lyric.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box.h"
#include "platform/ui/headless.h"
#include "shell/program/core_startup.h"

namespace ql {
namespace {

using marquee_score::MarqueeScore;
constexpr int kStaves = 3;
constexpr int kMeasures = 8;
constexpr uint8_t kOwnFace = 9;
constexpr char kOwnFaceName[] = "Quaver Garamond";
// The measure objects a cell may hold, one of each drawn at random.
constexpr ObjectType kCellObjects[] = {ObjectType::Text,    ObjectType::TextBox, ObjectType::Clef,
                                       ObjectType::KeySignature, ObjectType::Dynamic, ObjectType::Tempo,
                                       ObjectType::Hairpin, ObjectType::Line,    ObjectType::Widget,
                                       ObjectType::Octave,  ObjectType::Chord,   ObjectType::PedalBracket};

MeasureCell* CellOf(ScoreDocument* document, int staff, int measure) {
    return GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
}

std::string Hex(const void* bytes, size_t count) {
    std::string out;
    char digits[3];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<const uint8_t*>(bytes)[i]);
        out += digits;
    }
    return out;
}

// An object as its document shows it: a text-family body without its record
// handles and caches, with its text and the name of its own face; a text box with
// its text; any other body byte for byte.
std::string Describe(ScoreDocument* document, ScoreObject* object) {
    std::ostringstream out;
    out << int{object->type} << '.' << int{object->subtype} << ':';
    const ScoreObjectClass& cls = ClassOf(object);
    if (dynamic_cast<const TextObjectClass*>(&cls) != nullptr) {
        TextObjectBody body = AsTextObject(object)->body;
        const char* text = (body.flags & kTextOwnsString) != 0 ? TextObjectString(AsTextObject(object)) : "";
        if ((body.flags & kTextOwnFont) != 0) out << document->faceNames[TextFaceIndexOf(body.style)].name;
        body.style = (body.flags & kTextOwnFont) != 0 ? 0 : body.style;
        body.string = (body.flags & kTextOwnsString) != 0 ? 0 : body.string;
        body.stringPool = 0;
        body.fontCache = body.bitmapCache = 0;
        out << '"' << (text != nullptr ? text : "?") << '"' << Hex(&body, sizeof body);
    } else if (object->type == TypeCode(ObjectType::TextBox) || object->type == TypeCode(ObjectType::Label)) {
        out << '"' << GetTextBoxString(object) << '"' << AsTextBox(object)->body.width;
    } else {
        out << Hex(cls.GetBody(object), cls.GetBodySize(object));
    }
    return out.str();
}

std::string DescribeList(ScoreDocument* document, ScoreObject* head) {
    std::string out;
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get())
        out += Describe(document, o) + ' ';
    return out;
}

// Everything one staff's measure holds: its signature bytes, each voice's events
// with their attachments and its rests, and the measure objects.
std::string DescribeCell(ScoreDocument* document, int staff, int measure) {
    ScopedPoolSet pools(document->pools);
    MeasureCell* cell = CellOf(document, staff, measure);
    std::ostringstream out;
    out << Hex(cell, 8) << '|';
    for (int v = 0; v < 4; ++v) {
        for (EventRecord* e = GetVoiceFirstEvent(cell, v); e != nullptr; e = NextEvent(e)) {
            out << v << '@' << e->time << ',' << int{e->step} << ',' << int{e->duration} << ',' << e->word2 << ','
                << (e->flags & ~kEventCopyCleared) << '[';
            for (ScoreObject* a = GetEventAttachment(e); a != nullptr; a = a->next.get())
                out << Describe(document, a) << ' ';
            out << "] ";
        }
        out << "rests " << DescribeList(document, GetVoiceElementList(cell, v)) << '|';
    }
    out << DescribeList(document, cell->objects.get());
    return out.str();
}

std::string DescribeLabels(ScoreDocument* document, int staff) {
    ScopedPoolSet pools(document->pools);
    return DescribeList(document, StaffRecordOf(document, staff)->objects.get());
}

// The saved file of a document.
std::vector<uint8_t> Saved(ScoreDocument* document, ScoreView* view) {
    ScopedPoolSet pools(document->pools);
    ScoreDocument* kept = State().documents.CurrentDocument;
    State().documents.CurrentDocument = document;
    CreateScoreImageForWrite();
    const int failed = WriteScoreStream(document, view);
    CloseScoreFile();
    State().documents.CurrentDocument = kept;
    EXPECT_EQ(failed, 0);
    return TakeScoreImage();
}

class MusicCopyDriver : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(score_.ok());
        RegisterObjectClasses();
        RegisterPartExtractionResources();
        ui::headless::SetDialogScript(extract_part_dialog::kDialog,
                                      [](ui::headless::DialogDriver& dialog) { dialog.Click(ui::kIdOk); });
        a_ = score_.document();
        viewA_ = score_.view();
        viewB_ = InitView(AllocView());
        ASSERT_NE(viewB_, nullptr);
        LinkView(viewB_);
        b_ = AllocDocument();
        ASSERT_TRUE(beatmap_score::Build(b_, viewB_, kStaves, {2}, 4));
        for (int s = 1; s <= kStaves; ++s)
            for (int m = 1; m <= kMeasures; ++m) ASSERT_NE(CellOf(b_, s, m), nullptr);
        Use(a_);
        std::snprintf(a_->faceNames[kOwnFace].name, kFaceNameChars, "%s", kOwnFaceName);
        ClearBlockClipboard();
    }
    void TearDown() override {
        ClearBlockClipboard();
        ui::headless::SetDialogScript(extract_part_dialog::kDialog, {});
        for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
            if (v->document != nullptr && v->document->path == kPartWindowName) {
                ScoreDocument* part = v->document;
                FreeView(v);
                FreeDocument(part);
                break;
            }
        FreeView(viewB_);
        FreeDocument(b_);
        Use(a_);
    }
    void Use(ScoreDocument* document) {
        SetCurrentPoolSet(document->pools);
        State().documents.CurrentDocument = document;
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    ScoreObject* MakeText(ObjectType type, const char* text) {
        ScoreObject* object = ConstructObject(TypeCode(type));
        if (object == nullptr) return nullptr;
        if (dynamic_cast<const TextObjectClass*>(&ClassOf(object)) != nullptr &&
            (type == ObjectType::Text || type == ObjectType::Widget || type == ObjectType::Octave)) {
            SetTextObjectString(AsTextObject(object), text);
            AsTextObject(object)->body.flags |= kTextOwnsString | kTextOwnFont;
            AsTextObject(object)->body.style = kOwnFace;
        }
        if (type == ObjectType::TextBox || type == ObjectType::Label) {
            EXPECT_TRUE(SetTextBoxText(&AsTextBox(object)->body, text, std::strlen(text)));
        }
        return object;
    }
    // Notes of voice 0 (the first tied to the second, lyrics in the score's own
    // face), a rest or two in voice 1, and up to three measure objects.
    void Fill(int staff, int measure) {
        SetCurrentMeasureQuick(viewA_, staff, measure);
        const int notes = Pick(0, 4);
        for (int n = 0; n < notes; ++n) {
            EventRecord* note = score_.Note(staff, measure, 0, n * 1024, Pick(-6, 6));
            ASSERT_NE(note, nullptr);
            if (Pick(0, 1) == 1) {
                TextObject* lyric = NewLyricOnNote(viewA_, note, 1);
                ASSERT_NE(lyric, nullptr);
                SetTextObjectString(lyric, "la");
                lyric->body.flags |= kTextOwnFont;
                lyric->body.style = kOwnFace;
            }
        }
        if (notes >= 2) {
            EventRecord* first = GetVoiceFirstEvent(score_.Cell(staff, measure), 0);
            NextEvent(first)->step = first->step;
            ToggleTie(viewA_, first, 0);
            EXPECT_NE(FindNoteTie(first), nullptr);
        }
        for (int r = Pick(0, 2); r > 0; --r) ASSERT_NE(score_.Rest(staff, measure, 1, (r - 1) * 2048), nullptr);
        ScoreObject* list = GetOrCreateCellObjectList(score_.Cell(staff, measure));
        for (int k = Pick(0, 3); k > 0; --k) {
            ScoreObject* object = MakeText(kCellObjects[Pick(0, std::size(kCellObjects) - 1)], "dolce");
            ASSERT_NE(object, nullptr);
            InsertObjectAfter(list, object);
        }
        RecountCellClefChanges(score_.Cell(staff, measure));
        RecountCellKeyChanges(score_.Cell(staff, measure));
    }
    void FillScore() {
        ScopedPoolSet pools(a_->pools);
        for (int s = 1; s <= kStaves; ++s) {
            for (int m = 1; m <= kMeasures; ++m) Fill(s, m);
            StaffRecord* staff = StaffRecordOf(a_, s);
            if (!staff->objects) staff->objects = Ref32<ScoreObject>::To(AllocRootObject());
            ScoreObject* label = MakeText(ObjectType::Label, s == 1 ? "Violin" : "Viola");
            ASSERT_NE(label, nullptr);
            InsertObjectAfter(staff->objects.get(), label);
        }
    }

    // A block of A pasted at a place of `to`: the copied measures describe as the
    // source's did before the paste; undo and redo give back each saved file.
    void Paste(ScoreDocument* to, ScoreView* view) {
        const int first = Pick(1, kStaves), last = Pick(first, kStaves);
        const int from = Pick(1, kMeasures), until = Pick(from, std::min(kMeasures, from + 3));
        const int staff = Pick(1, kStaves), measure = Pick(1, kMeasures);
        SCOPED_TRACE(testing::Message() << "staves " << first << '-' << last << " measures " << from << '-'
                                        << until << " onto " << staff << '/' << measure
                                        << (to == a_ ? " of the same score" : " of the other score"));
        std::vector<std::string> source;
        for (int s = first; s <= last; ++s)
            for (int m = from; m <= until; ++m) source.push_back(DescribeCell(a_, s, m));
        const std::vector<uint8_t> before = Saved(to, view);
        const std::vector<uint8_t> sourceBefore = Saved(a_, viewA_);
        State().blockClipboard.source = BlockSource{a_, static_cast<uint8_t>(first), static_cast<uint8_t>(last), 0,
                                                    static_cast<int16_t>(from), static_cast<int16_t>(until)};
        SetCurrentMeasureQuick(view, staff, measure);
        ASSERT_EQ(BlockPaste(view), 1);
        const int staves = std::min(last - first + 1, kStaves - staff + 1);
        for (int k = 0; k < staves; ++k)
            for (int i = 0; i <= until - from; ++i)
                EXPECT_EQ(DescribeCell(to, staff + k, measure + i), source[k * (until - from + 1) + i])
                    << "staff " << first + k << " measure " << from + i;
        const std::vector<uint8_t> after = Saved(to, view);
        if (to != a_) {
            EXPECT_EQ(Saved(a_, viewA_), sourceBefore) << "the source score changed";
        }
        UndoCommand(to, view);
        EXPECT_EQ(Saved(to, view), before) << "undo";
        RedoCommand(to, view);
        EXPECT_EQ(Saved(to, view), after) << "redo";
        Use(a_);
    }

    // A part of staves 1..last of A: each of its measures and staff labels as A's.
    void Extract() {
        const int last = Pick(1, kStaves);
        SCOPED_TRACE(testing::Message() << "part of staves 1-" << last);
        const std::vector<uint8_t> sourceBefore = Saved(a_, viewA_);
        ExtractStaves(viewA_, 1, last);
        ScoreView* part = nullptr;
        for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
            if (v->document != nullptr && v->document->path == kPartWindowName) part = v;
        ASSERT_NE(part, nullptr);
        ScoreDocument* doc = part->document;
        for (int s = 1; s <= last; ++s) {
            EXPECT_EQ(DescribeLabels(doc, s), DescribeLabels(a_, s)) << "labels of staff " << s;
            for (int m = 1; m <= doc->header.measureCount; ++m)
                EXPECT_EQ(DescribeCell(doc, s, m), DescribeCell(a_, s, m)) << "staff " << s << " measure " << m;
        }
        EXPECT_EQ(Saved(a_, viewA_), sourceBefore) << "the source score changed";
        FreeView(part);
        FreeDocument(doc);
        Use(a_);
    }

    MarqueeScore score_{kStaves, 2, 4};
    ScoreDocument* a_ = nullptr;
    ScoreView* viewA_ = nullptr;
    ScoreDocument* b_ = nullptr;
    ScoreView* viewB_ = nullptr;
    std::mt19937 random_{static_cast<uint32_t>(GetParam())};
};

TEST_P(MusicCopyDriver, CopiesKeepEveryEventObjectAndLabel) {
    FillScore();
    for (int step = 0; step < 6 && !HasFailure(); ++step) {
        switch (Pick(0, 2)) {
        case 0: Paste(b_, viewB_); break;
        case 1: Paste(a_, viewA_); break;
        default: Extract(); break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MusicCopyDriver, ::testing::Range(1, 13));

}  // namespace
}  // namespace ql
