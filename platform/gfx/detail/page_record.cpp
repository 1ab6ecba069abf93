#include "platform/gfx/detail/page_record.h"

#include <utility>

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
        }
        cairo_restore(cr);
    }
}

}  // namespace ql::gfx::detail
