// The engraving check. Each page is made the view's page (its beat maps built as
// the paint builds them) and painted on a recording surface with a listener on text
// output; each glyph or text run the paint draws is kept with its ink box, the
// painter's stage and object at that moment, and the view's system, staff and
// measure. The marks are then compared with one another and with the page, the
// systems' staves and the measures' barlines; the note columns are read from the
// beat map the notes are drawn from.
#include "display/engraving_check.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_drawing.h"
#include "core/draw/ink_tag.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/engraving_collisions.h"
#include "display/engraving_marks.h"
#include "display/engraving_stems.h"
#include "display/painter.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/recording.h"
#include "platform/gfx/stroke_tap.h"
#include "platform/text/text_ink_tap.h"

namespace ql {

namespace {

// Two times of a voice nearer than a note head's width stand in one column: their
// heads run into one black shape.
constexpr int32_t kFullStaffHeight = 512;
constexpr int kFullSizePercent = 100;
constexpr int kMaxPageSystems = 255;
// A black head's width when the glyph table gives none: a space and a third.
constexpr int32_t kPlainHeadWidth = 167;

// The page being checked, its number and what was found on it.
class PageCheck {
  public:
    PageCheck(ScoreView* view, ScorePage* page, int pageNumber, platform::DcHandle surface,
              std::vector<EngravingFinding>* out)
        : view_(view), page_(page), number_(pageNumber), out_(out), surface_(surface) {}

    void Keep(const text::TextInk& ink) {
        if (ink.dc != surface_) return;
        Record(MarkOfText(ink, ink.face == kMusicFontFace));
    }

    void Keep(const gfx::StrokeInk& ink) {
        InkMark kept;
        if (ink.dc != surface_ || !MarkOfStroke(ink, &kept)) return;
        Record(std::move(kept));
    }

    void Check() {
        CheckSystems();
        CheckInkOnPage();
        CheckEventsInMeasures();
        CheckColumns();
        CheckCollisions();
        CheckLinesBesideStaves();
        CheckStems();
    }

  private:
    // Keeps the mark with the system, staff and measure being drawn.
    void Record(InkMark kept) {
        const ScoreObject* object = kept.object;
        const bool pageItem =
            object != nullptr && object->subtype == static_cast<uint8_t>(ObjectSubtype::PageList);
        if (!pageItem && view_->currentSystem != nullptr) {
            kept.system = SystemIndex(view_->currentSystem);
            kept.staff = view_->currentStaff;
            kept.measure = view_->currentMeasure;
        }
        inks_.push_back(std::move(kept));
    }

    int SystemIndex(const ScoreSystem* wanted) const {
        int n = 1;
        for (const ScoreSystem* s = page_->firstSystem.get(); s != nullptr && n <= kMaxPageSystems;
             s = s->next.get(), ++n)
            if (s == wanted) return n;
        return 0;
    }

    void Find(FindingKind kind, int system, int staff, int measure, std::string what) {
        out_->push_back(EngravingFinding{kind, number_, system, staff, measure, std::move(what)});
    }
    void Find(FindingKind kind, const InkMark& at, std::string what) {
        Find(kind, at.system, at.staff, at.measure, std::move(what));
    }

    int32_t StaffHeight(int staff) const {
        const StaffRecord* record = StaffRecordOf(view_->document, staff);
        const int percent = record != nullptr ? StaffSizePercent(*record) : 0;
        return kFullStaffHeight * (percent != 0 ? percent : kFullSizePercent) / kFullSizePercent;
    }

    // The top and bottom lines of each shown staff of the system. A staff's y is its
    // bottom line; its lines are drawn upward from it.
    std::vector<std::pair<int32_t, int32_t>> ShownStaffLines(const ScoreSystem* system) const {
        const int8_t* flags = StaffFlagsOf(system);
        const uint16_t* offsets = StaffOffsetsOf(system);
        std::vector<std::pair<int32_t, int32_t>> lines;
        for (int staff = 1; flags != nullptr && offsets != nullptr && staff <= view_->document->header.staffCount;
             ++staff) {
            if (flags[staff] < 0) continue;
            const int32_t y = system->y + offsets[staff];
            lines.emplace_back(y - StaffHeight(staff), y);
        }
        return lines;
    }

