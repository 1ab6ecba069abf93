// Blits onto pixel images, a row at a time (see blit_rows.h). A blit works out,
// once, the source column of every column of the area and groups the columns
// that read inside the source into runs; then, for each row whose source row is
// inside the source, it takes each run's source pixels (straight from the source
// row when the run reads consecutive pixels that need no conversion, else
// gathered and converted into a row buffer) and combines them with the
// destination by the operation chosen for the whole blit.
#include "platform/gfx/detail/blit_rows.h"

#include <array>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace ql::gfx::detail {

namespace {

// Spans in 64 bits: a box across the whole 32-bit range is 2^32 - 1 wide.
int64_t SpanX(const Rect& r) { return int64_t{r.right} - r.left; }
int64_t SpanY(const Rect& r) { return int64_t{r.bottom} - r.top; }

constexpr uint32_t AllBitsIf(bool set) { return set ? ~0u : 0u; }

// Bits of the pattern's truth-table half that a pattern pixel selects, as
// all-ones or all-zero masks: masks[i] for index (pattern << 2) | (source << 1) | destination.
using TruthMasks = std::array<uint32_t, 8>;

TruthMasks MasksOf(uint32_t table) {
    TruthMasks masks{};
    for (size_t i = 0; i < masks.size(); ++i) masks[i] = AllBitsIf((table >> i) & 1);
    return masks;
}

// One of the sixteen functions of source and destination; `kTable` is its truth
// table indexed by (source << 1) | destination. The constants fold each into a
// plain expression (copy, AND, OR, XOR, ...).
template <uint32_t kTable>
constexpr uint32_t TwoInput(uint32_t s, uint32_t d) {
    constexpr uint32_t n0 = AllBitsIf(kTable & 1), n1 = AllBitsIf(kTable & 2);
    constexpr uint32_t n2 = AllBitsIf(kTable & 4), n3 = AllBitsIf(kTable & 8);
    return (s & ((d & n3) | (~d & n2))) | (~s & ((d & n1) | (~d & n0)));
}

uint32_t Opaque(uint32_t r) { return (r & kRgbMask) | kOpaqueAlpha; }

// Combines n destination pixels with their source (and pattern) pixels.
using CombineFn = void (*)(uint32_t* d, const uint32_t* s, const uint32_t* p, int n, const TruthMasks& masks);

template <uint32_t kTable>
void CombineWithoutPattern(uint32_t* __restrict d, const uint32_t* __restrict s, const uint32_t*, int n,
                           const TruthMasks&) {
    for (int k = 0; k < n; ++k) d[k] = Opaque(TwoInput<kTable>(s[k], d[k]));
}

// Any operation: the pattern bit chooses between the table's two halves.
void CombineWithPattern(uint32_t* __restrict d, const uint32_t* __restrict s, const uint32_t* __restrict p, int n,
                        const TruthMasks& m) {
    for (int k = 0; k < n; ++k) {
        const uint32_t sv = s[k], dv = d[k], pv = p[k];
        const uint32_t high = (sv & ((dv & m[7]) | (~dv & m[6]))) | (~sv & ((dv & m[5]) | (~dv & m[4])));
        const uint32_t low = (sv & ((dv & m[3]) | (~dv & m[2]))) | (~sv & ((dv & m[1]) | (~dv & m[0])));
        d[k] = Opaque((pv & high) | (~pv & low));
    }
}

template <size_t... kTables>
constexpr std::array<CombineFn, sizeof...(kTables)> TwoInputCombiners(std::index_sequence<kTables...>) {
    return {&CombineWithoutPattern<static_cast<uint32_t>(kTables)>...};
}

constexpr uint32_t kTwoInputFunctions = 16;
constexpr auto kWithoutPattern = TwoInputCombiners(std::make_index_sequence<kTwoInputFunctions>{});

// The operation chosen once a blit: without the pattern, both halves of the
// table are the same function of source and destination.
CombineFn ResolveCombine(uint32_t rop) {
    if (RasterOpUsesPattern(rop)) return &CombineWithPattern;
    return kWithoutPattern[Rop3TruthTable(rop) & (kTwoInputFunctions - 1)];
}

enum class Conversion { None, MonoToColour, ColourToMono };

// Black source pixels take the text colour, the others the background colour.
uint32_t MonoToColour(uint32_t s, const BlitTarget& target) {
    return (s & kRgbMask) == 0 ? target.textPixel : target.backgroundPixel;
}
// Pixels of the source's background colour become white, the others black.
uint32_t ColourToMono(uint32_t s, uint32_t sourceBk) {
    return ((s ^ sourceBk) & kRgbMask) == 0 ? kWhitePixel : kBlackPixel;
}

Conversion ConversionOf(bool sourceMono, bool destMono) {
    if (sourceMono && !destMono) return Conversion::MonoToColour;
    if (!sourceMono && destMono) return Conversion::ColourToMono;
    return Conversion::None;
}

// Columns first..end-1 of the area, which read source columns inside the source
// image; `consecutive` when they read one source pixel after the other.
struct ColumnRun {
    int first = 0;
    int end = 0;
    bool consecutive = true;
};

// The source column of each column of the area (-1 outside the source image).
std::vector<int32_t> SourceColumns(const BlitSource& src, const BlitTarget& target) {
    const Rect& area = target.area;
    std::vector<int32_t> columns(static_cast<size_t>(area.Width()));
    const int64_t destSpan = SpanX(target.box.box), sourceSpan = SpanX(src.box);
    const bool mirrored = target.box.flipX != src.mirrorX;
    const int64_t skip = int64_t{area.left} - target.box.box.left;
    const int64_t base = int64_t{src.box.left} - src.origin.x;
    for (size_t k = 0; k < columns.size(); ++k) {
        int64_t x = base + SourceOffset(skip + static_cast<int64_t>(k), destSpan, sourceSpan, mirrored);
        columns[k] = x >= 0 && x < src.pixels->width() ? static_cast<int32_t>(x) : -1;
    }
    return columns;
}

std::vector<ColumnRun> RunsOf(const std::vector<int32_t>& columns) {
    std::vector<ColumnRun> runs;
    const int n = static_cast<int>(columns.size());
    for (int k = 0; k < n;) {
        if (columns[k] < 0) {
            ++k;
            continue;
        }
        ColumnRun run{k, k + 1, true};
        while (run.end < n && columns[run.end] >= 0) {
            if (columns[run.end] != columns[run.end - 1] + 1) run.consecutive = false;
            ++run.end;
        }
        runs.push_back(run);
        k = run.end;
    }
    return runs;
}

// The source row read by device row y (-1 outside the source image).
int SourceRow(const BlitSource& src, const BlitTarget& target, int y) {
    int64_t v = SourceOffset(int64_t{y} - target.box.box.top, SpanY(target.box.box), SpanY(src.box),
                             target.box.flipY != src.mirrorY);
    int64_t row = int64_t{src.box.top} + v - src.origin.y;
    return row >= 0 && row < src.pixels->height() ? static_cast<int>(row) : -1;
}

// The converted source pixels of one run, into out[first..end-1].
void GatherRun(const uint32_t* sourceRow, const std::vector<int32_t>& columns, const ColumnRun& run,
               Conversion conversion, const BlitTarget& target, uint32_t sourceBk, uint32_t* out) {
    switch (conversion) {
    case Conversion::None:
        for (int k = run.first; k < run.end; ++k) out[k] = sourceRow[columns[k]];
        return;
    case Conversion::MonoToColour:
        for (int k = run.first; k < run.end; ++k) out[k] = MonoToColour(sourceRow[columns[k]], target);
        return;
    case Conversion::ColourToMono:
        for (int k = run.first; k < run.end; ++k) out[k] = ColourToMono(sourceRow[columns[k]], sourceBk);
        return;
    }
}

// The pattern pixels of row y across the area (0 where the ink leaves a gap),
// in black and white on monochrome images.
void PatternRow(const Ink& pattern, bool destMono, const Rect& area, int y, uint32_t* out) {
    for (int x = area.left; x < area.right; ++x) {
        uint32_t p = 0;
        if (!pattern.PixelAt(x, y, &p)) p = 0;
        out[x - area.left] = destMono ? MonochromePixelOf(p) : p;
    }
}

}  // namespace

