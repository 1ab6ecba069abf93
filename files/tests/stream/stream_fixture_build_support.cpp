// The builders of the stream fixtures' scores (see stream_fixtures.h): every stored
// field set to a chosen value through the program's constructors.
#include <cstring>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "files/records/music_records.h"
#include "files/tests/stream/stream_fixture_objects.h"
#include "files/tests/stream/stream_fixtures.h"
#include "layout/spacing/spacing_list.h"
#include "notes/accidentals/accidental.h"
#include "notes/rests/rest.h"
#include "objects/text_box/text_box.h"

namespace ql::testing_files {
namespace {

void SetHeader(ScoreHeader& h, int staves, int measures) {
    for (int i = 0; i < kPageDistanceCount; ++i) h.pageDistances[i] = static_cast<uint16_t>(0x0100 + i);
    h.settingsWords[0] = 0x11111111;
    h.settingsWords[1] = 0x22222222;
    h.settingsWords[2] = 0x33333333;
    h.scoreSettingA = 0x0A0A;
    PageRecord& p = h.pageGeometry;
    p.staffSize = 4;
    p.unit = 0;
    p.paperKind = 0;
    p.orientation = 0;
    p.sides = 1;
    p.firstPage = 1;
    p.firstPageNumber = 1;
    p.pageByte7 = 15;
    p.pageBytes8[0] = 0x81;
    p.pageBytes8[1] = 0x82;
    p.userStaffSize = 0x0800;
    p.userPageWidth = 0x1100;
    p.userPageHeight = 0x1600;
    p.degreesPerInch = 16;
    p.measureNumberStyle = 2;
    p.measureNumberEvery = 2;
    p.measureNumberAlign = 1;
    p.measureNumberIsManMeasure = 0;
    p.measureNumberFontClass = 9;
    p.measureNumberIsWindowsFont = 0;
    for (int i = 0; i < 4; ++i) p.numberBytes24[i] = static_cast<uint8_t>(i + 1);
    p.measureNumberOffsetX = -5;
    p.measureNumberOffsetY = 128;
    std::memset(p.numberFaceName, 0, sizeof p.numberFaceName);
    std::strcpy(p.numberFaceName, "Times");
    std::memset(p.numberText, 0, sizeof p.numberText);
    std::strcpy(p.numberText, "No.");
    p.measureNumberFont = 0x1234;  // a handle: not stored
    for (int i = 0; i < 4; ++i) p.numberTail[i] = static_cast<uint8_t>(5 + i);
    h.scoreSettingB = 0x0B0B;
    h.newScoreBlock = NewScoreBlock{0x44444444, 3, 1, 0x0600, 0x0500, 0x10, 0x11, 3};
    h.settings194[0] = 0x19;
    h.settings194[1] = 0x4A;
    h.notePlaybackPercent = 90;
    h.staffCount = static_cast<uint8_t>(staves);
    h.measureCount = static_cast<uint16_t>(measures);
    h.pageCount = 9;  // stale: the writer counts the page list
    h.scoreSettingD = 0x0D0D;
    h.tempo = 96;
    for (int i = 0; i < 2; ++i) h.settings208[i] = static_cast<uint8_t>(0x20 + i);
    h.reformatRequest = 0x2322;
    for (int i = 0; i < kLyricLevelCount; ++i) h.lyricLevels[i] = static_cast<uint16_t>(0x0300 + i);
    h.settings220[0] = 1;  // the on/off setting: on
    for (int i = 1; i < 26; ++i) h.settings220[i] = static_cast<uint8_t>(0xE0 + i);
    h.userPageWidth = 0x0850;
    h.userPageHeight = 0x1100;
    h.settings250[0] = 0x99;  // not stored
    h.settings250[1] = 0x98;
    h.fontSizeSetting = 0x1500;
    const uint16_t left[kMarginCount] = {0x0050, 0x0100, 0x0075, 0x0075};
    const uint16_t right[kMarginCount] = {0x0075, 0x0100, 0x0050, 0x0075};
    std::memcpy(h.leftMargins, left, sizeof left);
    std::memcpy(h.rightMargins, right, sizeof right);
}

void SetFaceNamesAndFonts(ScoreDocument* doc) {
    for (FaceNameEntry& entry : doc->faceNames) entry = FaceNameEntry{};
    std::strcpy(doc->faceNames[0].name, "Port One");
    std::strcpy(doc->faceNames[1].name, "Port Two");
    for (int n = 0; n < kScoreFontCount; ++n) {
        QuickFontRecord& f = doc->fonts[n];
        f = QuickFontRecord{};
        std::strcpy(f.name, ("Font " + std::to_string(n)).c_str());
        std::strcpy(f.face, "Serif");
        f.handle = 0x77;  // not stored
        f.bold = static_cast<uint8_t>(n % 2);
        f.italic = static_cast<uint8_t>((n / 2) % 2);
        f.underline = n % 5 == 0 ? 1 : 0;
        f.slot = static_cast<uint8_t>(n);
        f.height = static_cast<int16_t>(-(100 + n));
        f.charset = static_cast<uint8_t>(n % 3);
    }
}

bool SetStaff(ScoreDocument* doc, ScoreView* view, int s) {
    StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
    if (staff == nullptr || !IsStaffComplete(staff)) return false;
    doc->staves->staves[s] = Ref32<StaffRecord>::To(staff);
    if (s == 0) return true;
    staff->transpositionWord = static_cast<uint16_t>(0x0010 * s);
    staff->flags = 0x0500;
    staff->baseKeyVelocity = 64;
    staff->semitones = static_cast<int8_t>(s - 1);
    for (int t = 0; t < 4; ++t)
        staff->timbres[t] = StaffTimbre{static_cast<uint8_t>(s - 1), static_cast<uint8_t>(s),
                                        static_cast<uint8_t>(10 * s + t), 0};
    for (int i = 0; i < 18; ++i) staff->staffData22[i] = static_cast<uint8_t>(0x10 * s + 0x20 + i);
    return true;
}

bool SetLabel(ScoreDocument* doc, int s, const char* text) {
    StaffRecord* staff = StaffRecordOf(doc, s);
    ScoreObject* label = ConstructObject(TypeCode(ObjectType::Label));
    if (label == nullptr || !staff->objects) return false;
    TextBoxBody& body = AsTextBox(label)->body;
    if (!SetTextBoxText(&body, text, std::strlen(text))) return false;
    body.location = ObjectLocation{5, 0, static_cast<uint8_t>(s), 0};
    body.width = -640;
    body.height = -384;
    body.leading = 14;
    body.style = static_cast<uint16_t>(0x5A30 | (body.style & kTextBoxPoolMask));
    body.keyboardLayout = 0x0409;
    body.carriedWord = 0x1234;
    body.carriedFlags[0] = 0x3F;
    body.carriedFlags[1] = 0x22;
    InsertObjectAfter(staff->objects.get(), label);
    return true;
}

// Measure records 1 to M + 1, without spacing entries.
void SetMeasures(ScoreDocument* doc, int measures) {
    for (int m = 1; m <= measures + 1; ++m) {
        MeasureRecord& r = doc->measureTable[m];
        FreeSpacingList(r.spacing);
        r.flags = 0;
        r.measureData1 = static_cast<uint8_t>(m);
        r.barline = m == measures ? 0x04 : 0x01;
        r.repeatCount = 0;
        r.lengthTicks = 4096;
        r.width = static_cast<uint16_t>(1000 + 10 * m);
        r.lead = 32;
        r.trail = -16;
        r.layoutData14 = static_cast<uint16_t>(0x0E00 + m);
        r.extra = 0;
        r.layoutData17 = 0x17;
        r.stretch = 2816;
        for (int i = 0; i < 5; ++i) r.measureData20[i] = static_cast<uint8_t>(i == 0 ? m : 0);
        r.numberFlags = 0;
        r.number = static_cast<uint16_t>(m);
    }
}

// Two spacing entries in measure 1, one in measure 4.
bool SetSpacing(ScoreDocument* doc) {
    SpacingEntry* first = InsertSpacingEntry(doc->measureTable[1], nullptr, 0, 2048, 0x0180);
    if (first == nullptr || InsertSpacingEntry(doc->measureTable[1], first, 2048, 2048, 0x0140) == nullptr)
        return false;
    return InsertSpacingEntry(doc->measureTable[4], nullptr, 0, 4096, 0x0100) != nullptr;
}

void SetCellHeaders(ScoreDocument* doc, int staves, int measures) {
    for (int s = 1; s <= staves; ++s)
        for (int m = 1; m <= measures; ++m) {
            MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, s), doc, m);
            cell->clefKey = static_cast<uint8_t>(s - 1);
            cell->cellData1 = 0;
            cell->cellWord = 0;
            cell->cellFlags = 0;
            cell->beats = 4;
            cell->beatUnit = 10;
            cell->cellData7 = static_cast<uint8_t>(m);
        }
}