    // Top line of the first shown staff to the bottom line of the last.
    std::pair<int32_t, int32_t> StaffExtent(const ScoreSystem* system) const {
        const auto lines = ShownStaffLines(system);
        if (lines.empty()) return {0, 0};
        return {lines.front().first, lines.back().second};
    }

    // A black note head's width on the staff.
    int32_t HeadWidth(int staff) const {
        const int32_t full = view_->glyphWidths.black > 0 ? view_->glyphWidths.black : kPlainHeadWidth;
        return full * StaffHeight(staff) / kFullStaffHeight;
    }

    int LastSlot(const ScoreSystem* system) const {
        return std::clamp(system->lastMeasure - system->firstMeasure + 1, 1, kLastBeatMapSlot - 1);
    }
    int32_t SlotLeft(const ScoreSystem* system, int slot) const {
        const int row = system->number;
        if (row < 0 || row >= kBeatMapRows) return system->x;
        return system->x + view_->beatMap.slotX[BeatMapCell(row, slot)];
    }

    // A view given no page size (the scratch views of some tests) has no edges to pass.
    bool HasPageEdges() const { return view_->PageRight > kLogicalOrigin && view_->PageBottom > kLogicalOrigin; }

    void CheckSystems() {
        const ScoreSystem* previous = nullptr;
        std::pair<int32_t, int32_t> previousExtent;
        int n = 1;
        for (const ScoreSystem* s = page_->firstSystem.get(); s != nullptr && n <= kMaxPageSystems;
             s = s->next.get(), ++n) {
            const auto extent = StaffExtent(s);
            const int32_t right = SlotLeft(s, LastSlot(s) + 1);
            if (HasPageEdges() && (extent.first < kLogicalOrigin || extent.second > view_->PageBottom || s->x < kLogicalOrigin ||
                right > view_->PageRight))
                Find(FindingKind::SystemOffPage, n, 0, s->firstMeasure,
                     "staves from y " + std::to_string(extent.first - kLogicalOrigin) + " to " +
                         std::to_string(extent.second - kLogicalOrigin) + ", x to " +
                         std::to_string(right - kLogicalOrigin) + " on a page of " +
                         std::to_string(view_->PageRight - kLogicalOrigin) + " by " +
                         std::to_string(view_->PageBottom - kLogicalOrigin));
            if (previous != nullptr && extent.first < previousExtent.second)
                Find(FindingKind::SystemsOverlap, n, 0, s->firstMeasure,
                     "its top staff line stands " + std::to_string(previousExtent.second - extent.first) +
                         " units into system " + std::to_string(n - 1));
            previous = s;
            previousExtent = extent;
        }
    }

    // Ink stands on the paper; a system's staff lines and barlines stand inside the
    // page's margins too (the marks over and under its staves may reach into them).
    void CheckInkOnPage() {
        if (!HasPageEdges()) return;
        PageMargins margins;
        const bool hasMargins = GetPageMargins(page_, &margins);
        const gfx::Rect inside{kLogicalOrigin + margins.logical[0], kLogicalOrigin + margins.logical[1],
                               view_->PageRight - margins.logical[2], view_->PageBottom - margins.logical[3]};
        const auto within = [](const gfx::Rect& box, const gfx::Rect& area) {
            return box.left >= area.left - kTouch && box.top >= area.top - kTouch && box.right <= area.right + kTouch &&
                   box.bottom <= area.bottom + kTouch;
        };
        const gfx::Rect paper{kLogicalOrigin, kLogicalOrigin, view_->PageRight, view_->PageBottom};
        int inMargin = -1;  // the last system found in the margin: one finding each
        for (const InkMark& ink : inks_) {
            const std::string what = std::string(MarkName(ink.mark)) + (ink.text.empty() ? "" : " \"" + ink.text + "\"") +
                                     " at " + Place(ink.box);
            if (!within(ink.box, paper))
                Find(FindingKind::GlyphOffPage, ink, what + " past the page's edge");
            else if (hasMargins && (ink.mark == Mark::StaffLine || ink.mark == Mark::Barline) &&
                     ink.system != inMargin && !within(ink.box, inside)) {
                Find(FindingKind::InkInMargin, ink, what + " in the margin past " + Place(inside));
                inMargin = ink.system;
            }
        }
    }