int64_t SourceOffset(int64_t i, int64_t destSpan, int64_t sourceSpan, bool mirrored) {
    using Wide = __int128;  // products reach 2^65
    int64_t u = destSpan == sourceSpan
                    ? i
                    : static_cast<int64_t>((Wide{2} * i + 1) * sourceSpan / (Wide{2} * destSpan));
    return mirrored ? sourceSpan - 1 - u : u;
}

bool SamplePixel(const BlitSource& src, const DeviceBox& target, int64_t i, int64_t j, uint32_t* out) {
    if (!src.pixels) return false;
    int64_t u = SourceOffset(i, SpanX(target.box), SpanX(src.box), target.flipX != src.mirrorX);
    int64_t v = SourceOffset(j, SpanY(target.box), SpanY(src.box), target.flipY != src.mirrorY);
    int64_t x = src.box.left + u - src.origin.x, y = src.box.top + v - src.origin.y;
    if (x < 0 || y < 0 || x >= src.pixels->width() || y >= src.pixels->height()) return false;
    *out = src.pixels->At(static_cast<int>(x), static_cast<int>(y));
    return true;
}

uint32_t ConvertForDestination(uint32_t s, bool sourceMono, bool destMono, const BlitTarget& target,
                               uint32_t sourceBk) {
    switch (ConversionOf(sourceMono, destMono)) {
    case Conversion::MonoToColour: return MonoToColour(s, target);
    case Conversion::ColourToMono: return ColourToMono(s, sourceBk);
    case Conversion::None: break;
    }
    return s;
}

