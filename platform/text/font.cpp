// The font table: creating fonts from requests and deleting them.
#include "platform/text/font.h"

#include "platform/text/context_font.h"

namespace ql::text {
namespace {

platform::HandleTable<platform::ObjectKind::Font, Font>& Fonts() {
    static platform::HandleTable<platform::ObjectKind::Font, Font> table;
    return table;
}

// The styles cairo must imitate: asked for, and missing in the face found.
uint8_t SynthesisFor(const LogicalFont& request, const FaceMatch& match) {
    uint8_t synth = kSynthNone;
    if (request.weight >= kBoldThreshold && match.weight < kBoldThreshold) synth |= kSynthBold;
    if (request.italic && !match.italic) synth |= kSynthOblique;
    return synth;
}

// The drawing layer's DeleteObject deletes fonts through this module: connected
// when the first font is made, so that no caller has to remember to.
void ConnectFontDeleter() {
    static bool connected = false;
    if (connected) return;
    connected = true;
    RegisterFontDeleter();
}

}  // namespace

FontHandle CreateFontIndirect(const LogicalFont& request) {
    FaceMatch match = MatchFace(request);
    if (match.path.empty()) return FontHandle{};
    auto font = std::make_unique<Font>();
    font->request = request;
    font->face = LoadedFace::Load(match.path, match.index, SynthesisFor(request, match));
    if (!font->face) return FontHandle{};
    font->match = std::move(match);
    ConnectFontDeleter();
    return Fonts().Add(std::move(font));
}

bool DeleteFont(FontHandle font) {
    return Fonts().Remove(font);
}

const Font* FindFont(FontHandle font) {
    return Fonts().Find(font);
}

bool GetFontRequest(FontHandle font, LogicalFont* request) {
    const Font* found = FindFont(font);
    if (!found || !request) return false;
    *request = found->request;
    return true;
}

std::string GetFontFaceName(FontHandle font) {
    const Font* found = FindFont(font);
    return found ? found->match.family : std::string();
}

bool IsFontSubstituted(FontHandle font) {
    const Font* found = FindFont(font);
    return found && found->match.substituted;
}

size_t LiveFontCount() {
    return Fonts().LiveCount();
}

}  // namespace ql::text