    const ScoreSystem* SystemAt(int index) const {
        int n = 1;
        for (const ScoreSystem* s = page_->firstSystem.get(); s != nullptr && n <= kMaxPageSystems;
             s = s->next.get(), ++n)
            if (n == index) return s;
        return nullptr;
    }

    // Note heads and rests stand between their measure's barlines.
    void CheckEventsInMeasures() {
        for (const InkMark& ink : inks_) {
            if (ink.mark != Mark::Head && ink.mark != Mark::Rest) continue;
            const ScoreSystem* system = SystemAt(ink.system);
            if (system == nullptr || ink.measure < system->firstMeasure || ink.measure > system->lastMeasure) continue;
            const int slot = ink.measure - system->firstMeasure + 1;
            if (slot > kLastBeatMapSlot - 1) continue;
            const int32_t left = SlotLeft(system, slot);
            const int32_t right = SlotLeft(system, slot + 1);
            if (ink.box.left >= left - kTouch && ink.box.right <= right + kTouch) continue;
            Find(FindingKind::EventOutsideMeasure, ink,
                 std::string(MarkName(ink.mark)) + " inked from x " + std::to_string(ink.box.left - system->x) + " to " +
                     std::to_string(ink.box.right - system->x) + ", barlines at " + std::to_string(left - system->x) +
                     " and " + std::to_string(right - system->x));
        }
    }

    // The times of one voice of a cell: its chords and its rests.
    static std::vector<int> VoiceTimes(MeasureCell* cell, int voice) {
        std::vector<int> times;
        const EventRecord* event = GetVoiceFirstEvent(cell, voice);
        for (int n = 0; event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength; ++n) {
            times.push_back(event->time);
            event = NextEvent(event);
        }
        const ScoreObject* element = GetVoiceFirstElement(cell, voice);
        for (int n = 0; element != nullptr && n < kMaxChainLength; ++n, element = element->next.get())
            if (element->type == TypeCode(ObjectType::Rest)) times.push_back(ElementTime(element));
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        return times;
    }

    // Every time of a voice stands right of the one before it.
    void CheckColumns() {
        ScoreDocument* document = view_->document;
        int n = 1;
        for (ScoreSystem* s = page_->firstSystem.get(); s != nullptr && n <= kMaxPageSystems; s = s->next.get(), ++n) {
            const int8_t* flags = StaffFlagsOf(s);
            for (int staff = 1; flags != nullptr && staff <= document->header.staffCount; ++staff) {
                if (flags[staff] < 0) continue;
                for (int measure = s->firstMeasure; measure <= s->lastMeasure; ++measure) {
                    const int slot = measure - s->firstMeasure + 1;
                    if (slot > kLastBeatMapSlot - 1) break;
                    MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
                    for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice)
                        CheckVoice(s, n, staff, measure, slot, VoiceTimes(cell, voice), voice);
                }
            }
        }
    }

    void CheckVoice(ScoreSystem* system, int index, int staff, int measure, int slot, const std::vector<int>& times,
                    int voice) {
        for (size_t i = 1; i < times.size(); ++i) {
            const int a = SlotTickToX(view_, system, slot, times[i - 1]);
            const int b = SlotTickToX(view_, system, slot, times[i]);
            if (b - a >= HeadWidth(staff)) continue;
            const FindingKind kind = b >= a ? FindingKind::SharedColumn : FindingKind::TimeGoesBack;
            Find(kind, index, staff, measure,
                 "voice " + std::to_string(voice + 1) + ": tick " + std::to_string(times[i]) + " at x " +
                     std::to_string(b) + ", tick " + std::to_string(times[i - 1]) + " at x " + std::to_string(a));
            return;  // one finding per voice
        }
    }

    // The lines of hairpins, octave lines, pedal brackets, endings and brackets stand
    // above or below the staves, never between a staff's top and bottom lines.
    static bool StandsBesideStaves(const ScoreObject* object) {
        if (object == nullptr) return false;
        switch (static_cast<ObjectType>(object->type)) {
            case ObjectType::Hairpin:
            case ObjectType::PedalBracket:
            case ObjectType::Widget:
            case ObjectType::RepeatEnding:
            case ObjectType::Octave:
                return true;
            default:
                return false;
        }
    }

