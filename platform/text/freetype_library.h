// The one FreeType library instance of the text layer (user-interface thread).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

namespace ql::text {

// Initialised on first use and kept for the life of the process; null when
// FreeType could not start.
FT_Library SharedFreeType();

}  // namespace ql::text
