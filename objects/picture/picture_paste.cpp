// Pasting a picture from the clipboard, its attribute dialog (891), Edit Copy of a
// picture and the picture tool (see picture_class.h). The clipboard is closed on
// every path that opened it, and a picture that could not be completed is freed
// before anything was inserted.
#include <optional>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/tool_record.h"
#include "core/ui/tool_services.h"
#include "core/ui/wait_cursor.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "display/view_modes.h"
#include "objects/graphics/shape_dialog_resources.h"
#include "objects/picture/dib.h"
#include "objects/picture/picture_class.h"
#include "platform/sys/clipboard.h"
#include "platform/sys/help.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using sys::ClipboardFormat;
using namespace picture_dialog;

constexpr const char* kNoPicture = "No picture available on clipboard.";
constexpr const char* kNoMemoryForPicture = "Not enough memory to create a new picture image.";
constexpr const char* kCannotRetrieve = "Unable to retrieve picture from clipboard.";
constexpr const char* kCannotSize = "Unable to retrieve size of picture from clipboard.";
constexpr const char* kNoClipboardDib = "Unable to access clipboard DIB";
constexpr const char* kCompressed = "Unable to import compressed bitmaps.";
constexpr const char* kPasteCaption = "Paste Picture";
constexpr const char* kAttributesCaption = "Set Picture Attributes";
constexpr int kTwoColourBits = 2;
constexpr size_t kDibBitsAt = 14;  // bit count of an information header
constexpr size_t kCoreBitsAt = 10;

void Tell(std::string_view text, uint32_t icon) {
    ModalMessageBox(text, ProgramString(kStrProductName), ui::kBoxOk | icon);
}

// One run of dialog 891: the picture, its working copy, and whether it had bytes.
struct PictureDialogRun {
    PictureObject* picture = nullptr;
    ScoreView* view = nullptr;
    PictureObject working{};
};
PictureDialogRun g_dialog;

void InitPictureDialog(platform::WindowHandle dialog) {
    const PictureBody& body = g_dialog.working.body;
    win::SetWindowText(dialog, g_dialog.picture->data == 0 ? kPasteCaption : kAttributesCaption);
    ui::CheckItem(dialog, kKeepRatio, (body.flags & kPictureKeepRatio) != 0);
    ui::CheckItem(dialog, kOpaque, (body.flags & kPictureOpaque) != 0);
    bool colour = (body.flags & kPictureColour) != 0;
    bool blackAndWhite = !colour || (body.flags & kPictureBlackAndWhite) != 0;
    ui::CheckRadioButton(dialog, kColour, kBlackAndWhite, blackAndWhite ? kBlackAndWhite : kColour);
    ui::EnableItem(dialog, kColour, colour);
    EnableHelpButton(dialog, nullptr);
}

void CommitPictureDialog(platform::WindowHandle dialog) {
    PictureObject& working = g_dialog.working;
    bool keepBefore = (g_dialog.picture->body.flags & kPictureKeepRatio) != 0;
    uint8_t flags = working.body.flags & static_cast<uint8_t>(~(kPictureKeepRatio | kPictureOpaque | kPictureBlackAndWhite));
    if (ui::IsItemChecked(dialog, kKeepRatio)) flags |= kPictureKeepRatio;
    if (ui::IsItemChecked(dialog, kOpaque)) flags |= kPictureOpaque;
    if (ui::IsItemChecked(dialog, kBlackAndWhite)) flags |= kPictureBlackAndWhite;
    working.body.flags = flags;
    ScoreDocument* document = g_dialog.view->document;
    if (IsColourPicture(working.body) && g_dialog.picture->data != 0) ++document->colourPictures;
    g_dialog.picture->body = working.body;
    if (!keepBefore && (flags & kPictureKeepRatio) != 0 && g_dialog.picture->data != 0)
        SetPictureNaturalSize(g_dialog.picture, g_dialog.view);
    DropPictureCache(g_dialog.picture);
    SetDocumentModified(document);
}

