#include "platform/gfx/detail/page_record.h"

#include <algorithm>
#include <utility>

#include "platform/gfx/detail/pdf_deflate.h"

namespace ql::gfx::detail {

namespace {
constexpr double kChannelMax = 255.0;

void SetColour(cairo_t* cr, uint32_t colour) {
    cairo_set_source_rgb(cr, ((colour >> 16) & 0xFF) / kChannelMax, ((colour >> 8) & 0xFF) / kChannelMax,
                         (colour & 0xFF) / kChannelMax);
}

void AppendPath(cairo_t* cr, const cairo_path_data_t* data, uint32_t count) {
    cairo_path_t path{CAIRO_STATUS_SUCCESS, const_cast<cairo_path_data_t*>(data), static_cast<int>(count)};
    cairo_append_path(cr, &path);
}

bool SameStroke(const PageStroke& a, const PageStroke& b) {
    return a.width == b.width && a.cap == b.cap && a.join == b.join && a.dashes == b.dashes;
}
}  // namespace

PageRecord::~PageRecord() { Clear(); }

PageRecord::PageRecord(PageRecord&& other) noexcept { *this = std::move(other); }

PageRecord& PageRecord::operator=(PageRecord&& other) noexcept {
    if (this == &other) return *this;
    Clear();
    ops_ = std::move(other.ops_);
    boxes_ = std::move(other.boxes_);
    glyphs_ = std::move(other.glyphs_);
    path_ = std::move(other.path_);
    fonts_ = std::move(other.fonts_);
    strokes_ = std::move(other.strokes_);
    images_ = std::move(other.images_);
    other.fonts_.clear();
    return *this;
}

void PageRecord::Clear() {
    for (cairo_scaled_font_t* font : fonts_) cairo_scaled_font_destroy(font);
    ops_.clear();
    boxes_.clear();
    glyphs_.clear();
    path_.clear();
    fonts_.clear();
    strokes_.clear();
    images_.clear();
}

PageOp& PageRecord::Push(PageOpKind kind, uint32_t colour, const Rect* clip) {
    PageOp& op = ops_.emplace_back();
    op.kind = kind;
    op.colour = colour;
    if (clip) {
        op.clipped = true;
        op.clip = *clip;
    }
    return op;
}

uint32_t PageRecord::FontIndex(cairo_scaled_font_t* font) {
    for (size_t i = fonts_.size(); i-- > 0;)
        if (fonts_[i] == font) return static_cast<uint32_t>(i);
    fonts_.push_back(cairo_scaled_font_reference(font));
    return static_cast<uint32_t>(fonts_.size() - 1);
}

void PageRecord::AddBoxes(const std::vector<PageBox>& boxes, uint32_t colour) {
    if (boxes.empty()) return;
    PageOp& op = Push(PageOpKind::Boxes, colour, nullptr);
    op.from = static_cast<uint32_t>(boxes_.size());
    op.count = static_cast<uint32_t>(boxes.size());
    boxes_.insert(boxes_.end(), boxes.begin(), boxes.end());
}

void PageRecord::AddGlyphs(cairo_scaled_font_t* font, const cairo_glyph_t* glyphs, int count, uint32_t colour,
                           const Rect& clip) {
    if (count <= 0) return;
    const uint32_t index = FontIndex(font);
    PageOp& op = Push(PageOpKind::Glyphs, colour, &clip);
    op.item = index;
    op.from = static_cast<uint32_t>(glyphs_.size());
    op.count = static_cast<uint32_t>(count);
    glyphs_.insert(glyphs_.end(), glyphs, glyphs + count);
}

void PageRecord::AddFill(const std::vector<cairo_path_data_t>& path, cairo_fill_rule_t rule, uint32_t colour,
                         const Rect& clip) {
    if (path.empty()) return;
    PageOp& op = Push(PageOpKind::Fill, colour, &clip);
    op.rule = rule;
    op.from = static_cast<uint32_t>(path_.size());
    op.count = static_cast<uint32_t>(path.size());
    path_.insert(path_.end(), path.begin(), path.end());
}

void PageRecord::AddStroke(const std::vector<cairo_path_data_t>& path, const PageStroke& stroke, uint32_t colour,
                           const Rect& clip) {
    if (path.empty()) return;
    if (strokes_.empty() || !SameStroke(strokes_.back(), stroke)) strokes_.push_back(stroke);
    PageOp& op = Push(PageOpKind::Stroke, colour, &clip);
    op.item = static_cast<uint32_t>(strokes_.size() - 1);
    op.from = static_cast<uint32_t>(path_.size());
    op.count = static_cast<uint32_t>(path.size());
    path_.insert(path_.end(), path.begin(), path.end());
}

void PageRecord::AddImage(PageImage image, const Rect& clip) {
    PageOp& op = Push(PageOpKind::Image, 0, &clip);
    op.item = static_cast<uint32_t>(images_.size());
    images_.push_back(std::move(image));
}

bool MakePageImage(const unsigned char* pixels, int stride, int width, int height, int left, int top,
                   PageImage* image) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::string rgb(count * 3, '\0'), alpha(count, '\0');
    bool opaque = true;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(pixels + static_cast<size_t>(y) * static_cast<size_t>(stride));
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            const uint32_t a = p >> 24;
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            // Colours are stored premultiplied; the file keeps them whole.
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = (p >> (16 - 8 * c)) & 0xFF;
                rgb[i * 3 + static_cast<size_t>(c)] = static_cast<char>(a == 0 ? 0 : std::min<uint32_t>(255, v * 255 / a));
            }
            alpha[i] = static_cast<char>(a);
            opaque = opaque && a == 0xFF;
        }
    }
    image->width = width;
    image->height = height;
    image->left = left;
    image->top = top;
    image->alpha.clear();
    return Deflate(rgb, kContentDeflateLevel, &image->rgb) &&
           (opaque || Deflate(alpha, kContentDeflateLevel, &image->alpha));
}