// Every stored field of an event (the links are the chain's).
void SetEvent(EventRecord* e, uint16_t flags, uint8_t step, uint16_t time, uint8_t duration) {
    e->flags = flags;
    e->word2 = 0x0001;
    e->velocity = -4;
    e->step = step;
    e->stemWord = 0x0200;
    e->attack = 6;
    e->release = -6;
    e->stemLength = -448;
    e->time = time;
    e->duration = duration;
    e->crossStaffPosition = 0x80;
    e->tupletKind = 0;
    e->tupletRatio = 0;
    e->outerRatio = 0;
    e->nudge = 0;
}

bool SetEvents(ScoreDocument* doc, ScoreView* view) {
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, 1), doc, 1);
    view->currentCell = cell;
    EventRecord* a = AddEventToVoice(view, cell, 0, 0, 10, 4);
    EventRecord* b = AddEventToVoice(view, cell, 0, 1024, 10, 6);
    if (a == nullptr || b == nullptr) return false;
    ScoreObject* accidental = NewAccidentalForNote(view, a);
    if (accidental == nullptr) return false;
    ApplyAccidentalWord(accidental, AccidentalWord{-96, true, false});
    SetEvent(a, 0x0047, 4, 0, 10);  // chord head, accidental code 3, initialised
    SetEvent(b, 0x0041, 6, 1024, 10);
    a->beamNext = HandleOfEvent(b);
    b->beamPrev = HandleOfEvent(a);
    // Each object attached goes right after the accidental: the last type first.
    for (auto type = kAttachedTypes.rbegin(); type != kAttachedTypes.rend(); ++type) {
        ScoreObject* attached = MakeFixtureObject(doc, *type);
        if (attached == nullptr || AttachObjectToNote(view, a, attached) != 1) return false;
    }
    MeasureCell* other = GetOrCreateMeasureCell(StaffRecordOf(doc, 2), doc, 5);
    view->currentCell = other;
    EventRecord* c = AddEventToVoice(view, other, 2, 2048, 11, 0xFE);
    if (c == nullptr) return false;
    SetEvent(c, 0x0041, 0xFE, 2048, 11);
    return true;
}

