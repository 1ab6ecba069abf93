// "Set Image" (dialog 862), the attribute dialog of every text object: text or single
// symbol, the text, and the font panel (one of the document's quick fonts, or an own
// face with its height, bold, italic and underline). It works on a copy of the body;
// OK writes the copy back only when the stored form or the text changed, otherwise
// it ends as Cancel and the document is left alone. "Select Symbol" runs the symbol
// picker on the copy; the panel's "Select" runs the font chooser for an own face.
#pragma once

#include <cstdint>
#include <string>

#include "core/text/text_object.h"

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreObject;
struct ScoreView;

constexpr uint32_t kSetImageHelpContext = 1320;

// A text object's label as the file keeps it: the body and, for a text, its string.
struct TextImage {
    TextObjectBody body{};
    std::string text;
};

TextImage TextImageOf(const TextObject* text);
// True when both would be stored alike (run-time caches and string handles aside).
bool SameStoredImage(const TextImage& a, const TextImage& b);
// Gives `target` the image's body and text, keeping or freeing its own string as the
// image needs; its cached font and drag image are dropped. False when a string was
// needed and could not be had (the body is then the image's, without text).
bool ApplyTextImage(TextObject* target, const TextImage& image);

// A scratch text object showing an image, for previews and parsing: the model's
// header with the image's body and a string of its own, freed with the scratch.
class ScratchTextObject {
  public:
    ScratchTextObject(const TextObject& model, const TextImage& image);
    ~ScratchTextObject();
    ScratchTextObject(const ScratchTextObject&) = delete;
    ScratchTextObject& operator=(const ScratchTextObject&) = delete;
    TextObject* get() { return &object_; }

  private:
    TextObject object_{};
};

// Runs the dialog on an image that belongs to no object (a dialog's working copy of a
// label): true when OK changed it, and `image` then holds the new one.
bool RunTextImageDialog(ScoreView* view, TextImage* image);

// Runs the dialog on a text object: 1 when OK changed it, 0 otherwise.
int OpenTextPropertiesDialog(ScoreObject* object, ScoreView* view);

}  // namespace ql
