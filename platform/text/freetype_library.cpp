// The shared FreeType instance. It is never released: cairo font faces made from
// its faces may live until the process ends.
#include "platform/text/freetype_library.h"

namespace ql::text {

FT_Library SharedFreeType() {
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0) return static_cast<FT_Library>(nullptr);
        return lib;
    }();
    return library;
}

}  // namespace ql::text
