// The score painter: pages at several zooms and the scroll strip painted headless,
// checked against the beat map and the page's extent; paints that never count as an
// edit; partial repaints that leave everything outside their area alone; the objects
// of a page, its master page and the cells drawn where they belong.
#include "display/painter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/tests/painter/painter_fixture.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"
#include "objects/graphics/graphic_object.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_painter {

namespace {

constexpr int kStaves = 3;
constexpr int kSystems = 3;
constexpr int kPerSystem = 4;

// Every byte of the document's pools (live halves).
std::vector<std::byte> PoolBytes(ScoreDocument* doc) {
    std::vector<std::byte> out;
    PoolSet set(doc->pools);
    for (int pool = 0; pool < kDocumentPoolCount; ++pool) {
        const RecordPool& descriptor = set.pools[pool];
        for (int block = 0; block < descriptor.blockCount; ++block) {
            const std::byte* base = descriptor.blocks[block].base.get();
            const size_t bytes = BlockLiveBytes(descriptor, block);
            if (base != nullptr) out.insert(out.end(), base, base + bytes);
        }
    }
    return out;
}

class PaintTest : public PainterTest {
  protected:
    void Build(int32_t zoom) {
        BuildPages(kStaves, 2, kSystems, kPerSystem, zoom);
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int measure = 1; measure <= 2 * kSystems * kPerSystem; measure += 3)
                AddNote(staff, measure);
        view_->currentSystem = System();
    }
    // Middle of the gap between the lowest two lines of a staff in the system.
    int32_t GapY(ScoreSystem* system, int staff) const {
        return system->y + StaffOffsetsOf(system)[staff] - 64;
    }
    // Every barline inside each system of the page shows ink on the staff (±1 px).
    void ExpectBarlinesAtSlots() {
        ScoreSystem* system = doc_->firstPage->firstSystem.get();
        for (int n = 0; n < kSystems && system != nullptr; ++n, system = system->next.get()) {
            SetCurrentSystemAndMeasure(view_, system, 1, system->firstMeasure, true);
            for (int slot = 2; slot <= kPerSystem; ++slot) {
                const int32_t x =
                    system->x + view_->beatMap.slotX[BeatMapCell(system->number, slot)];
                const gfx::Point p = Device(x, GapY(system, 2));
                if (p.x < 1 || p.x >= Width() - 1 || p.y < 0 || p.y >= Height()) continue;
                EXPECT_TRUE(IsInk(p.x - 1, p.y) || IsInk(p.x, p.y) || IsInk(p.x + 1, p.y))
                    << "zoom " << view_->zoom << " system " << n << " slot " << slot;
                // Three quarters into the measure before it there is no ink (notes sit
                // on the second beat, rests in the middle).
                const int32_t mid =
                    system->x + (view_->beatMap.slotX[BeatMapCell(system->number, slot)] * 3 +
                                 view_->beatMap.slotX[BeatMapCell(system->number, slot - 1)]) /
                                    4;
                const gfx::Point q = Device(mid, GapY(system, 2));
                EXPECT_FALSE(IsInk(q.x, q.y)) << "zoom " << view_->zoom << " slot " << slot;
            }
        }
    }
    // Paints page 1 at a zoom, checks barlines and the right edge, writes the picture.
    void PaintPageAt(int32_t zoom) {
        if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
        Build(zoom);
        PaintWindow(nullptr);
        ExpectBarlinesAtSlots();
        // The page's right edge is a line at PageRight when it falls in the client
        // area; the paper beyond it stays white.
        const gfx::Point edge = Device(view_->PageRight, view_->pageOrigin[1]);
        if (edge.x + 2 < Width()) {
            const int y = Height() / 2;
            EXPECT_TRUE(IsInk(edge.x, y) || IsInk(edge.x - 1, y) || IsInk(edge.x + 1, y));
            EXPECT_FALSE(IsInk(edge.x + 2, y));
        }
        EXPECT_TRUE(WritePng("page_view_zoom" + std::to_string(zoom) + ".png"));
    }
    // A zero-filled object record big enough for `bytes`, linked after `after`.
    ScoreObject* AddSized(ObjectType type, size_t bytes, ScoreObject* after) {
        auto* object = static_cast<ScoreObject*>(AllocRecord(PoolForSize(bytes)));
        if (object == nullptr) return nullptr;
        ConstructScoreObject(object);
        object->type = TypeCode(type);
        object->classId = ClassOfType(type);
        InsertObjectAfter(after, object);
        return object;
    }
};

