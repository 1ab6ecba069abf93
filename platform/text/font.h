// Font objects: a request, the face it resolved to, and the loaded face drawn with.
// Fonts live in the text layer's handle table; deleting a font makes every copy of
// its handle stop resolving. A font has no size in pixels of its own: it is sized
// for the context it is measured or drawn in (see font_size.h).
// For the user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/handles.h"
#include "platform/text/font_catalog.h"
#include "platform/text/loaded_face.h"
#include "platform/text/logical_font.h"

namespace ql::text {

using platform::FontHandle;

// Weights from this value up count as bold when a face lacks its own bold.
constexpr int32_t kBoldThreshold = 600;

struct Font {
    LogicalFont request;
    FaceMatch match;
    std::shared_ptr<LoadedFace> face;  // never null in a live font
};

// Creates a font for a request; null when no face could be loaded at all.
FontHandle CreateFontIndirect(const LogicalFont& request);
// False when the handle does not resolve (already deleted, or not a font).
bool DeleteFont(FontHandle font);
// Checked lookup: null for 0, a deleted font or a stale handle.
const Font* FindFont(FontHandle font);
// The request the font was made from; false when the handle does not resolve.
bool GetFontRequest(FontHandle font, LogicalFont* request);
// The family of the face actually used ("" when the handle does not resolve).
std::string GetFontFaceName(FontHandle font);
// True when the request named a face and another one was used.
bool IsFontSubstituted(FontHandle font);
// Number of live fonts (tests check that every font made is deleted).
size_t LiveFontCount();

}  // namespace ql::text
