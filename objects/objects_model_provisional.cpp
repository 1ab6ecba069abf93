// Object clean-ups the score model's release by type calls: the text box's text, the
// tuplet's label and the picture's cache. What else these objects hold lives in their
// records (freed by the caller) or, for a picture's bytes, in the document.
#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/text/text_object.h"
#include "objects/object_services.h"
#include "objects/picture/picture_object.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"
#include "platform/gfx/objects.h"

namespace ql {

void DestroyTextBox(ScoreObject* object) {
    if (object == nullptr) return;
    TextBoxBody& body = AsTextBox(object)->body;
    FreeTextBoxString(&body);
    if (body.bitmapCache != 0) gfx::DeleteObject(platform::BitmapHandle{body.bitmapCache});
    body.bitmapCache = 0;
}

void DestroyTupletBody(ScoreObject* object) {
    if (object == nullptr) return;
    // provisional: the tuplet class (its interfaces and group table) is not built; its
    // label is a text object whose string and caches go with it.
    DestroyTextObject(&AsTuplet(object)->text);
}

// The picture's bytes belong to the document and stay until it is destroyed.
void DestroyPicture(ScoreObject* object) {
    if (object == nullptr) return;
    PictureObject* picture = AsPicture(object);
    if (picture->cache != 0) gfx::DeleteObject(platform::BitmapHandle{picture->cache});
    picture->cache = 0;
}

void FreeArea(ScoreObject* object) {
    FreeStaticRecord(kTransientStaticPool, object);
}

}  // namespace ql