// Zoom 8: the whole page in the window; 16 and 40: its top-left part.
TEST_F(PaintTest, PageViewAtZoom8) {
    PaintPageAt(8);
}
TEST_F(PaintTest, PageViewAtZoom16) {
    PaintPageAt(16);
}
TEST_F(PaintTest, PageViewAtZoom40) {
    PaintPageAt(40);
}

TEST_F(PaintTest, ThePageEdgeFollowsThePaperSize) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(8);
    // At zoom 8 a letter page is narrower than the window: both edges show.
    const gfx::Point corner = Device(view_->PageRight, view_->PageBottom);
    ASSERT_LT(corner.x + 2, Width());
    PaintWindow(nullptr);
    const int y = std::min(corner.y, Height()) / 2;
    EXPECT_TRUE(IsInk(corner.x, y) || IsInk(corner.x - 1, y) || IsInk(corner.x + 1, y));
    if (corner.y + 2 < Height()) {
        const int x = corner.x / 2;
        EXPECT_TRUE(IsInk(x, corner.y) || IsInk(x, corner.y - 1) || IsInk(x, corner.y + 1));
    }
}

TEST_F(PaintTest, TheScrollStripIsPainted) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(16);
    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    ASSERT_EQ(EnterScrollView(view_), 1);
    SetZoom(16);
    UpdateBeatMaps(view_, 1);
    PaintWindow(nullptr);
    ScoreSystem* strip = view_->galleySystem;
    SetCurrentSystemAndMeasure(view_, strip, 1, strip->firstMeasure, true);
    int barlines = 0;
    for (int slot = 2; slot <= 6; ++slot) {
        const int32_t x = strip->x + view_->beatMap.slotX[BeatMapCell(strip->number, slot)];
        const gfx::Point p = Device(x, GapY(strip, 1));
        if (p.x < 1 || p.x >= Width() - 1 || p.y < 0 || p.y >= Height()) continue;
        EXPECT_TRUE(IsInk(p.x - 1, p.y) || IsInk(p.x, p.y) || IsInk(p.x + 1, p.y)) << slot;
        ++barlines;
    }
    EXPECT_GT(barlines, 0);
    EXPECT_TRUE(WritePng("scroll_view_zoom16.png"));
}

// A staff's label, the first object after its list's bare head, is drawn with its
// staff, on the page and in the scroll strip.
TEST_F(PaintTest, AStaffLabelIsDrawnWithItsStaff) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(16);
    ScoreObject* head = AllocRootObject();
    ASSERT_NE(head, nullptr);
    StaffRecordOf(doc_, 1)->objects = Ref32<ScoreObject>::To(head);
    ScoreObject* label = AddObject(ObjectType::Label, head);
    ASSERT_NE(label, nullptr);
    auto updates = [&](const ScoreObject* object) {
        int count = 0;
        for (const RecordingClass::Call& call : recorder_.calls) count += call.object == object && call.operation == 'U';
        return count;
    };
    recorder_.calls.clear();
    PaintWindow(nullptr);
    EXPECT_GE(updates(label), 1) << "the page drew no label";
    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    ASSERT_EQ(EnterScrollView(view_), 1);
    UpdateBeatMaps(view_, 1);
    recorder_.calls.clear();
    PaintWindow(nullptr);
    EXPECT_GE(updates(label), 1) << "the scroll strip drew no label";
    StaffRecordOf(doc_, 1)->objects = Ref32<ScoreObject>{};  // the records go with the pools
}

