// Reading a MusicXML document (partwise or timewise) into the compact model with a
// streaming parse. Untrusted input is bounded: input size, nesting depth, text
// length; entity declarations, external entities and the external DTD are never
// used, and only the encodings the parser knows natively are accepted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

inline constexpr size_t kMaxXmlBytes = size_t{64} << 20;
inline constexpr int kMaxXmlDepth = 256;
inline constexpr size_t kMaxXmlText = size_t{64} << 10;
inline constexpr int kMaxMeasures = 1016;
inline constexpr int kMaxStaves = 44;
inline constexpr int kMaxPartStaves = 4;
inline constexpr int kMaxVoices = 16;

// Kinds of the report for what the reader leaves out or changes.
inline constexpr char kPartsOutOfPlace[] = "<part> outside its place";
inline constexpr char kMeasuresOutOfPlace[] = "<measure> outside its place";
inline constexpr char kRepeatedListIds[] = "part-list entries of a repeated id";
inline constexpr char kRepeatedParts[] = "parts of a repeated id";
inline constexpr char kUnlistedParts[] = "parts missing from the part list";
inline constexpr char kRoundedAlterations[] = "quarter-tone alterations (rounded to a semitone)";
inline constexpr char kPartGroupNames[] = "name of a group of parts (a group of staves has none)";
inline constexpr char kVoicesWithoutNumber[] = "voices without a number from 1 to 16 (given a free voice)";
inline constexpr char kExternalEntities[] = "entity references to the external DTD";
inline constexpr char kHalfTimeSignatures[] = "time signatures without their beats or their beat type";

// Fills `score`; elements the conversion leaves out are counted in `skipped` by
// name. False with a one-line `error` (with line and column where the parser
// knows them) when the document cannot be read.
bool ReadMusicXml(std::span<const uint8_t> bytes, MxlScore& score, ImportReport& skipped, std::string& error);

}  // namespace ql::musicxml
