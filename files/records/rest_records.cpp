// Stored rest blocks and the reading of a voice's rests (see rest_records.h).
#include "files/records/rest_records.h"

#include <vector>

#include "core/model/grid.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "files/score_file.h"

namespace ql {
namespace {

constexpr int kMaxRests = 4096;  // a damaged circular list ends the walk

ScoreObject* FirstRest(MeasureCell* cell, int voice) {
    ScoreObject* list = GetVoiceElementList(cell, voice);
    return list != nullptr ? list->next.get() : nullptr;
}

// A Rest of the registered class holding the block; null when none can be made.
ScoreObject* MakeRest(const RestBody& block) {
    ScoreObject* rest = ConstructObject(TypeCode(ObjectType::Rest));
    RestBody* body = RestBodyOf(rest);
    if (body == nullptr) {
        if (rest != nullptr) FreePool8Record(rest);
        return nullptr;
    }
    *body = block;
    return rest;
}

}  // namespace

void EncodeRestBlock(const RestBody& body, ByteWriter& writer) {
    FixedRecord record(writer, kStoredRestBytes);
    record.U16(0, body.tick);
    record.I8(2, body.xOffset);
    record.U8(3, body.code);
    record.I8(4, body.fineY);
    record.I8(5, body.position);
    record.U8(6, body.tupletKind);
    record.U8(7, body.tupletValue);
    record.U8(8, body.extraRatio);
    record.U8(9, body.flags);
}

RestBody DecodeRestBlock(ByteReader& reader) {
    RestBody body{};
    body.tick = reader.U16();
    body.xOffset = reader.I8();
    body.code = reader.U8();
    body.fineY = reader.I8();
    body.position = reader.I8();
    body.tupletKind = reader.U8();
    body.tupletValue = reader.U8();
    body.extraRatio = reader.U8();
    body.flags = reader.U8();
    return body;
}

uint16_t CountVoiceRests(MeasureCell* cell, int voice) {
    uint16_t count = 0;
    for (ScoreObject* rest = FirstRest(cell, voice); rest != nullptr && count < kMaxRests;
         rest = rest->next.get())
        if (RestBodyOf(rest) != nullptr) ++count;
    return count;
}

void EncodeVoiceRests(MeasureCell* cell, int voice, ByteWriter& writer) {
    int walked = 0;
    for (ScoreObject* rest = FirstRest(cell, voice); rest != nullptr && walked < kMaxRests;
         rest = rest->next.get(), ++walked)
        if (const RestBody* body = RestBodyOf(rest)) EncodeRestBlock(*body, writer);
}

int BuildRestChain(MeasureCell* cell, int voice, const std::vector<RestBody>& blocks, int measureTicks) {
    if (blocks.empty()) return 0;
    ScoreObject* list = GetOrCreateVoiceElementList(cell, voice);
    if (list == nullptr) return kRestChainFailed;
    for (RestBody block : blocks) {
        if (block.tick >= measureTicks) block.tick = 0;
        ScoreObject* rest = MakeRest(block);
        if (rest == nullptr) return kRestChainFailed;
        if (!InsertIntoVoiceList(list, rest)) {
            FreePool8Record(rest);
            return kRestChainFailed;
        }
    }
    return 0;
}

int ReadRecordChain(MeasureCell* cell, int voice, int count, int measureTicks) {
    if (count < 1) return 0;
    if (static_cast<uint64_t>(count) * kStoredRestBytes > ScoreBytesLeft()) return kRestChainFailed;
    std::vector<uint8_t> bytes(static_cast<size_t>(count) * kStoredRestBytes);
    if (!ReadScoreBytes(bytes.data(), static_cast<uint32_t>(bytes.size()))) return kRestChainFailed;
    ByteReader reader(bytes.data(), bytes.size());
    std::vector<RestBody> blocks(static_cast<size_t>(count));
    for (RestBody& block : blocks) block = DecodeRestBlock(reader);
    return BuildRestChain(cell, voice, blocks, measureTicks);
}

}  // namespace ql
