// The NIFF chunk and tag schemas, transcribed once and checked at compile time:
// ids sorted for the binary search, tag numbers in order, and every typed chunk's
// fixed size equal to the file widths of its fields.
#include "interchange/niff/niff_schema.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "interchange/niff/niff_field_conversion.h"
#include "interchange/niff/niff_known_tags.h"

namespace ql::niff {
namespace {

constexpr NiffChunkRecord kChunkSchema[kNiffChunkTypes] = {
    {MakeFourCC("IART"), kNiffRaw, {}},
    {MakeFourCC("ICOP"), kNiffRaw, {}},
    {MakeFourCC("ICRD"), kNiffRaw, {}},
    {MakeFourCC("IDIM"), kNiffRaw, {}},
    {MakeFourCC("IDPI"), kNiffRaw, {}},
    {MakeFourCC("INAM"), kNiffRaw, {}},
    {MakeFourCC("INFO"), kNiffRaw, {}},
    {MakeFourCC("ISFT"), kNiffRaw, {}},
    {MakeFourCC("NIFF"), kNiffRaw, {}},
    {MakeFourCC("acdl"), 1, {kNiffByte}},
    {MakeFourCC("altg"), 5, {kNiffByte, kNiffStringOffset}},
    {MakeFourCC("arpg"), 1, {kNiffByte}},
    {MakeFourCC("artc"), 2, {kNiffSignedShort}},
    {MakeFourCC("augd"), 0, {}},
    {MakeFourCC("barl"), 4, {kNiffByte, kNiffByte, kNiffSignedShort}},
    {MakeFourCC("beam"), 2, {kNiffByte, kNiffByte}},
    {MakeFourCC("chrd"), 4, {kNiffStringOffset}},
    {MakeFourCC("clef"), 3, {kNiffByte, kNiffSignedByte, kNiffByte}},
    {MakeFourCC("clt "), kNiffRaw, {kNiffFourCC, kNiffSignedLong}},
    {MakeFourCC("cstg"), 2, {kNiffSignedShort}},
    {MakeFourCC("data"), kNiffRaw, {}},
    {MakeFourCC("dflt"),
     14,
     {kNiffFontIndex, kNiffFontIndex, kNiffFontIndex, kNiffFontIndex, kNiffFontIndex,
      kNiffFontIndex, kNiffByte, kNiffByte}},
    {MakeFourCC("dynm"), 1, {kNiffByte}},
    {MakeFourCC("epsg"), kNiffRaw, {}},
    {MakeFourCC("figb"), 4, {kNiffStringOffset}},
    {MakeFourCC("fing"), 1, {kNiffByte}},
    {MakeFourCC("fntd"),
     11,
     {kNiffStringOffset, kNiffSignedShort, kNiffSignedShort, kNiffSignedShort, kNiffByte}},
    {MakeFourCC("fnts"), kNiffRaw, {}},
    {MakeFourCC("font"), 7, {kNiffFourCC, kNiffSignedShort, kNiffByte}},
    {MakeFourCC("glis"), 0, {}},
    {MakeFourCC("grph"), kNiffRaw, {}},
    {MakeFourCC("grup"), kNiffRaw, {}},
    {MakeFourCC("gtgr"), 6, {kNiffByte, kNiffByte, kNiffStringOffset}},
    {MakeFourCC("gttb"), 2, {kNiffByte, kNiffSignedByte}},
    {MakeFourCC("harp"), 4, {kNiffStringOffset}},
    {MakeFourCC("hrpn"), 1, {kNiffByte}},
    {MakeFourCC("keyn"), 1, {kNiffByte}},
    {MakeFourCC("keys"), 1, {kNiffSignedByte}},
    {MakeFourCC("line"), 1, {kNiffByte}},
    {MakeFourCC("lyrc"), 5, {kNiffStringOffset, kNiffByte}},
    {MakeFourCC("meas"),
     9,
     {kNiffByte, kNiffByte, kNiffSignedShort, kNiffFontIndex, kNiffByte, kNiffByte, kNiffByte}},
    {MakeFourCC("midi"), kNiffRaw, {kNiffByte}},
    {MakeFourCC("nnfo"),
     14,
     {kNiffChar8, kNiffByte, kNiffByte, kNiffSignedShort, kNiffSignedShort}},
    {MakeFourCC("note"), 6, {kNiffByte, kNiffSignedByte, kNiffRational}},
    {MakeFourCC("octv"), 7, {kNiffByte, kNiffByte, kNiffByte, kNiffStringOffset}},
    {MakeFourCC("ornm"), 2, {kNiffSignedShort}},
    {MakeFourCC("page"), kNiffRaw, {}},
    {MakeFourCC("part"),
     14,
     {kNiffSignedShort, kNiffStringOffset, kNiffStringOffset, kNiffByte, kNiffSignedByte,
      kNiffSignedByte, kNiffSignedByte}},
    {MakeFourCC("pdlo"), 1, {kNiffByte}},
    {MakeFourCC("pdlp"), 1, {kNiffByte}},
    {MakeFourCC("pghd"), 0, {}},
    {MakeFourCC("port"), 0, {}},
    {MakeFourCC("pren"), 1, {kNiffByte}},
    {MakeFourCC("prts"), kNiffRaw, {}},
    {MakeFourCC("pst1"), kNiffRaw, {}},
    {MakeFourCC("pst3"), kNiffRaw, {}},
    {MakeFourCC("rept"), 3, {kNiffSignedShort, kNiffByte}},
    {MakeFourCC("rest"), 6, {kNiffByte, kNiffSignedByte, kNiffRational}},
    {MakeFourCC("rhrs"), 5, {kNiffStringOffset, kNiffByte}},
    {MakeFourCC("setp"), kNiffRaw, {}},
    {MakeFourCC("slur"), 0, {}},
    {MakeFourCC("ssep"), 1, {kNiffByte}},
    {MakeFourCC("staf"), kNiffRaw, {}},
    {MakeFourCC("stbl"), kNiffRaw, {}},
    {MakeFourCC("stem"), 0, {}},
    {MakeFourCC("stfg"), 5, {kNiffByte, kNiffSignedShort, kNiffSignedShort}},
    {MakeFourCC("sthd"), 0, {}},
    {MakeFourCC("syhd"), 0, {}},
    {MakeFourCC("syst"), kNiffRaw, {}},
    {MakeFourCC("taga"), 0, {}},
    {MakeFourCC("tagi"), 0, {}},
    {MakeFourCC("text"), 4, {kNiffStringOffset}},
    {MakeFourCC("tie "), 0, {}},
    {MakeFourCC("time"), 2, {kNiffSignedByte, kNiffByte}},
    {MakeFourCC("timn"), 1, {kNiffByte}},
    {MakeFourCC("tmlo"), 2, {kNiffByte, kNiffByte}},
    {MakeFourCC("tmpn"), 1, {kNiffByte}},
    {MakeFourCC("tmpo"), 10, {kNiffStringOffset, kNiffRational, kNiffSignedShort}},
    {MakeFourCC("tmsl"), 5, {kNiffByte, kNiffRational}},
    {MakeFourCC("tupl"), 0, {}},
};

constexpr int FileWidth(uint8_t type, int stringOffsetWidth) {
    return NiffFieldFileWidth(type, stringOffsetWidth);
}

constexpr int FieldsFileSize(const uint8_t* fields, int stringOffsetWidth) {
    int size = 0;
    for (; *fields != kNiffEnd; ++fields) size += FileWidth(*fields, stringOffsetWidth);
    return size;
}

constexpr bool IdLess(const FourCC& a, const FourCC& b) {
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return a[i] < b[i];
    return false;
}

constexpr bool ChunkSchemaIsSound() {
    for (int i = 0; i < kNiffChunkTypes; ++i) {
        const NiffChunkRecord& row = kChunkSchema[i];
        if (i > 0 && !IdLess(kChunkSchema[i - 1].id, row.id)) return false;
        if (row.fixedSize >= 0 && FieldsFileSize(row.fields.data(), 4) != row.fixedSize)
            return false;
    }
    return true;
}

constexpr bool TagSchemaIsSound() {
    for (int i = 0; i < kNiffTagNumbers; ++i)
        if (kNiffTagSchema[i].tag != i) return false;
    return kNiffTagSchema[kNiffTagNumbers].tag == kNiffTag255 &&
           kNiffTagSchema[kNiffTagNumbers].fields[0] == kNiffEnd;
}


constexpr bool ConvertedPartsFit() {
    for (const NiffChunkRecord& row : kChunkSchema)
        if (NiffMemoryBytes(row.fields.data()) > kNiffConvertedBytes) return false;
    for (const NiffTagRecord& row : kNiffTagSchema)
        if (NiffMemoryBytes(row.fields.data()) > kNiffConvertedBytes) return false;
    return true;
}

static_assert(ConvertedPartsFit(), "every converted fixed part and tag value fits the conversion's two words");
static_assert(ChunkSchemaIsSound(), "chunk ids must be sorted and fixed sizes match their fields");
static_assert(TagSchemaIsSound(), "tag records must run 0 to 48, then 255");
static_assert(kNiffChunkTypes <= INT8_MAX, "an id's entry keeps its index in a signed byte");

// The whole conversions of the chunk and tag schemas' field lists, for both
// string-offset widths (the same plan shares one conversion).
template <int StringOffsetWidth, size_t... I>
constexpr std::array<NiffWholeConversion, sizeof...(I)> ChunkConversions(
    std::index_sequence<I...>) {
    return {&ConvertWholeNiffFields<NiffPlanOf(kChunkSchema[I].fields.data(), StringOffsetWidth)>...};
}
template <int StringOffsetWidth, size_t... I>
constexpr std::array<NiffWholeConversion, sizeof...(I)> TagConversions(std::index_sequence<I...>) {
    return {&ConvertWholeNiffFields<NiffPlanOf(kNiffTagSchema[I].fields.data(), StringOffsetWidth)>...};
}
constexpr auto kChunkConversions4 =
    ChunkConversions<4>(std::make_index_sequence<kNiffChunkTypes>{});
constexpr auto kChunkConversions2 =
    ChunkConversions<2>(std::make_index_sequence<kNiffChunkTypes>{});
constexpr auto kTagConversions4 =
    TagConversions<4>(std::make_index_sequence<kNiffTagNumbers + 1>{});
constexpr auto kTagConversions2 =
    TagConversions<2>(std::make_index_sequence<kNiffTagNumbers + 1>{});

}  // namespace

std::span<const NiffChunkRecord, kNiffChunkTypes> BuiltInNiffChunkSchema() {
    return std::span<const NiffChunkRecord, kNiffChunkTypes>(kChunkSchema);
}

std::span<const NiffTagRecord, kNiffTagNumbers + 1> BuiltInNiffTagSchema() {
    return std::span<const NiffTagRecord, kNiffTagNumbers + 1>(kNiffTagSchema);
}

int NiffFieldsMemorySize(const uint8_t* fields) {
    return NiffMemoryBytes(fields);
}


NiffFieldPlan MakeNiffFieldPlan(const uint8_t* fields, int stringOffsetWidth) {
    return NiffPlanOf(fields, stringOffsetWidth);
}

constexpr uint32_t NiffSchemas::FirstDistinctIdMultiplier() {
    for (uint32_t multiplier = 0x9E3779B1u;; multiplier += 0x6A09E668u) {
        std::array<bool, kIdSlots> taken{};
        bool distinct = true;
        for (const NiffChunkRecord& row : kChunkSchema) {
            bool& slot = taken[IdSlot(NiffIdKey(row.id), multiplier | 1u)];
            distinct = distinct && !slot;
            slot = true;
        }
        if (distinct) return multiplier | 1u;
    }
}

NiffSchemas::NiffSchemas() {
    static_assert(kIdMultiplier == FirstDistinctIdMultiplier(), "every chunk id needs a slot of its own");
    std::copy(std::begin(kChunkSchema), std::end(kChunkSchema), chunks_.begin());
    for (size_t i = 0; i < chunks_.size(); ++i) {
        NiffIdEntry& entry = entries_[IdSlot(NiffIdKey(chunks_[i].id))];
        entry.key = NiffIdKey(chunks_[i].id);
        entry.index = static_cast<int8_t>(i);
    }
    MakePlans();
}

void NiffSchemas::MirrorFixedPart(size_t index) {
    const int32_t size = fixedPartBytes_[index];
    entries_[IdSlot(NiffIdKey(chunks_[index].id))].fixedPartBytes =
        size <= INT16_MAX ? static_cast<int16_t>(size) : kNiffFixedPartBeyondEntry;
}

void NiffSchemas::MakePlans() {
    const bool wide = stringOffsetWidth_ == 4;
    for (size_t i = 0; i < chunks_.size(); ++i) {
        chunkPlans_[i] = NiffPlanOf(chunks_[i].fields.data(), stringOffsetWidth_);
        chunkPlans_[i].whole = wide ? kChunkConversions4[i] : kChunkConversions2[i];
        chunkWholes_[i] = chunkPlans_[i].count != 0 ? chunkPlans_[i].whole : nullptr;
        chunkWholeBytes_[i] = static_cast<uint8_t>(chunkPlans_[i].fileBytes);
    }
    for (size_t i = 0; i < chunks_.size(); ++i) {
        const int32_t size = chunks_[i].fixedSize;
        fixedPartBytes_[i] =
            size == kNiffRaw || declared_[i] ? size : std::min(size, chunkPlans_[i].fileBytes);
        MirrorFixedPart(i);
    }
    for (size_t i = 0; i < tagPlans_.size(); ++i) {
        tagPlans_[i] = NiffPlanOf(kNiffTagSchema[i].fields.data(), stringOffsetWidth_);
        tagPlans_[i].whole = wide ? kTagConversions4[i] : kTagConversions2[i];
    }
}

const NiffTagRecord* NiffSchemas::Tag(int number) const {
    if (number >= 1 && number <= kNiffKnownTags) return &kNiffTagSchema[number];
    if (number == kNiffTag255) return &kNiffTagSchema[kNiffTagNumbers];
    return nullptr;
}

void NiffSchemas::ApplyChunkLength(const FourCC& id, int32_t size) {
    constexpr int32_t kShortOffsetPartSize = 13;
    const int index = FindChunk(id);
    if (index < 0 || size < 0 || kChunkSchema[index].fixedSize == kNiffRaw) return;
    chunks_[static_cast<size_t>(index)].fixedSize = size;
    declared_[static_cast<size_t>(index)] = true;
    fixedPartBytes_[static_cast<size_t>(index)] = size;
    MirrorFixedPart(static_cast<size_t>(index));
    if (id == MakeFourCC("part")) {
        stringOffsetWidth_ = size <= kShortOffsetPartSize ? 2 : 4;
        MakePlans();
    }
}

}  // namespace ql::niff