TEST_F(PaintTest, PaintingNeverCountsAsAnEdit) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(16);
    doc_->changeCounter = 0;
    PaintWindow(nullptr);
    EXPECT_EQ(doc_->changeCounter, 0);
    // The first paint may place systems once; every later paint writes nothing.
    const std::vector<std::byte> after = PoolBytes(doc_);
    const int staff = view_->currentStaff;
    const int measure = view_->currentMeasure;
    PaintWindow(nullptr);
    EXPECT_TRUE(PoolBytes(doc_) == after);
    EXPECT_EQ(doc_->changeCounter, 0);
    // The view's location is given back.
    EXPECT_EQ(view_->currentStaff, staff);
    EXPECT_EQ(view_->currentMeasure, measure);
}

TEST_F(PaintTest, APartialRepaintLeavesEverythingOutsideItsArea) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(16);
    PaintWindow(nullptr);
    const std::vector<uint32_t> before = Pixels();
    // A note added to measure 2 of staff 2, then only its measure repainted.
    AddNote(2, 2);
    SetCurrentSystemAndMeasure(view_, System(), 2, 2, true);
    InvalidateCurrentCell(view_, false);
    const win::Rect dirty = win::GetUpdateRect(window_);
    ASSERT_FALSE(dirty.IsEmpty());
    win::ValidateRect(window_, nullptr);
    PaintWindow(&dirty);
    const std::vector<uint32_t> after = Pixels();
    int changedInside = 0;
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x) {
            const size_t i = static_cast<size_t>(y) * Width() + x;
            const bool inside =
                x >= dirty.left && x < dirty.right && y >= dirty.top && y < dirty.bottom;
            if (!inside)
                ASSERT_EQ(after[i], before[i])
                    << x << "," << y << " area " << dirty.left << "," << dirty.top << ","
                    << dirty.right << "," << dirty.bottom;
            else
                changedInside += after[i] != before[i];
        }
    // The new note is inside the area.
    EXPECT_GT(changedInside, 0);
}

// The page's items and the master page's are drawn with their text variables
// expanded (the page-painting flag raised); a cell's objects are not.
TEST_F(PaintTest, PageItemsAreDrawnWithTheirVariablesExpanded) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(8);
    ScorePage* page = doc_->firstPage;
    ScoreObject* onPage = AddObject(ObjectType::Line, page->margins.get());
    ScoreObject* onMaster = AddObject(ObjectType::Line, doc_->rightMaster->margins.get());
    ScoreObject* onLeftMaster = AddObject(ObjectType::Line, doc_->leftMaster->margins.get());
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 1);
    ScoreObject* inCell = AddObject(ObjectType::Line, GetOrCreateCellObjectList(cell));
    ASSERT_TRUE(onPage != nullptr && onMaster != nullptr && inCell != nullptr);
    view_->currentPage = page;
    view_->currentSystem = page->firstSystem.get();
    view_->pageObjects = nullptr;
    recorder_.calls.clear();
    PaintWindow(nullptr);
    int pageItems = 0;
    int cellObjects = 0;
    for (const RecordingClass::Call& call : recorder_.calls) {
        if (call.object == onPage || call.object == onMaster || call.object == onLeftMaster) {
            ++pageItems;
            EXPECT_EQ(call.pagePainting, 1);
        }
        if (call.object == inCell) {
            ++cellObjects;
            EXPECT_EQ(call.pagePainting, 0);
        }
    }
    EXPECT_EQ(pageItems, 2);  // the page's own and its master's
    EXPECT_GT(cellObjects, 0);
    EXPECT_EQ(State().drawing.PagePaintingFlag, 0);
}

