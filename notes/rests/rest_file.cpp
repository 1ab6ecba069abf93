// Writing a voice's rests to the score file: the 10-byte body of each, little-endian,
// in list order, through the score file's byte writer.
#include <array>

#include "core/constants.h"
#include "core/model/grid.h"
#include "files/score_file.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"

namespace ql {

namespace {

constexpr int kWriteError = 2;
constexpr int kByteBits = 8;
constexpr uint16_t kLowByte = 0xFF;

std::array<uint8_t, kRestBodyBytes> StoredForm(const RestBody& body) {
    return {static_cast<uint8_t>(body.tick & kLowByte),
            static_cast<uint8_t>(body.tick >> kByteBits),
            static_cast<uint8_t>(body.xOffset),
            body.code,
            static_cast<uint8_t>(body.fineY),
            static_cast<uint8_t>(body.position),
            body.tupletKind,
            body.tupletValue,
            body.extraRatio,
            body.flags};
}

}  // namespace

int WriteVoiceRests(MeasureCell* cell, int voice) {
    ScoreObject* element = rests::NextElement(rests::VoiceListHead(cell, voice));
    for (int i = 0; element != nullptr && i < rests::kMaxVoiceElements; ++i) {
        if (const RestBody* body = RestBodyOf(element)) {
            const auto bytes = StoredForm(*body);
            if (WriteScoreBytes(bytes.data(), kRestBodyBytes) == 0) return kWriteError;
        }
        element = rests::NextElement(element);
    }
    return 0;
}

}  // namespace ql