bool AddRest(ScoreView* view, MeasureCell* cell, int voice, const RestBody& body) {
    view->currentCell = cell;
    ScoreObject* rest = NewRestFromImport(view, voice, body.tick, body.code, 0);
    if (rest == nullptr) return false;
    *RestBodyOf(rest) = body;
    return true;
}

bool SetRests(ScoreDocument* doc, ScoreView* view) {
    MeasureCell* s1m3 = GetOrCreateMeasureCell(StaffRecordOf(doc, 1), doc, 3);
    MeasureCell* s2m1 = GetOrCreateMeasureCell(StaffRecordOf(doc, 2), doc, 1);
    return AddRest(view, s1m3, 0, RestBody{0, 0, 12, 0, -4, 0, 0, 0, 0}) &&
           AddRest(view, s2m1, 1, RestBody{0, 1, 11, -2, 2, 0, 0, 0, 0x01}) &&
           AddRest(view, s2m1, 1, RestBody{2048, 0, 11, 0, 2, 1, 1, 0, 0});
}

bool FillList(ScoreDocument* doc, ScoreObject* head, const std::vector<uint8_t>& types) {
    ScoreObject* tail = head;
    while (tail->next.get() != nullptr) tail = tail->next.get();
    for (uint8_t type : types) {
        ScoreObject* object = MakeFixtureObject(doc, type);
        if (object == nullptr) return false;
        object->subtype = 0;
        InsertObjectAfter(tail, object);
        tail = object;
    }
    return true;
}

