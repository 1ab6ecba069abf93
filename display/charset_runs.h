// Many runs of a score's 8-bit text measured and drawn on one context while its
// font, mapping and measuring mode stay as they are (the lines of a text box). The
// context's font is sized once, and the glyph and width of each byte are looked up
// the first time the byte is met, when the context measures on itself (the context
// measuring mode), draws (no recording) and its character set is read byte by byte
// (the symbol set, or a single-byte code page read byte by byte). Otherwise every
// run goes through MeasureText and DrawTextInCharset. Either way a run measures
// and draws exactly as through those two.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/gfx/types.h"
#include "platform/handles.h"
#include "platform/text/font_size.h"
#include "platform/text/glyph_run.h"
#include "platform/text/text_out.h"

namespace ql {

class CharsetRuns {
  public:
    explicit CharsetRuns(platform::DcHandle dc);

    // The width MeasureText gives the run with the context's character extra now
    // in force; 0 when it cannot be measured.
    int32_t Width(std::string_view run);
    // Draws the run at `at` as DrawTextInCharset does; false when nothing was drawn.
    bool Draw(gfx::Point at, std::string_view run);
    // Draws runs (a line's words) in their order, as Draw draws each; false when
    // one of them was not drawn.
    struct RunAt {
        gfx::Point at;
        std::string_view text;
    };
    bool Draw(std::span<const RunAt> runs);
    // Whether the runs are looked up byte by byte (for tests).
    bool ByteByByte() const { return direct_; }

  private:
    struct ByteGlyph {
        uint32_t glyph = 0;
        int32_t advance = 0;  // font units
        int32_t width = 0;    // logical units
        bool known = false;
    };
    const ByteGlyph& Of(char byte);
    void LookUp(std::string_view text, text::GlyphRun& run);

    platform::DcHandle dc_;
    bool direct_ = false;
    bool symbol_ = false;
    text::SizedFont font_;
    const std::array<char16_t, 256>* units_ = nullptr;
    std::array<ByteGlyph, 256> bytes_{};
    // Kept for their buffers.
    std::vector<text::GlyphRun> glyphRuns_;
    std::vector<text::GlyphRunAt> placed_;
};

}  // namespace ql