intptr_t PictureDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
    case win::Message::InitDialog:
        if (g_dialog.view == nullptr) {
            ui::EndDialog(dialog, ui::kIdCancel);
            return 1;
        }
        InitPictureDialog(dialog);
        return 1;
    case win::Message::Command: {
        int32_t id = static_cast<int32_t>(win::CommandId(word));
        if (id == ui::kIdOk) {
            CommitPictureDialog(dialog);
            ui::EndDialog(dialog, ui::kIdOk);
        } else if (id == ui::kIdCancel) {
            ui::EndDialog(dialog, ui::kIdCancel);
        } else if (id == shape_dialog::kLogo) {
            ShowHelp(dialog, sys::HelpCommand::Context, kHelpContext, nullptr);
        } else {
            return 0;
        }
        return 1;
    }
    case win::Message::Help: return ShowHelp(dialog, sys::HelpCommand::Context, kHelpContext, nullptr);
    case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
    default: return 0;
    }
}

int RunPictureDialog(PictureObject* picture, ScoreView* view) {
    g_dialog = PictureDialogRun{picture, view, *picture};
    intptr_t result = ModalDialogBox(view, kDialog, &PictureDialogProc);
    g_dialog = PictureDialogRun{};
    return static_cast<int>(result);
}

// The bytes of one clipboard format, the clipboard opened and closed around the read.
std::optional<std::vector<uint8_t>> ReadClipboard(ClipboardFormat format) {
    if (!sys::OpenClipboard(State().dialogs.FrameWindow)) return std::nullopt;
    std::optional<std::vector<uint8_t>> bytes = sys::GetClipboardData(format);
    sys::CloseClipboard();
    return bytes;
}

// The metafile offered: its bytes, or a message and nothing.
std::optional<std::vector<uint8_t>> PasteMetafile() {
    std::optional<std::vector<uint8_t>> bytes = ReadClipboard(ClipboardFormat::EnhancedMetafile);
    if (!bytes) Tell(kCannotRetrieve, ui::kBoxIconStop);
    else if (bytes->empty()) Tell(kCannotSize, ui::kBoxIconStop);
    if (!bytes || bytes->empty()) return std::nullopt;
    return bytes;
}

// The DIB offered: its bytes (the colour flag from its bit count), or a message and
// nothing. Compressed bitmaps are refused.
std::optional<std::vector<uint8_t>> PasteClipboardDib(PictureBody& body) {
    if (!sys::IsClipboardFormatAvailable(ClipboardFormat::Dib)) {
        Tell(kCannotRetrieve, ui::kBoxIconStop);
        return std::nullopt;
    }
    std::optional<std::vector<uint8_t>> bytes = ReadClipboard(ClipboardFormat::Dib);
    if (!bytes || bytes->size() < kCoreHeaderBytes) {
        Tell(kNoClipboardDib, ui::kBoxIconInformation);
        return std::nullopt;
    }
    if (IsCompressedDib(bytes->data(), bytes->size())) {
        Tell(kCompressed, ui::kBoxIconInformation);
        return std::nullopt;
    }
    const uint8_t* p = bytes->data();
    bool core = p[0] == kCoreHeaderBytes && p[1] == 0 && p[2] == 0 && p[3] == 0;
    size_t at = core ? kCoreBitsAt : kDibBitsAt;
    int bits = bytes->size() >= at + 2 ? (p[at] | (p[at + 1] << 8)) : 0;
    body.format = kPictureFormatDib;
    body.flags = static_cast<uint8_t>(bits >= kTwoColourBits ? (body.flags | kPictureColour)
                                                              : (body.flags & ~kPictureColour));
    return bytes;
}

void FreePicture(PictureObject* picture) {
    DropPictureCache(picture);
    FreeRecord(kLargeObjectPool, picture);
}