TEST_F(PaintTest, ObjectsAreDrawnOnTheirOwnPageAndMasterPage) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(8);
    doc_->header.pageGeometry.sides = 1;
    ScorePage* second = doc_->firstPage->next.get();
    ScoreObject* onSecond = AddObject(ObjectType::Line, second->margins.get());
    ScoreObject* onLeft = AddObject(ObjectType::Line, doc_->leftMaster->margins.get());
    ScoreObject* onRight = AddObject(ObjectType::Line, doc_->rightMaster->margins.get());
    ASSERT_NE(onSecond, nullptr);
    ASSERT_NE(onLeft, nullptr);
    ASSERT_NE(onRight, nullptr);
    auto drawn = [&](const ScoreObject* object, uint8_t* master) {
        int count = 0;
        for (const RecordingClass::Call& call : recorder_.calls)
            if (call.object == object) {
                ++count;
                *master = call.masterItems;
            }
        return count;
    };
    const bool firstIsLeft = IsLeftPage(doc_, 0);
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE(index);
        recorder_.calls.clear();
        ScorePage* page = index == 0 ? doc_->firstPage : second;
        view_->currentPage = page;
        view_->currentSystem = page->firstSystem.get();
        view_->pageObjects = nullptr;
        PaintWindow(nullptr);
        uint8_t master = 0;
        // The page's own object only on its page.
        EXPECT_EQ(drawn(onSecond, &master), index == 1 ? 1 : 0);
        // The master page of the page's parity, drawn with the master flag set.
        const bool left = index == 0 ? firstIsLeft : !firstIsLeft;
        EXPECT_EQ(drawn(left ? onLeft : onRight, &master), 1);
        EXPECT_EQ(master, 1);
        EXPECT_EQ(drawn(left ? onRight : onLeft, &master), 0);
    }
}

TEST_F(PaintTest, FilledShapesAreDrawnAfterEverythingElse) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(8);
    ScoreObject* head = AllocRootObject();
    Cell(1, 1)->objects = Ref32<ScoreObject>::To(head);
    // A filled box first in the list, then an open box (no interior) and a line.
    ScoreObject* filled = AddSized(ObjectType::Box, sizeof(GraphicObject), head);
    ScoreObject* open = AddSized(ObjectType::Box, sizeof(GraphicObject), filled);
    ScoreObject* line = AddSized(ObjectType::Line, sizeof(GraphicObject), open);
    ASSERT_NE(line, nullptr);
    reinterpret_cast<GraphicObject*>(open)->body.style = 2;
    // The same list on staff 2 of measure 2: the second pass takes both cells.
    Cell(2, 2)->objects = Ref32<ScoreObject>::To(head);
    recorder_.calls.clear();
    PaintWindow(nullptr);
    std::vector<const ScoreObject*> order;
    for (const RecordingClass::Call& call : recorder_.calls)
        if (call.object == filled || call.object == open || call.object == line)
            order.push_back(call.object);
    // First pass: the open box and the line in each cell; then the filled box in each.
    EXPECT_EQ(order, (std::vector<const ScoreObject*>{open, line, open, line, filled, filled}));
}

TEST_F(PaintTest, ADamagedObjectListIsNeverRewritten) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(8);
    MeasureCell* cell = Cell(1, 1);
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        uint32_t state = seed * 2654435761u;
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            return state;
        };
        // A list of up to eight objects, one node's next link damaged.
        ScoreObject* head = AllocRootObject();
        ASSERT_NE(head, nullptr);
        cell->objects = Ref32<ScoreObject>::To(head);
        std::vector<ScoreObject*> nodes{head};
        const int count = 1 + static_cast<int>(next() % 8);
        for (int i = 0; i < count; ++i) nodes.push_back(AddObject(ObjectType::Line, nodes.back()));
        ScoreObject* victim = nodes[next() % nodes.size()];
        const uint32_t damage = next() % 4;
        switch (damage) {
            case 0:
                victim->next = Ref32<ScoreObject>{next()};
                break;  // anywhere
            case 1:
                victim->next = Ref32<ScoreObject>{victim->next.offset + 3};
                break;  // off a slot
            case 2:
                victim->type = static_cast<uint8_t>(kLastObjectType + 1 + next() % 100);
                break;
            default:
                victim->next = Ref32<ScoreObject>::To(victim);
                break;  // a cycle
        }
        std::vector<std::vector<std::byte>> saved;
        for (ScoreObject* node : nodes) {
            const auto* bytes = reinterpret_cast<const std::byte*>(node);
            saved.emplace_back(bytes, bytes + sizeof(ScoreObject));
        }
        const int notices = DrawNotices();
        PaintWindow(nullptr);
        PaintWindow(nullptr);
        for (size_t i = 0; i < nodes.size(); ++i)
            EXPECT_EQ(std::memcmp(nodes[i], saved[i].data(), sizeof(ScoreObject)), 0)
                << i << " damage " << damage;
        // One notice per paint (a random link may, rarely, land on a sound record).
        if (damage == 0)
            EXPECT_LE(DrawNotices() - notices, 2);
        else
            EXPECT_EQ(DrawNotices() - notices, 2);
        cell->objects = Ref32<ScoreObject>{};
    }
}