bool SetCellObjects(ScoreDocument* doc) {
    const struct {
        int staff, measure;
        const std::vector<uint8_t>& types;
    } lists[] = {{1, 2, kStaff1Measure2Types}, {2, 3, kStaff2Measure3Types}, {3, 4, kStaff3Measure4Types}};
    for (const auto& list : lists) {
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, list.staff), doc, list.measure);
        if (cell == nullptr || !cell->objects || !FillList(doc, cell->objects.get(), list.types)) return false;
    }
    return true;
}

void SetSystem(ScoreSystem* s, uint16_t first, uint16_t last, int staves) {
    s->number = 1;
    s->keepNaturalWidth = 0;
    s->firstMeasure = first;
    s->lastMeasure = last;
    s->x = -30720 + 256;
    s->y = -30720 + 1024;
    const uint16_t offsets[] = {0, 0x0100, 0x0500, 0x0900};
    const int8_t flags[] = {0, 0, 1, 0};
    for (int k = 1; k <= staves; ++k) {
        StaffOffsetsOf(s)[k] = offsets[k];
        StaffFlagsOf(s)[k] = flags[k];
    }
}

void SetPageFields(ScorePage* page, const int32_t (&data)[4], uint16_t first, uint16_t last,
                   int16_t number) {
    std::memcpy(page->pageData, data, sizeof data);
    page->firstMeasure = first;
    page->lastMeasure = last;
    page->systemCount = 5;  // stale: the writer counts the chain
    page->pageNumber = number;
}

// Page 1 with its one system over measures 1 to `last`, and the masters; every
// margin object set.
bool SetFirstPage(ScoreDocument* doc, int last, int staves) {
    ScorePage* first = doc->firstPage;
    ScoreSystem* system = first->firstSystem.get();
    if (system == nullptr) return false;
    ResizeSystemArrays(system, 1, staves);
    if (!HasSystemArrays(system)) return false;
    SetSystem(system, 1, static_cast<uint16_t>(last), staves);
    SetPageFields(first, {100, -200, 70000, 3}, 1, static_cast<uint16_t>(last), 1);
    SetPageFields(doc->leftMaster, {0, 0, 0, 0}, 0, 0, -2);
    SetPageFields(doc->rightMaster, {0, 0, 0, 0}, 0, 0, -1);
    for (ScorePage* page : {doc->leftMaster, doc->rightMaster, first})
        if (!page->margins || !FillFixtureObject(doc, page->margins.get())) return false;
    return true;
}

// Page 2 of the full score (measures 4 to 6) and page 1's objects.
bool AddSecondPage(ScoreDocument* doc, ScoreView* view) {
    ScorePage* first = doc->firstPage;
    ScorePage* second = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    if (second == nullptr) return false;
    first->next = Ref32<ScorePage>::To(second);
    second->previous = Ref32<ScorePage>::To(first);
    ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view);
    if (system == nullptr || !HasSystemArrays(system) || !second->margins) return false;
    second->firstSystem = Ref32<ScoreSystem>::To(system);
    SetSystem(system, 4, 6, kFullScoreStaves);
    SetPageFields(second, {0, 0, 0, 0}, 4, 6, 2);
    return FillFixtureObject(doc, second->margins.get()) && FillList(doc, first->margins.get(), kPage1Types);
}

// The parts both scores share: header, port names and fonts, staves, measures, cells.
bool BuildCommonParts(ScoreDocument* doc, ScoreView* view, int staves, int measures) {
    SetHeader(doc->header, staves, measures);
    SetFaceNamesAndFonts(doc);
    for (int s = 0; s <= staves; ++s)
        if (!SetStaff(doc, view, s)) return false;
    SetMeasures(doc, measures);
    SetCellHeaders(doc, staves, measures);
    return true;
}

}  // namespace

bool BuildOneStaffScore(ScoreDocument* doc, ScoreView* view) {
    return BuildCommonParts(doc, view, 1, 1) && SetFirstPage(doc, 1, 1);
}

bool BuildFullScore(ScoreDocument* doc, ScoreView* view) {
    if (!BuildCommonParts(doc, view, kFullScoreStaves, kFullScoreMeasures)) return false;
    if (!SetLabel(doc, 1, "Flute") || !SetLabel(doc, 3, "") || !SetSpacing(doc)) return false;
    return SetEvents(doc, view) && SetRests(doc, view) && SetCellObjects(doc) &&
           SetFirstPage(doc, 3, kFullScoreStaves) && AddSecondPage(doc, view);
}

}  // namespace ql::testing_files