    void CheckLinesBesideStaves() {
        std::vector<std::pair<int, gfx::Rect>> staves;  // system and the staff's lines
        int n = 1;
        for (const ScoreSystem* s = page_->firstSystem.get(); s != nullptr && n <= kMaxPageSystems;
             s = s->next.get(), ++n) {
            const int32_t right = SlotLeft(s, LastSlot(s) + 1);
            for (const auto& [top, bottom] : ShownStaffLines(s)) staves.emplace_back(n, gfx::Rect{s->x, top, right, bottom});
        }
        const ScoreObject* told = nullptr;
        for (const InkMark& ink : inks_) {
            if (ink.mark != Mark::Line || ink.object == told || !StandsBesideStaves(ink.object)) continue;
            for (const auto& [system, lines] : staves) {
                if (!InkMeets(ink, lines)) continue;
                Find(FindingKind::LineInStaff, ink,
                     "line at " + Place(ink.box) + " inside the staff lines " + Place(lines) + " of system " +
                         std::to_string(system));
                told = ink.object;
                break;
            }
        }
    }

    void CheckStems() {
        FindStemFaults(inks_, [this](FindingKind kind, const InkMark& at, std::string what) {
            Find(kind, at, std::move(what));
        });
    }

    void CheckCollisions() {
        FindCollisions(inks_, HeadWidth(0), [this](FindingKind kind, const InkMark& at, std::string what) {
            Find(kind, at, std::move(what));
        });
    }

    ScoreView* view_;
    ScorePage* page_;
    int number_;
    std::vector<EngravingFinding>* out_;
    platform::DcHandle surface_;
    std::vector<InkMark> inks_;
};

// A document whose glyph table was never measured (a score a test made without a
// window) is checked as a window shows it: the table is measured for the check, and
// the document's and the program's tables are put back afterwards.
class MeasuredGlyphs {
  public:
    explicit MeasuredGlyphs(ScoreView* view) : document_(view->document) {
        if (GlyphMetricOf(*document_, kBlackHeadCode).advance != 0) return;
        DrawingGlobals& d = State().drawing;
        measured_ = true;
        std::memcpy(documentTable_, document_->glyphMetrics, sizeof documentTable_);
        std::memcpy(programTable_, d.GlyphTable, sizeof programTable_);
        built_ = d.GlyphTableBuilt;
        reported_ = d.GlyphTableFailureReported;
        BuildGlyphMetrics(view);
    }
    ~MeasuredGlyphs() {
        if (!measured_) return;
        DrawingGlobals& d = State().drawing;
        std::memcpy(document_->glyphMetrics, documentTable_, sizeof documentTable_);
        std::memcpy(d.GlyphTable, programTable_, sizeof programTable_);
        d.GlyphTableBuilt = built_;
        d.GlyphTableFailureReported = reported_;
    }
    MeasuredGlyphs(const MeasuredGlyphs&) = delete;
    MeasuredGlyphs& operator=(const MeasuredGlyphs&) = delete;

  private:
    ScoreDocument* document_;
    bool measured_ = false;
    uint8_t documentTable_[kGlyphMetricCount][kGlyphMetricBytes] = {};
    GlyphMetricEntry programTable_[kGlyphTableEntries] = {};
    uint8_t built_ = 0;
    uint8_t reported_ = 0;
};

}  // namespace

bool PaintEachPage(ScoreView* view, const PageVisit& visit) {
    if (view == nullptr || view->document == nullptr) return true;
    ScoreDocument* document = view->document;
    ScorePage* const page = view->currentPage;
    ScoreSystem* const system = view->currentSystem;
    const int pageView = view->pageView;
    const platform::DcHandle surface = gfx::CreateRecordingContext({});
    const platform::DcHandle savedPaint = State().drawing.PaintDC;
    const auto savedArea = State().display.painter.paintRect;
    const auto savedActive = State().display.painter.paintRectActive;
    const bool madeFonts = !State().drawing.MusicFont && CreateMusicFonts();
    const bool madeColours = !State().drawing.GreyPen && CreateColourSets();
    State().drawing.PaintDC = surface;
    view->pageView = 1;
    bool whole = true;
    int index = 1;
    for (ScorePage* p = document->firstPage; p != nullptr && whole; p = p->next.get(), ++index) {
        view->currentPage = p;
        view->currentSystem = p->firstSystem.get();
        if (view->currentSystem == nullptr) continue;
        UpdateBeatMaps(view, 0);
        State().display.painter.paintRect = PaintArea{kLogicalOrigin, kLogicalOrigin, view->PageRight, view->PageBottom};
        State().display.painter.paintRectActive = 1;
        whole = visit(p, index, surface, [view, surface] {
            BeginViewDraw(view);
            DrawScoreContents(view);
            EndViewDraw(view);
            gfx::ClearRecording(surface);
        });
    }
    State().drawing.PaintDC = savedPaint;
    State().display.painter.paintRect = savedArea;
    State().display.painter.paintRectActive = savedActive;
    gfx::DeleteContext(surface);
    if (madeColours) DeleteColourSets();
    if (madeFonts) DeleteMusicFonts();
    view->pageView = pageView;
    view->currentPage = page;
    view->currentSystem = system;
    UpdateBeatMaps(view, 0);
    return whole;
}

