// The handlers of what a NIFF file says about itself: its writer, the "nnfo"
// information, default fonts, font descriptions and the string table.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/model/score_document.h"
#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_mark_objects.h"
#include "objects/quick_fonts/text_fonts.h"
#include "platform/gfx/objects.h"

namespace ql::niff {
namespace {

constexpr size_t kMaxWriterText = 255;

const char* ProgramTypeName(int type) {
    static constexpr const char* kNames[] = {"None",     "Engraving", "Scanning",   "MidiInterpreter",
                                             "Sequencer", "Research", "Educational"};
    return type >= 0 && type < 7 ? kNames[type] : "Unknown";
}

const char* UnitsName(int units) {
    static constexpr const char* kNames[] = {"NoUnits", "Inches", "Centimeters", "Points"};
    return units >= 0 && units < 4 ? kNames[units] : "Unknown";
}

}  // namespace

int CheckNiffWriter(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    const size_t length = std::min(context.data.size(), kMaxWriterText);
    std::string text(reinterpret_cast<const char*>(context.data.data()), length);
    text = text.c_str();  // up to the first zero
    NiffWriterFlags& writer = import.writer;
    if (text.find("Quaverlinescribe\xAE") == std::string::npos) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        writer.musitek |= text.find("MUSITEK") != std::string::npos;
        writer.midiscan |= text.find("MIDISCAN") != std::string::npos;
        writer.smartscore |= text.find("SMARTSCORE") != std::string::npos;
    }
    writer.generic = !(writer.musitek || writer.midiscan || writer.smartscore);
    return 1;
}

int ReadNiffInfoChunk(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    NiffFileInformation& info = import.information;
    info.version.assign(reinterpret_cast<const char*>(fixedPart), 8);
    info.version = info.version.c_str();
    info.programType = fixedPart[8];
    info.standardUnits = fixedPart[9];
    info.absoluteUnits = NiffFixedShort(fixedPart, 10);
    info.midiClocksPerQuarter = NiffFixedShort(fixedPart, 12);
    char line[128];
    std::snprintf(line, sizeof line, "NIFF Version:  %s", info.version.c_str());
    if (ReportNiffProgress(import, line, 0, 0, 0)) return 0;
    std::snprintf(line, sizeof line, "Program Type:  %d (%s)", info.programType,
                  ProgramTypeName(info.programType));
    if (ReportNiffProgress(import, line, 0, 0, 0)) return 0;
    std::snprintf(line, sizeof line, "Standard Units:  %d (%s)", info.standardUnits,
                  UnitsName(info.standardUnits));
    if (ReportNiffProgress(import, line, 0, 0, 0)) return 0;
    std::snprintf(line, sizeof line, "Absolute Units:  %d", info.absoluteUnits);
    if (ReportNiffProgress(import, line, 0, 0, 0)) return 0;
    std::snprintf(line, sizeof line, "Midi clocks per quarter:  %d", info.midiClocksPerQuarter);
    return ReportNiffProgress(import, line, 0, 0, 0) ? 0 : 1;
}

int ReadNiffDefaults(NiffChunkContext& context, const uint8_t* fixedPart) {
    if (fixedPart == nullptr) return 1;
    NiffImportState& import = *context.import;
    for (size_t i = 0; i < import.defaultFonts.size(); ++i)
        import.defaultFonts[i] = NiffFixedShort(fixedPart, static_cast<int>(i) * 2);
    // Part names, lyrics, chord symbols, measure numbers and rehearsal marks; the
    // first index, the music font, is not applied.
    constexpr int kStyleOfDefault[] = {-1, 14, 4, 6, 9, 11};
    for (size_t i = 1; i < import.defaultFonts.size(); ++i)
        ApplyNiffFontToStyle(import, import.defaultFonts[i], kStyleOfDefault[i]);
    return 1;
}

void ApplyNiffFontToStyle(NiffImportState& import, int fontIndex, int slot) {
    constexpr int kLyricStyleSlot = 4;
    if (import.document == nullptr || fontIndex < 0 || fontIndex >= static_cast<int>(import.fonts.size()) ||
        slot < 0 || slot >= kScoreFontCount)
        return;
    const NiffFontDescription& font = import.fonts[static_cast<size_t>(fontIndex)];
    const std::string name = NiffString(import, font.name, kFaceNameChars - 1);
    if (name.empty()) return;
    QuickFontRecord& style = import.document->fonts[slot];
    std::memset(style.face, 0, sizeof style.face);
    std::memcpy(style.face, name.data(), name.size());
    style.bold = (font.style & 1) != 0;
    style.italic = (font.style & 2) != 0;
    style.underline = (font.style & 4) != 0;
    style.height = static_cast<int16_t>(TwipsToScoreUnits(import.document, font.size));
    if (style.handle != 0) gfx::DeleteObject(platform::FontHandle{style.handle});
    style.handle = 0;
    if (slot == kLyricStyleSlot) SetNiffLyricLevels(import.document, style.height);
}

int ReadNiffFontDescription(NiffChunkContext& context, const uint8_t* fixedPart) {
    NiffImportState& import = *context.import;
    if (fixedPart == nullptr || import.fonts.size() >= kNiffMaxFonts) return 1;
    NiffFontDescription font;
    font.name = NiffFixedLong(fixedPart, 0);
    font.size = NiffFixedShort(fixedPart, 4);
    font.spacing = NiffFixedShort(fixedPart, 6);
    font.weight = NiffFixedShort(fixedPart, 8);
    font.style = fixedPart[10];
    import.fonts.push_back(font);
    // A new face goes into the first empty name slot after the first three.
    const std::string name = NiffString(import, font.name, kFaceNameChars - 1);
    if (import.document == nullptr || name.empty()) return 1;
    FaceNameEntry* names = import.document->faceNames;
    for (int i = 0; i < kFaceNameCount; ++i)
        if (name == std::string(names[i].name, strnlen(names[i].name, kFaceNameChars))) return 1;
    for (int i = 3; i < kFaceNameCount; ++i) {
        if (names[i].name[0] != '\0') continue;
        std::memcpy(names[i].name, name.data(), name.size());
        break;
    }
    return 1;
}

int ReadNiffStringTable(NiffChunkContext& context, const uint8_t*) {
    NiffImportState& import = *context.import;
    void* previous = import.strings;
    import.blocks.Free(&previous);
    import.strings = nullptr;
    import.stringBytes = 0;
    auto* table = static_cast<uint8_t*>(import.blocks.Alloc(context.data.size() + 1));
    std::copy(context.data.begin(), context.data.end(), table);
    import.strings = table;
    import.stringBytes = context.data.size() + 1;
    return 1;
}

std::string NiffString(const NiffImportState& import, uint32_t offset, size_t maxLength) {
    if (import.strings == nullptr || offset >= import.stringBytes) return {};
    const auto* start = reinterpret_cast<const char*>(import.strings + offset);
    const size_t room = std::min(import.stringBytes - offset, maxLength);
    return std::string(start, strnlen(start, room));
}

bool HasNiffTag(const NiffTagState& tags, int tag) {
    return tag > 0 && tag < kNiffTagNumbers && tags.flags[static_cast<size_t>(tag)] != 0;
}

}  // namespace ql::niff