TEST_F(PaintTest, ABadNodeIsReportedOncePerPaint) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(8);
    ScoreObject* head = AllocRootObject();
    Cell(1, 1)->objects = Ref32<ScoreObject>::To(head);
    Cell(2, 1)->objects = Ref32<ScoreObject>::To(head);
    head->next = Ref32<ScoreObject>{Ref32<ScoreObject>::To(head).offset + 1};
    const int notices = DrawNotices();
    PaintWindow(nullptr);
    // Two damaged lists in one paint: one notice; a second paint: one more.
    EXPECT_EQ(DrawNotices() - notices, 1);
    PaintWindow(nullptr);
    EXPECT_EQ(DrawNotices() - notices, 2);
    EXPECT_EQ(head->next.offset, Ref32<ScoreObject>::To(head).offset + 1);
}

TEST_F(PaintTest, AnAreaOutsideThePageDrawsNothing) {
    if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
    Build(8);
    ScoreObject* head = AllocRootObject();
    Cell(1, 1)->objects = Ref32<ScoreObject>::To(head);
    ScoreObject* line = AddObject(ObjectType::Line, head);
    PainterState& painter = State().display.painter;
    painter.paintRect = PaintArea{32000, 32000, 32500, 32500};
    painter.paintRectActive = 1;
    recorder_.calls.clear();
    const std::vector<uint32_t> before = Pixels();
    RepaintScoreView(view_, false);
    painter.paintRectActive = 0;
    // No system lies in the band: no pixel changes and no cell object is drawn.
    EXPECT_TRUE(Pixels() == before);
    for (const RecordingClass::Call& call : recorder_.calls) EXPECT_NE(call.object, line);
    EXPECT_EQ(painter.bandTop, 32000 - kBandAbove);
    EXPECT_EQ(painter.bandBottom, kLogicalMax);
}

TEST_F(PaintTest, BandAndSlotRangeFollowTheArea) {
    Build(8);
    // Near the top the band stops at the origin; near the bottom at the maximum.
    SetClipBandFromRect(PaintArea{0, -30000, 100, -29000});
    EXPECT_EQ(State().display.painter.bandTop, kLogicalOrigin);
    SetClipBandFromRect(PaintArea{0, 0, 100, 32000});
    EXPECT_EQ(State().display.painter.bandBottom, kLogicalMax);
    EXPECT_EQ(State().display.painter.bandTop, -kBandAbove);
    // An area starting at slot 4's barline takes two slots more on the left.
    view_->currentSystem = System();
    SetCurrentSystemAndMeasure(view_, System(), 1, 1, true);
    SetClipSlotRange(view_, PaintArea{SlotX(4), -30720, SlotX(4) + 10, 0});
    EXPECT_EQ(State().display.painter.firstSlot, 2);
    EXPECT_EQ(State().display.painter.lastSlot, 4);
    // The whole system.
    SetClipSlotRange(view_, PaintArea{-32768, -30720, 32767, 0});
    EXPECT_EQ(State().display.painter.firstSlot, 1);
    EXPECT_EQ(State().display.painter.lastSlot, kPerSystem);
}

}  // namespace

}  // namespace ql::testing_painter