std::vector<EngravingFinding> CheckEngraving(ScoreView* view) {
    std::vector<EngravingFinding> findings;
    if (view == nullptr || view->document == nullptr) return findings;
    // Ink boxes are rounded out to whole device pixels: at the view's zoom a pixel
    // can be a space wide, and marks a hair apart would share one. The pages are
    // checked as they print, one device pixel to a layout unit.
    const int32_t zoom = view->zoom;
    view->zoom = kMappingUnits;
    // The glyph table is measured once the walk has its surface and fonts.
    std::optional<MeasuredGlyphs> glyphs;
    PageCheck* current = nullptr;
    const text::TextInkTap kept = text::SetTextInkTap([&current](const text::TextInk& ink) {
        if (current != nullptr) current->Keep(ink);
    });
    const gfx::StrokeTap keptStrokes = gfx::SetStrokeTap([&current](const gfx::StrokeInk& ink) {
        if (current != nullptr) current->Keep(ink);
    });
    PaintEachPage(view, [&](ScorePage* page, int index, platform::DcHandle surface, const std::function<void()>& paint) {
        if (!glyphs) {
            glyphs.emplace(view);
            UpdateBeatMaps(view, 0);
        }
        PageCheck check(view, page, index, surface, &findings);
        current = &check;
        paint();
        current = nullptr;
        check.Check();
        return true;
    });
    text::SetTextInkTap(kept);
    gfx::SetStrokeTap(keptStrokes);
    glyphs.reset();
    view->zoom = zoom;
    UpdateBeatMaps(view, 0);
    return findings;
}

const char* FindingKindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::SystemOffPage: return "system off the page";
        case FindingKind::GlyphOffPage: return "ink off the page";
        case FindingKind::SystemsOverlap: return "systems overlap";
        case FindingKind::EventOutsideMeasure: return "event outside its measure";
        case FindingKind::SharedColumn: return "two times in one column";
        case FindingKind::TimeGoesBack: return "time goes back";
        case FindingKind::LabelOverSign: return "label over a sign";
        case FindingKind::TextOverSign: return "text over a sign";
        case FindingKind::NumberOverSign: return "number over a sign";
        case FindingKind::TextOverText: return "text over text";
        case FindingKind::SignOverSign: return "sign over sign";
        case FindingKind::LyricOverLyric: return "lyric over lyric";
        case FindingKind::HeadOverHead: return "head over head";
        case FindingKind::DynamicOverMark: return "dynamic over a mark";
        case FindingKind::LineThroughHead: return "line through a head";
        case FindingKind::LyricOverNote: return "lyric over a note";
        case FindingKind::MarkOverMark: return "mark over mark";
        case FindingKind::InkInMargin: return "ink in the margin";
        case FindingKind::LineInStaff: return "line inside the staff";
        case FindingKind::MarkOverNumber: return "mark over a measure number";
        case FindingKind::StemShortOfHead: return "stem off its head";
        case FindingKind::BeamOffStem: return "beam off its stem";
    }
    return "finding";
}

std::string DescribeFinding(const EngravingFinding& f) {
    return "page " + std::to_string(f.page) + " system " + std::to_string(f.system) + " staff " +
           std::to_string(f.staff) + " measure " + std::to_string(f.measure) + ": " + FindingKindName(f.kind) + ": " +
           f.what;
}

}  // namespace ql
