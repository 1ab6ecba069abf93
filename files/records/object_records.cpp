// Object records by type code (see object_records.h): the type lists, the body
// dispatch, the list writer and counter, and the record reader.
#include "files/records/object_records.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "files/records/object_read_context.h"
#include "files/records/text_record_io.h"
#include "files/score_file.h"
#include "objects/chord/chord_symbol.h"
#include "objects/curves/curve_objects.h"
#include "objects/graphics/graphic_object.h"
#include "objects/guide/guide_line.h"
#include "objects/hairpin/hairpin.h"
#include "objects/margin/margin_object.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/picture/picture_object.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"
#include "objects/text_marks/text_marks.h"

namespace ql {
namespace {

// The two always-stored lists, and every stored code.
constexpr uint8_t kMidiRecordTypes[] = {25, 22, 21, 24, 26};
constexpr uint8_t kTextRecordTypes[] = {18, 50, 38, 14, 15};
constexpr uint8_t kStoredTypes[] = {4,  5,  6,  7,  8,  9,  10, 14, 15, 18, 21, 22, 24,
                                    25, 26, 33, 38, 39, 46, 47, 48, 49, 50, 51, 52, 53};
constexpr size_t kRecordHeaderBytes = 2;
constexpr uint32_t kSelectionBodyBytes = 16;
constexpr int kWriteFailed = 2;
constexpr int kMaxListWalk = 1 << 16;  // a damaged circular list ends the walk
inline constexpr char kDiskWriteError[] = "Disk write error:";

template <size_t N>
bool IsIn(const uint8_t (&list)[N], uint8_t type) {
    return std::find(std::begin(list), std::end(list), type) != std::end(list);
}

bool IsSpannerType(uint8_t type) {
    return type == 46 || type == 47 || type == 48 || type == 49 || type == 51;
}

bool IsGraphicType(uint8_t type) {
    return type == TypeCode(ObjectType::Line) || type == TypeCode(ObjectType::Circle) ||
           type == TypeCode(ObjectType::Box);
}

// The record's subtype in memory after a write in `mode` (the record keeps the old).
uint8_t SubtypeForMode(uint8_t subtype, ObjectListMode mode) {
    switch (mode) {
        case ObjectListMode::MeasureCell:
            return subtype == SubtypeCode(ObjectSubtype::MeasureTimeList) ||
                           subtype == SubtypeCode(ObjectSubtype::MeasureAnchorList)
                       ? subtype
                       : SubtypeCode(ObjectSubtype::MeasureTimeList);
        case ObjectListMode::Page:
            return SubtypeCode(ObjectSubtype::PageList);
        case ObjectListMode::NoteAttachment:
            return SubtypeCode(ObjectSubtype::NoteAttachment);
    }
    return subtype;
}

void EncodeBody(ScoreObject* object, ScoreDocument* document, ByteWriter& writer) {
    uint8_t type = object->type;
    if (IsIn(kMidiRecordTypes, type)) return EncodeMidiMarkBody(object, writer);
    if (IsIn(kTextRecordTypes, type)) return EncodeTextMarkBody(object, writer);
    if (IsGraphicType(type)) return EncodeGraphicBody(*AsGraphicObject(object), writer);
    if (IsSpannerType(type)) return EncodeSpannerBody(object, writer);
    switch (static_cast<ObjectType>(type)) {
        case ObjectType::Slur:
            return EncodeSlurBody(*AsSlur(object), writer);
        case ObjectType::Tie:
            return EncodeTieBody(*AsTie(object), writer);
        case ObjectType::TextBox:
            return EncodeTextBoxBody(*AsTextBox(object), writer);
        case ObjectType::Hairpin:
            return EncodeHairpinBody(*AsHairpin(object), writer);
        case ObjectType::Margin:
            return EncodeMarginBody(*AsMarginObject(object), writer);
        case ObjectType::Chord:
            return EncodeChordBody(*AsChordSymbol(object), writer);
        case ObjectType::Guide:
            return EncodeGuideBody(*AsGuideLine(object), writer);
        case ObjectType::Picture:
            return EncodePictureBody(*AsPicture(object), document, writer);
        default:
            return;
    }
}

int DecodeBody(ScoreObject* object, const ObjectReadContext& context) {
    uint8_t type = object->type;
    if (IsIn(kMidiRecordTypes, type)) return DecodeMidiMarkBody(object, context);
    if (IsIn(kTextRecordTypes, type)) return DecodeTextMarkBody(object, context);
    if (IsGraphicType(type)) return DecodeGraphicBody(AsGraphicObject(object), context);
    if (IsSpannerType(type)) return DecodeSpannerBody(object, context);
    switch (static_cast<ObjectType>(type)) {
        case ObjectType::Slur:
            return DecodeSlurBody(AsSlur(object), context);
        case ObjectType::Tie:
            return DecodeTieBody(AsTie(object), context);
        case ObjectType::TextBox:
            return DecodeTextBoxBody(AsTextBox(object), context);
        case ObjectType::Hairpin:
            return DecodeHairpinBody(AsHairpin(object), context);
        case ObjectType::Margin:
            return DecodeMarginBody(AsMarginObject(object), context);
        case ObjectType::Chord:
            return DecodeChordBody(AsChordSymbol(object), context);
        case ObjectType::Guide:
            return DecodeGuideBody(AsGuideLine(object), context);
        case ObjectType::Picture:
            return DecodePictureBody(AsPicture(object), context);
        default:
            return item_code::kNoRecord;
    }
}

int ReportWriteFailure(int step) {
    ErrorBox(std::string(kDiskWriteError) + ": " + std::to_string(step));
    return kWriteFailed;
}

// A selection record: its 16 bytes are read and dropped.
int SkipSelection() {
    uint8_t bytes[kSelectionBodyBytes];
    return ReadBodyBytes(bytes, kSelectionBodyBytes) ? 0 : item_code::kSelectionBody;
}

// An accidental record: read into a scratch text object and dropped; the note reader
// gives the note its accidental.
int DropAccidental() {
    TextObject scratch{};
    ConstructTextObject(&scratch);
    scratch.header.type = TypeCode(ObjectType::Accidental);
    bool read = DecodeTextRecord(&scratch);
    DestroyTextObject(&scratch);
    return read ? 0 : item_code::kAccidentalText;
}

// The state of one list being read.
struct ListRead {
    ObjectReadContext context;
    ScoreObject* tail = nullptr;
    bool tieKept = false;
};

int ReadOneRecord(uint8_t type, ListRead& list) {
    if (type == TypeCode(ObjectType::Selection)) return SkipSelection();
    if (type == TypeCode(ObjectType::Accidental)) return DropAccidental();
    ScoreObject* object = ConstructObject(type);
    if (object == nullptr) return item_code::kNoRecord;
    int code = DecodeBody(object, list.context);
    bool isTie = type == TypeCode(ObjectType::Tie);
    if (code != 0 || !list.context.keep || (isTie && list.tieKept)) {
        ReleaseObjectByType(list.context.document, object);
        return code;
    }
    list.tieKept = list.tieKept || isTie;
    object->type = type;
    object->subtype = list.context.subtype;
    object->next = Ref32<ScoreObject>{};
    InsertObjectAfter(list.tail, object);
    list.tail = object;
    return 0;
}

}  // namespace

bool IsStoredObjectType(uint8_t type) {
    return IsIn(kStoredTypes, type);
}

bool IsAcceptedObjectType(uint8_t type) {
    return type == TypeCode(ObjectType::Selection) || IsStoredObjectType(type);
}

void EncodeScoreObject(ScoreObject* object, uint8_t subtype, ScoreDocument* document,
                       ByteWriter& writer) {
    writer.U8(object->type);
    writer.U8(subtype);
    EncodeBody(object, document, writer);
}

uint32_t CountStoredObjects(const ScoreObject* first) {
    uint32_t count = 0;
    int walked = 0;
    for (const ScoreObject* o = first; o != nullptr && walked < kMaxListWalk;
         o = o->next.get(), ++walked)
        if (IsStoredObjectType(o->type)) ++count;
    return count;
}

void EncodeScoreObjectList(ScoreDocument* document, ScoreObject* first, ObjectListMode mode,
                           ByteWriter& writer) {
    int walked = 0;
    for (ScoreObject* o = first; o != nullptr && walked < kMaxListWalk;
         o = o->next.get(), ++walked) {
        if (!IsStoredObjectType(o->type)) continue;
        o->subtype = SubtypeForMode(o->subtype, mode);
        EncodeScoreObject(o, o->subtype, document, writer);
    }
}

int WriteScoreObjectList(ScoreDocument* document, ScoreObject* first, ObjectListMode mode) {
    int walked = 0;
    for (ScoreObject* o = first; o != nullptr && walked < kMaxListWalk;
         o = o->next.get(), ++walked) {
        if (!IsStoredObjectType(o->type)) continue;
        o->subtype = SubtypeForMode(o->subtype, mode);
        ByteWriter writer;
        EncodeScoreObject(o, o->subtype, document, writer);
        if (!WriteScoreBytes(writer.Data(), kRecordHeaderBytes))
            return ReportWriteFailure(item_code::kWriteHeader);
        auto bodyBytes = static_cast<uint32_t>(writer.Size() - kRecordHeaderBytes);
        if (!WriteScoreBytes(writer.Data() + kRecordHeaderBytes, bodyBytes))
            return ReportWriteFailure(item_code::kWriteBody);
    }
    return 0;
}

namespace {

// One record of a list: its header, then its body by type.
int ReadListRecord(ListRead& list) {
    uint8_t header[kRecordHeaderBytes] = {};
    if (!ReadBodyBytes(header, kRecordHeaderBytes)) return item_code::kHeader;
    if (!IsAcceptedObjectType(header[0])) {
        if (HasOneByteVersionField()) MarkVersion15Shorter();
        return item_code::kTypeNotAccepted;
    }
    list.context.subtype = header[1];
    return ReadOneRecord(header[0], list);
}

}  // namespace

int ReadScoreObject(ScoreView* view, ScoreObject* tail, int count, const ObjectRecordSpans& spans,
                    ObjectListMode kind) {
    if (count <= 0) return 0;
    if (view == nullptr || view->document == nullptr) return item_code::kNoRecord;
    ScopedPoolSet pools(view->document->pools);
    ListRead list{CurrentReadContext(view, tail != nullptr), tail, false};
    list.context.noteList = kind == ObjectListMode::NoteAttachment;
    for (int i = 0; i < count; ++i) {
        const uint64_t from = ScoreFilePosition();
        const int code = ReadListRecord(list);
        if (spans && ScoreFilePosition() > from) spans(from, ScoreFilePosition() - from);
        if (code != 0) return code;
    }
    return 0;
}

}  // namespace ql