// The bytes of the format on offer, the metafile first.
std::optional<std::vector<uint8_t>> PasteBytes(PictureBody& body) {
    if (sys::IsClipboardFormatAvailable(ClipboardFormat::EnhancedMetafile)) {
        body.format = kPictureFormatMetafile;
        body.flags |= kPictureColour;
        return PasteMetafile();
    }
    return PasteClipboardDib(body);
}

}  // namespace

ScoreObject* PictureClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (view->document->header.staffCount == 0 && !view->pageView) return nullptr;
    if (!ClipboardOffersPicture()) {
        ViewMessageBox(view, kNoPicture, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconInformation);
        return nullptr;
    }
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Picture));
    if (object == nullptr) {
        Tell(kNoMemoryForPicture, ui::kBoxIconInformation);
        return nullptr;
    }
    PictureObject* picture = AsPicture(object);
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    EncodePageAnchors(view, &picture->body.location, &view->pointerPoint, 1);
    picture->body.format = kPictureFormatMetafile;
    picture->body.flags = kPictureKeepRatio | kPictureColour;
    if (RunPictureDialog(picture, view) != ui::kIdOk) {
        FreePicture(picture);
        return nullptr;
    }
    std::optional<std::vector<uint8_t>> bytes = PasteBytes(picture->body);
    if (!bytes) {
        FreePicture(picture);
        return nullptr;
    }
    ScoreDocument* document = view->document;
    SetDocumentModified(document);
    picture->body.dataSize = static_cast<uint32_t>(bytes->size());
    picture->data = PushDocumentRecord(document, std::move(*bytes));
    if (IsColourPicture(picture->body)) ++document->colourPictures;
    if (SelectionState* selection = TheSelectionState()) selection->focusedObject = Ref32<ScoreObject>::To(object);
    InsertObjectBySubtype(view, object);
    SetPictureNaturalSize(picture, view);
    return object;
}

int PictureClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr) return 0;
    return RunPictureDialog(AsPicture(object), view) == ui::kIdOk ? 1 : 0;
}

bool CopyPictureToClipboard(ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    ScoreObject* object = selection != nullptr ? selection->focusedObject.get() : nullptr;
    if (view == nullptr || object == nullptr || object->type != TypeCode(ObjectType::Picture)) return false;
    PictureObject* picture = AsPicture(object);
    const std::vector<uint8_t>* bytes = PictureBytesOf(picture, view->document);
    if (bytes == nullptr) return false;
    if (!sys::OpenClipboard(State().dialogs.FrameWindow)) return false;
    const WaitCursor waiting;
    bool done = sys::EmptyClipboard() &&
                sys::SetClipboardData(static_cast<ClipboardFormat>(picture->body.format), *bytes);
    sys::CloseClipboard();
    return done;
}

intptr_t PictureTool(ScoreView* view, int action, ToolRecord*, platform::WindowHandle window,
                     win::Message message, uint32_t word, intptr_t data) {
    constexpr int kSelect = 0;
    constexpr int kMessage = 1;
    constexpr int kDeselect = 2;
    const uint8_t type = TypeCode(ObjectType::Picture);
    switch (action) {
    case kSelect: SelectToolType(view, type); return 0;
    case kMessage: {
        if (view == nullptr || view->document == nullptr) return 0;
        BindArmedTool(view, message, window, type);
        UndoStep step(view->document, view, UndoKind::Item, type, UndoVerb::Modify);
        return HandleToolMouseMessage(view, window, message, word, data);
    }
    case kDeselect: DeselectTool(view); return 0;
    default: return 0;
    }
}

bool ClipboardOffersPicture() {
    return sys::IsClipboardFormatAvailable(ClipboardFormat::EnhancedMetafile) ||
           sys::IsClipboardFormatAvailable(ClipboardFormat::Dib) ||
           sys::IsClipboardFormatAvailable(ClipboardFormat::Bitmap);
}

}  // namespace ql
