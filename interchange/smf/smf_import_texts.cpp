// Meta texts and tempo changes of an imported file into score objects.
#include "interchange/smf/smf_import_texts.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/shell_services.h"
#include "core/units/paper_size.h"
#include "interchange/imported_marks.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/text_marks/text_line.h"
#include "sequencer/channel_events.h"
#include "sequencer/transcription_grid.h"
#include "sequencer/transcription_stream.h"

namespace ql {
namespace {

constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaCopyright = 0x02;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaInstrument = 0x04;
constexpr uint8_t kMetaLyric = 0x05;
constexpr size_t kLongestText = kDisplayTextBytes - 1;

// A staff's title state: what its name texts have done so far.
constexpr uint8_t kNoTitle = 0;
constexpr uint8_t kInstrumentApplied = 1;
constexpr uint8_t kTrackNameKept = 2;
constexpr uint8_t kLabelMade = 3;

// The text of a meta event: its bytes up to the first zero, as they stand.
std::string TextOf(std::span<const uint8_t> data) {
    std::string text(data.begin(), std::find(data.begin(), data.end(), uint8_t{0}));
    if (text.size() > kLongestText) text.resize(kLongestText);
    return text;
}

int32_t SnappedPosition(int staff) {
    return SnapToGrid(StaffPositionTicks(staff), CurrentQuantizeSettings().attack);
}

// The cell of the staff's current measure (staff 1's for the signature track), or
// null beyond the score.
MeasureCell* CurrentCell(ScoreView* view, int staff) {
    ScoreDocument* document = view->document;
    const int measure = TranscriptionStaffState(staff).currentMeasure;
    if (measure < 1 || measure > document->header.measureCount) return nullptr;
    StaffRecord* record = StaffRecordOf(document, std::max(staff, 1));
    return record != nullptr ? GetOrCreateMeasureCell(record, document, measure) : nullptr;
}

// Links `object` at the staff's current place; releases it when it has no place.
ScoreObject* AppendAtCurrentPlace(ImportTexts& texts, ScoreView* view, int staff, ScoreObject* object) {
    if (object == nullptr) return nullptr;
    MeasureCell* cell = CurrentCell(view, staff);
    if (cell == nullptr ||
        !AppendAtMeasurePosition(cell, object, SnappedPosition(staff), &texts.ends[static_cast<size_t>(staff)])) {
        ReleaseObjectByType(view->document, object);
        return nullptr;
    }
    return object;
}

ScoreObject* TextLineHere(ImportTexts& texts, ScoreView* view, int staff, const std::string& text, uint8_t style) {
    if (CurrentCell(view, staff) == nullptr) return nullptr;
    ScoreObject* object = ConstructTextLineWithText(view, text.c_str());
    if (object != nullptr && style != 0) AsTextObject(object)->body.style = style;
    return AppendAtCurrentPlace(texts, view, staff, object);
}

void DropTrackName(ImportTexts& texts, ScoreView* view, int staff) {
    ScoreObject*& line = texts.trackNames[static_cast<size_t>(staff)];
    if (line == nullptr) return;
    for (CellListEnd& end : texts.ends) end.Forget(line);
    UnlinkObject(line);
    ReleaseObjectByType(view->document, line);
    line = nullptr;
}

// A text on a staff's own track: at the start of measure 1 it names the staff (a
// track name just met gives way to it); elsewhere a text line.
void ImportStaffText(ImportTexts& texts, ScoreView* view, int staff, const std::string& text) {
    if (texts.singleTrack) {
        TextLineHere(texts, view, staff, text, kImportedTextStyle);
        return;
    }
    TranscriptionStaff& state = TranscriptionStaffState(staff);
    const bool inFirstMeasure = state.currentMeasure == 1;
    if (inFirstMeasure && SnappedPosition(staff) == 0 && state.titleState == kTrackNameKept) {
        DropTrackName(texts, view, staff);
        state.titleState = kNoTitle;
    }
    if (inFirstMeasure && state.titleState == kNoTitle) {
        texts.labels[static_cast<size_t>(staff)] = text;
        state.titleState = kLabelMade;
        return;
    }
    TextLineHere(texts, view, staff, text, kImportedTextStyle);
}

void ImportInstrumentName(ImportTexts& texts, ScoreView* view, int staff, const std::string& text) {
    TranscriptionStaff& state = TranscriptionStaffState(staff);
    ScoreObject* line = texts.trackNames[static_cast<size_t>(staff)];
    if (state.titleState == kTrackNameKept && line != nullptr &&
        SetTextObjectString(AsTextObject(line), text.c_str()) >= 0) {
        state.titleState = kInstrumentApplied;
        return;
    }
    TextLineHere(texts, view, staff, text, texts.singleTrack ? kImportedTextStyle : 0);
}

// A single-track file's track name: the first met at the start of measure 1 names
// the staff (PlaceImportTexts decides how); any other is a text where it falls.
void ImportSingleTrackName(ImportTexts& texts, ScoreView* view, int staff, const std::string& text) {
    TranscriptionStaff& state = TranscriptionStaffState(staff);
    if (state.currentMeasure == 1 && SnappedPosition(staff) == 0 && state.titleState == kNoTitle) {
        texts.labels[static_cast<size_t>(staff)] = text;
        state.titleState = kLabelMade;
        return;
    }
    TextLineHere(texts, view, staff, text, kImportedTextStyle);
}

}  // namespace

void BeginImportTexts(ImportTexts& texts, int staffCount, bool singleTrack) {
    const size_t slots = static_cast<size_t>(std::max(staffCount, 0)) + 1;
    texts.singleTrack = singleTrack;
    texts.titles.clear();
    texts.notices.clear();
    texts.labels.assign(slots, std::string());
    texts.trackNames.assign(slots, nullptr);
    texts.ends.assign(slots, CellListEnd{});
}

void ImportMetaText(ImportTexts& texts, ScoreView* view, int staff, uint8_t type, std::span<const uint8_t> data) {
    if (view == nullptr || view->document == nullptr || staff < 0 ||
        static_cast<size_t>(staff) >= texts.labels.size())
        return;
    std::string text = TextOf(data);
    if (text.empty()) return;
    switch (type) {
        case kMetaText:
            if (staff != 0) {
                ImportStaffText(texts, view, staff, text);
            } else if (texts.titles.size() < kMostTitleLines) {
                std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
                if (!text.empty()) texts.titles.push_back(std::move(text));
            }
            break;
        case kMetaCopyright: texts.notices.push_back(std::move(text)); break;
        case kMetaTrackName:
            if (staff == 0) break;
            if (texts.singleTrack) {
                ImportSingleTrackName(texts, view, staff, text);
                break;
            }
            if (ScoreObject* line = TextLineHere(texts, view, staff, text, 0)) {
                texts.trackNames[static_cast<size_t>(staff)] = line;
                TranscriptionStaffState(staff).titleState = kTrackNameKept;
            }
            break;
        case kMetaInstrument: ImportInstrumentName(texts, view, staff, text); break;
        case kMetaLyric: TextLineHere(texts, view, staff, text, kImportedTextStyle); break;
        default: break;
    }
}

ScoreObject* ImportTempoMark(ImportTexts& texts, ScoreView* view, int staff, int beatsPerMinute) {
    if (static_cast<size_t>(staff) >= texts.ends.size() || view == nullptr || view->document == nullptr || CurrentCell(view, staff) == nullptr) return nullptr;
    ScoreObject* mark = ConstructObject(TypeCode(ObjectType::Tempo));
    if (mark == nullptr) return nullptr;
    ConstructTempoForView(mark, view);
    MidiAction& action = *MidiActionOfText(mark);
    const auto value =
        static_cast<int16_t>(std::clamp(beatsPerMinute, 1, TempoMaximumBeats(TempoUnit::Quarter, false)));
    action.head.values.value = value;
    action.head.values.finalValue = value;
    action.flags |= kMidiFlagEnabled;
    if (Options().HideTEMPO != 0) AsTextObject(mark)->body.flags |= kTextHidden;
    return AppendAtCurrentPlace(texts, view, staff, mark);
}

void PlaceImportTexts(const ImportTexts& texts, ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->document->firstPage == nullptr) return;
    ShowPageInView(view, 0);
    const int staves = view->document->header.staffCount;
    std::vector<std::string> titles = texts.titles;
    for (size_t staff = 1; staff < texts.labels.size() && static_cast<int>(staff) <= staves; ++staff) {
        const std::string& label = texts.labels[staff];
        if (label.empty()) continue;
        // A single-track file's name too long for the indent is the piece's title.
        if (texts.singleTrack && !ImportedLabelFitsOneLine(view, label))
            titles.insert(titles.begin(), label);
        else
            PlaceImportedStaffLabel(view, static_cast<int>(staff), label);
    }
    ShowPageInView(view, 0);
    PageExtentOf(view);
    const int32_t centre = (kLogicalOrigin + view->PageRight) / 2;
    if (!titles.empty()) {
        const int32_t height = ImportedTextHeight(view, kTitleStyle);
        int32_t y = kLogicalOrigin;
        for (const std::string& title : titles)
            PlaceImportedPageText(view, title, {centre, y += height}, kTitleStyle);
    }
    if (!texts.notices.empty()) {
        const int32_t height = ImportedTextHeight(view, kImportedTextStyle);
        int32_t y = view->PageBottom - height * static_cast<int32_t>(texts.notices.size() + 1);
        for (const std::string& notice : texts.notices)
            PlaceImportedPageText(view, notice, {centre, y += height}, kImportedTextStyle);
    }
    SettleImportedPageTexts(view);
}

}  // namespace ql
