// Offering the clipboard's blocks with gtk_clipboard_set_with_data: the offer's
// bytes are kept by the selection until another offer or another owner replaces
// them. Replacing our own offer is not a loss of ownership; only a clear that
// comes from elsewhere runs the store's lost-ownership path. Reading: an image
// another program offers (in any format the desktop's image loaders know) is
// taken as a packed device-independent bitmap.
#include "platform/gtk/gtk_clipboard.h"

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/clipboard.h"

namespace ql::gtk {
namespace {

struct OfferedBlock {
    std::string target;
    std::vector<uint8_t> bytes;
};

struct GtkOffer {
    std::vector<OfferedBlock> blocks;
};

// Set while our own new offer replaces the previous one.
bool g_replacingOwnOffer = false;

void AnswerRequest(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer data) {
    const auto* offer = static_cast<const GtkOffer*>(data);
    if (info >= offer->blocks.size()) return;
    const OfferedBlock& block = offer->blocks[info];
    gtk_selection_data_set(selection, gdk_atom_intern(block.target.c_str(), FALSE), 8,
                           block.bytes.data(), static_cast<gint>(block.bytes.size()));
}

void ClearOffer(GtkClipboard*, gpointer data) {
    delete static_cast<GtkOffer*>(data);
    if (!g_replacingOwnOffer) sys::ClipboardOwnershipLost();
}

bool DesktopOffers(sys::ClipboardFormat format) {
    if (format != sys::ClipboardFormat::Dib) return false;
    return gtk_clipboard_wait_is_image_available(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)) != FALSE;
}

std::optional<std::vector<uint8_t>> ReadFromDesktop(sys::ClipboardFormat format) {
    if (format != sys::ClipboardFormat::Dib) return std::nullopt;
    GdkPixbuf* image = gtk_clipboard_wait_for_image(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    if (image == nullptr) return std::nullopt;
    std::vector<uint8_t> dib;
    if (gdk_pixbuf_get_bits_per_sample(image) == 8) {
        const guint8* pixels = gdk_pixbuf_read_pixels(image);
        const std::vector<uint8_t> bytes(pixels, pixels + gdk_pixbuf_get_byte_length(image));
        dib = sys::PackedDibFromPixels(gdk_pixbuf_get_width(image), gdk_pixbuf_get_height(image),
                                       gdk_pixbuf_get_rowstride(image), gdk_pixbuf_get_n_channels(image), bytes);
    }
    g_object_unref(image);
    if (dib.empty()) return std::nullopt;
    return dib;
}

void OfferOnDesktop(const sys::ClipboardOffer& offer) {
    auto kept = std::make_unique<GtkOffer>();
    for (const auto& entry : offer.blocks) {
        std::string target = sys::ClipboardTarget(static_cast<sys::ClipboardFormat>(entry.first));
        if (!target.empty()) kept->blocks.push_back(OfferedBlock{std::move(target), entry.second});
    }
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    g_replacingOwnOffer = true;
    if (kept->blocks.empty()) {
        gtk_clipboard_clear(clipboard);
        g_replacingOwnOffer = false;
        return;
    }
    std::vector<GtkTargetEntry> targets;
    for (size_t i = 0; i < kept->blocks.size(); ++i)
        targets.push_back(GtkTargetEntry{const_cast<gchar*>(kept->blocks[i].target.c_str()), 0,
                                         static_cast<guint>(i)});
    GtkOffer* owned = kept.get();
    if (gtk_clipboard_set_with_data(clipboard, targets.data(), static_cast<guint>(targets.size()),
                                    AnswerRequest, ClearOffer, owned)) {
        kept.release();  // the selection owns it now; ClearOffer frees it
        gtk_clipboard_set_can_store(clipboard, nullptr, 0);
    }
    g_replacingOwnOffer = false;
}

}  // namespace

void InstallGtkClipboard() {
    sys::InstallClipboardOfferHook(OfferOnDesktop);
    sys::InstallClipboardReaders({DesktopOffers, ReadFromDesktop});
}

}  // namespace ql::gtk
