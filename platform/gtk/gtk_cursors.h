// Cursors on the display: the layer's system shapes by their names in the
// cursor theme, the program's cursor resources as images with their hot spots.
// Each cursor is made once per handle and kept until the cache goes.
// User-interface thread only.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <map>

#include "platform/sys/resources.h"
#include "platform/win/input.h"

namespace ql::gtk {

// The cursor theme's name of a system shape ("default" for one it lacks).
const char* CursorNameOf(win::SystemCursor shape);

// A cursor resource's image as a Cairo surface (colours multiplied by their
// alpha, as Cairo keeps them); null when its size and pixels disagree. The
// caller destroys it.
cairo_surface_t* CursorImageSurface(const sys::CursorResource& image);

class GtkCursorCache {
  public:
    GtkCursorCache() = default;
    GtkCursorCache(const GtkCursorCache&) = delete;
    GtkCursorCache& operator=(const GtkCursorCache&) = delete;
    ~GtkCursorCache();

    // The display's cursor for a cursor of the layer; null for no cursor, a
    // stale handle or a resource that is gone (the window's default shows).
    GdkCursor* Find(GdkDisplay* display, win::CursorHandle cursor);

  private:
    std::map<uint32_t, GdkCursor*> made_;  // key: the handle's bits
};

}  // namespace ql::gtk
