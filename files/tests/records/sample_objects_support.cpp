// Sample objects of every stored type (see sample_objects.h).
#include <cstring>

#include "core/model/document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "files/tests/records/sample_objects.h"
#include "objects/chord/chord_symbol.h"
#include "objects/curves/curve_objects.h"
#include "objects/hairpin/hairpin.h"
#include "objects/picture/picture_object.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"

namespace ql::testing_files {
namespace {

void GiveString(ScoreObject* object, const char* text) {
    if (SetTextObjectString(AsTextObject(object), text) >= 0)
        AsTextObject(object)->body.flags |= kTextOwnsString;
}

void GiveData(ScoreObject* object) {
    MidiAction* action = MidiActionOfText(object);
    SetMidiActionKind(action, kMidiKindData, 0);
    const uint8_t data[] = {0xF0, 0x7E, 0x00, 0x09, 0x01, 0xF7};
    if (SetMidiActionData(action, data, sizeof data) >= 0) action->head.data.length = sizeof data;
}

void GiveEndpoint(ScoreObject* object) {
    SpannerInterface* spanner = SpannerOf(object);
    if (spanner == nullptr) return;
    spanner->endpoint = SpannerEndpoint{
        AnchorPoint{{0, 256}, 16, -32}, AnchorPoint{{1, 512}, 48, 64}, 128, -128, 2, 0x01};
}

}  // namespace

const std::vector<uint8_t>& StoredTypeCodes() {
    static const std::vector<uint8_t> codes = {0,  4,  5,  6,  7,  8,  9,  10, 14,
                                               15, 18, 21, 22, 24, 25, 26, 33, 38,
                                               39, 46, 47, 48, 49, 50, 51, 52, 53};
    return codes;
}

ScoreObject* MakeSampleObject(ScoreDocument* document, uint8_t type) {
    ScoreObject* object = ConstructObject(type);
    if (object == nullptr) return nullptr;
    GiveEndpoint(object);
    switch (type) {
        case 18:
        case 48:
        case 50:
            GiveString(object, "sample text");
            break;
        case 51:
            GiveString(object, "5");
            AsTuplet(object)->anchor.payload.times[2] = 300;
            break;
        case 39:
            GiveString(object, "C7");
            AsChordSymbol(object)->chord.quality = 3;
            break;
        case 25:
            GiveData(object);
            break;
        case 6:
            SetTextBoxText(&AsTextBox(object)->body, "text box", 8);
            break;
        case 53:
            AsPicture(object)->data = PushDocumentRecord(document, std::vector<uint8_t>(40, 0x3C));
            AsPicture(object)->body.flags = kPictureColour;
            break;
        case 4:
            AsSlur(object)->body.points[1] = AnchorPoint{{1, 2}, 3, 4};
            break;
        case 7:
            AsHairpin(object)->points[2] = AnchorPoint{{5, 6}, 7, 8};
            break;
        default:
            break;
    }
    return object;
}

}  // namespace ql::testing_files