void BlitRows(Image& image, const BlitTarget& target, const BlitSource* src, const Ink& pattern, uint32_t rop) {
    const Rect& area = target.area;
    if (area.IsEmpty() || (src && !src->pixels)) return;
    const size_t width = static_cast<size_t>(area.Width());
    const bool destMono = image.monochrome();
    const CombineFn combine = ResolveCombine(rop);
    const TruthMasks masks = MasksOf(Rop3TruthTable(rop));

    // Without a source every pixel is combined with source 0.
    std::vector<uint32_t> line(width, 0);
    std::vector<int32_t> columns;
    std::vector<ColumnRun> runs{ColumnRun{0, static_cast<int>(width), false}};
    Conversion conversion = Conversion::None;
    if (src) {
        columns = SourceColumns(*src, target);
        runs = RunsOf(columns);
        conversion = ConversionOf(src->pixels->monochrome(), destMono);
    }

    // The pattern: a solid or null ink gives every row the same pixels.
    const bool usesPattern = RasterOpUsesPattern(rop);
    uint32_t solid = 0;
    const bool patternVaries = usesPattern && !pattern.IsNull() && !pattern.SolidPixel(&solid);
    std::vector<uint32_t> patternRow(usesPattern ? width : 0);
    if (usesPattern) PatternRow(pattern, destMono, area, area.top, patternRow.data());

    for (int y = area.top; y < area.bottom; ++y) {
        const uint32_t* sourceRow = nullptr;
        if (src) {
            int sy = SourceRow(*src, target, y);
            if (sy < 0) continue;
            sourceRow = src->pixels->Row(sy);
        }
        if (patternVaries && y != area.top) PatternRow(pattern, destMono, area, y, patternRow.data());
        uint32_t* row = image.Row(y) + area.left;
        for (const ColumnRun& run : runs) {
            const uint32_t* s = line.data() + run.first;
            if (sourceRow && run.consecutive && conversion == Conversion::None)
                s = sourceRow + columns[static_cast<size_t>(run.first)];
            else if (sourceRow)
                GatherRun(sourceRow, columns, run, conversion, target, src->backgroundPixel, line.data());
            const uint32_t* p = usesPattern ? patternRow.data() + run.first : nullptr;
            combine(row + run.first, s, p, run.end - run.first, masks);
        }
    }
}

}  // namespace ql::gfx::detail