namespace {
// The bitmap as a Cairo image; null when it does not inflate.
cairo_surface_t* SurfaceOf(const PageImage& image) {
    const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    std::string rgb, alpha;
    if (!Inflate(image.rgb, count * 3, &rgb) || (!image.alpha.empty() && !Inflate(image.alpha, count, &alpha)))
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * static_cast<size_t>(stride));
        for (int x = 0; x < image.width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x);
            const uint32_t a = alpha.empty() ? 0xFF : static_cast<unsigned char>(alpha[i]);
            uint32_t p = a << 24;
            for (int c = 0; c < 3; ++c)
                p |= (static_cast<unsigned char>(rgb[i * 3 + static_cast<size_t>(c)]) * a / 255) << (16 - 8 * c);
            row[x] = p;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

void DrawImage(cairo_t* cr, const PageImage& image) {
    cairo_surface_t* surface = SurfaceOf(image);
    if (!surface) return;
    cairo_set_source_surface(cr, surface, image.left, image.top);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, image.left, image.top, image.width, image.height);
    cairo_fill(cr);
    cairo_surface_destroy(surface);
}
}  // namespace

void DrawPageRecord(const PageRecord& record, cairo_t* cr) {
    for (const PageOp& op : record.ops()) {
        cairo_save(cr);
        cairo_new_path(cr);
        if (op.clipped) {
            cairo_rectangle(cr, op.clip.left, op.clip.top, op.clip.Width(), op.clip.Height());
            cairo_clip(cr);
        }
        SetColour(cr, op.colour);
        switch (op.kind) {
        case PageOpKind::Boxes:
            for (uint32_t i = op.from; i < op.from + op.count; ++i) {
                const PageBox& b = record.boxes()[i];
                cairo_rectangle(cr, b.left, b.top, b.right - b.left, b.bottom - b.top);
                cairo_fill(cr);
            }
            break;
        case PageOpKind::Glyphs:
            cairo_set_scaled_font(cr, record.font(op.item));
            cairo_show_glyphs(cr, record.glyphs() + op.from, static_cast<int>(op.count));
            break;
        case PageOpKind::Fill:
            AppendPath(cr, record.path() + op.from, op.count);
            cairo_set_fill_rule(cr, op.rule);
            cairo_fill(cr);
            break;
        case PageOpKind::Stroke: {
            const PageStroke& s = record.stroke(op.item);
            AppendPath(cr, record.path() + op.from, op.count);
            cairo_set_line_width(cr, s.width);
            cairo_set_line_cap(cr, s.cap);
            cairo_set_line_join(cr, s.join);
            cairo_set_dash(cr, s.dashes.data(), static_cast<int>(s.dashes.size()), 0);
            cairo_stroke(cr);
            break;
        }
        case PageOpKind::Image:
            DrawImage(cr, record.image(op.item));
            break;
        }
        cairo_restore(cr);
    }
}

}  // namespace ql::gfx::detail
