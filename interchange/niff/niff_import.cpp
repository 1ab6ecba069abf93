// The NIFF import's handler tables, its two passes and its tracked blocks.
#include "interchange/niff/niff_import.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "core/ui/modal_boxes.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_handlers.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_spanners.h"
#include "interchange/niff/niff_time_slices.h"
#include "platform/ui/message_box.h"

namespace ql::niff {
namespace {

constexpr NiffHandlerRow kPrescan[] = {
    {MakeFourCC("ICOP"), nullptr, CheckNiffWriter},
    {MakeFourCC("ISFT"), nullptr, CheckNiffWriter},
    {MakeFourCC("nnfo"), nullptr, ReadNiffInfoChunk},
    {MakeFourCC("part"), StoreNiffPart, SetupNiffStaves},
    {MakeFourCC("sthd"), BeginNiffStaffHeader, ReadNiffStaffHeader},
    // The page header starts a chunk of its own: the sizes it sums are its tags,
    // never those of the staff header before it.
    {MakeFourCC("pghd"), BeginNiffChunk, ReadNiffPageHeader},
    {MakeFourCC("syhd"), nullptr, CountNiffSystem},
};
// With the part and the staff within it (32, 47) that place a staff header's staff.
constexpr int kPrescanTags[] = {22, 1, 18, 48, 17, 29, 32, 47};

// Rows whose chunks are read with the time slices, notes, signatures, attachments,
// measure close and spanners count what they skip until those handlers are here.
constexpr NiffChunkHandler kSkip = CountUnconvertedNiffChunk;
constexpr NiffChunkHandler kBegin = BeginNiffChunk;

constexpr NiffHandlerRow kMain[] = {
    {MakeFourCC("nnfo"), kBegin, ReadNiffInfoChunk},
    {MakeFourCC("stbl"), kBegin, ReadNiffStringTable},
    {MakeFourCC("dflt"), kBegin, ReadNiffDefaults},
    {MakeFourCC("fntd"), kBegin, ReadNiffFontDescription},
    {MakeFourCC("text"), kBegin, ReadNiffText},
    {MakeFourCC("chrd"), kBegin, ReadNiffChordSymbol},
    {MakeFourCC("taga"), kBegin, ActivateNiffTags},
    {MakeFourCC("tagi"), kBegin, DeactivateNiffTags},
    {MakeFourCC("tmpo"), kBegin, ReadNiffTempo},
    {MakeFourCC("rhrs"), kBegin, ReadNiffRehearsalMark},
    {MakeFourCC("part"), StoreNiffPart, SetupNiffStaves},
    {MakeFourCC("tie "), kBegin, ReadNiffTie},
    {MakeFourCC("tupl"), kBegin, ReadNiffTuplet},
    {MakeFourCC("hrpn"), kBegin, ReadNiffHairpin},
    {MakeFourCC("octv"), kBegin, ReadNiffOctaveSign},
    {MakeFourCC("altg"), kBegin, ReadNiffEnding},
    {MakeFourCC("syhd"), kBegin, BeginNiffSystem},
    {MakeFourCC("sthd"), BeginNiffStaffHeader, ReadNiffStaffHeader},
    {MakeFourCC("pghd"), kBegin, ReadNiffPageHeader},
    {MakeFourCC("tmsl"), kBegin, ReadNiffTimeSlice},
    {MakeFourCC("barl"), kBegin, StoreNiffBarline},
    {MakeFourCC("clef"), kBegin, ReadNiffClef},
    {MakeFourCC("keys"), kBegin, ReadNiffKeySignature},
    {MakeFourCC("time"), kBegin, ReadNiffTimeSignature},
    {MakeFourCC("octv"), kBegin, ReadNiffOctaveSign},
    {MakeFourCC("note"), kBegin, ReadNiffNote},
    {MakeFourCC("rept"), kBegin, ReadNiffRepeat},
    {MakeFourCC("lyrc"), kBegin, ReadNiffLyric},
    {MakeFourCC("meas"), kBegin, ReadNiffMeasureNumbering},
    {MakeFourCC("beam"), BeginNiffBeam, ReadNiffBeam},
    {MakeFourCC("rest"), kBegin, ReadNiffRest},
    {MakeFourCC("stfg"), kBegin, ReadNiffStaffGroup},
    {MakeFourCC("acdl"), kBegin, ReadNiffAccidental},
    {MakeFourCC("artc"), kBegin, ReadNiffArticulation},
    {MakeFourCC("ornm"), kBegin, ReadNiffOrnament},
    {MakeFourCC("arpg"), kBegin, ReadNiffArpeggio},
    {MakeFourCC("dynm"), kBegin, ReadNiffDynamic},
    {MakeFourCC("pdlp"), kBegin, ReadNiffPedal},
    {MakeFourCC("stem"), BeginNiffStem, ReadNiffStem},
    {MakeFourCC("slur"), kBegin, ReadNiffSlur},
};

// Symbols of the file that no handler converts; counted when met.
constexpr FourCC kUnconverted[] = {
    MakeFourCC("augd"), MakeFourCC("glis"), MakeFourCC("fing"),
    MakeFourCC("figb"), MakeFourCC("harp"), MakeFourCC("gtgr"), MakeFourCC("gttb"),
    MakeFourCC("line"), MakeFourCC("midi"), MakeFourCC("ssep"), MakeFourCC("timn"),
    MakeFourCC("tmlo"), MakeFourCC("tmpn"), MakeFourCC("pren"), MakeFourCC("pdlo"),
    MakeFourCC("keyn"), MakeFourCC("cstg"), MakeFourCC("port"), MakeFourCC("grph"),
    MakeFourCC("epsg"),
};

template <size_t N>
constexpr bool RowsAreSingle(const NiffHandlerRow (&rows)[N], const FourCC& twice) {
    for (size_t a = 0; a < N; ++a)
        for (size_t b = a + 1; b < N; ++b)
            if (rows[a].id == rows[b].id && rows[a].id != twice) return false;
    return true;
}
template <size_t N>
constexpr bool RowsAreKnown(const NiffHandlerRow (&rows)[N]) {
    for (const NiffHandlerRow& row : rows) {
        bool known = false;
        for (const FourCC& id : kUnconverted)
            if (id == row.id) return false;
        for (uint8_t c : row.id) known |= c != 0;
        if (!known) return false;
    }
    return true;
}
static_assert(RowsAreSingle(kPrescan, FourCC{}), "each prescan id once");
static_assert(RowsAreSingle(kMain, MakeFourCC("octv")), "each main id once, but octv twice");
static_assert(RowsAreKnown(kMain) && RowsAreKnown(kPrescan), "no converted row among the unconverted");

void RegisterRows(NiffReader& reader, std::span<const NiffHandlerRow> rows) {
    for (const NiffHandlerRow& row : rows) RegisterNiffChunkHandlers(reader, row.id, row.start, row.data);
}

void RunPass(NiffImportState& import, NiffReader& reader, bool* complete) {
    import.reader = &reader;
    const NiffPassResult result = RunNiffPass(reader);
    *complete = result.complete;
    for (const std::string& line : reader.diagnostics) import.report.Note(line);
    reader.diagnostics.clear();
}

}  // namespace

std::span<const NiffHandlerRow> NiffPrescanTable() {
    return kPrescan;
}

std::span<const NiffHandlerRow> NiffMainTable() {
    return kMain;
}

void BeginNiffImport(NiffImportState& import, NiffReader& reader) {
    import.unitScale = 128.0;
    import.writer = {};
    import.pageCount = 0;
    import.firstPageSystems = 0;
    import.pageWidthSum = import.pageHeightSum = 0;
    import.spaceInches = 0.0;
    import.pass = 0;
    import.parts.clear();
    import.partStavesFound.clear();
    import.unnamedStavesFound = 0;
    import.frame = {};
    RegisterRows(reader, kPrescan);
    for (int tag : kPrescanTags) RegisterNiffTagStorage(reader, tag);
}

void RegisterNiffMainPass(NiffReader& reader) {
    RegisterRows(reader, kMain);
    for (const FourCC& id : kUnconverted) RegisterNiffChunkHandlers(reader, id, nullptr, CountUnconvertedNiffChunk);
    for (int tag = 1; tag <= kNiffKnownTags; ++tag) RegisterNiffTagStorage(reader, tag);
}

NiffReadResult ReadNiffPasses(NiffImportState& import,
                              const std::function<std::unique_ptr<ByteSource>()>& open,
                              const std::function<bool(NiffImportState&)>& afterPrescan) {
    NiffReadResult result;
    // The state names the reader only while this function holds it, also when an
    // abort unwinds through here.
    struct ForgetReader {
        NiffImportState& import;
        ~ForgetReader() { import.reader = nullptr; }
    } forget{import};
    std::unique_ptr<ByteSource> source = open();
    if (source == nullptr) return result;
    auto reader = OpenNiffReader(std::move(source), &import);
    ReportNiffProgress(import, "NIFQLW32 Version 2.0", 0, 0, 0);
    BeginNiffImport(import, *reader);
    bool complete = false;
    // The main pass reads the same bytes and shows what goes wrong once; the
    // prescan speaks only when there is no main pass.
    reader->quiet = true;
    RunPass(import, *reader, &complete);
    import.blocks.ReleaseAll();
    import.strings = nullptr;
    import.stringBytes = 0;
    FitNiffPartsToStaves(import);
    import.reservedStaves = import.writer.generic ? import.staffCount : kNiffMaxStaves;
    if (!reader->started && !complete) {
        if (reader->message != nullptr) ModalMessageBox(reader->message, kNiffImportCaption, ui::kBoxIconExclamation);
        CloseNiffReader(*reader);
        import.reader = nullptr;
        return result;
    }

    CloseNiffReader(*reader);
    import.reader = nullptr;
    if (afterPrescan && !afterPrescan(import)) return result;
    import.margins = DefaultNiffMargins(import.unitsPerInch);

    // The main pass reads the file again from its start, with the parts table
    // filled anew.
    source = open();
    if (source == nullptr) return result;
    reader = OpenNiffReader(std::move(source), &import);
    import.pass = 1;
    import.parts.clear();
    import.tags = {};
    import.frame.currentStaff = 0;
    RegisterNiffMainPass(*reader);
    if (import.pageCount > 1 && BeginProgressDialog(1, import.pageCount, kNiffLoading) != 0) {
        import.cancelled = true;
        return result;
    }
    RunPass(import, *reader, &complete);
    // A staff's last measure needs no measure start after it.
    CloseNiffMeasure(import);
    DropNiffClosingStarts(import.frame);
    CountUnendedNiffSpanners(import);
    CloseNiffReader(*reader);
    import.reader = nullptr;
    result.read = !import.cancelled;
    result.complete = complete;
    return result;
}

bool ReportNiffProgress(NiffImportState& import, const char* text, int page, int system, int staff) {
    constexpr size_t kStatusLineChars = 128;
    import.statusLine.assign(text, strnlen(text, kStatusLineChars));
    int cancel = 0;
    if (page != 0 || system != 0 || staff != 0) {
        if (import.pageCount > 1) cancel = StepProgressDialog(page);
        char line[64];
        std::snprintf(line, sizeof line, " Page %d  System %d  Staff %d ", page, system, staff);
        SetStatusText(0, line);
    }
    PumpPendingMessages();
    if (cancel != 0) import.cancelled = true;
    return import.cancelled;
}

void* NiffAlloc(NiffImportState& import, size_t size) {
    return import.blocks.Alloc(size);
}

void TrackNiffBlock(NiffImportState& import, void* block, size_t size) {
    import.blocks.Track(block, size);
}

void FreeNiffBlock(NiffImportState& import, void** block) {
    import.blocks.Free(block);
}

void ReleaseNiffImport(NiffImportState& import) {
    import.blocks.ReleaseAll();
    import.strings = nullptr;
    import.stringBytes = 0;
    import.fonts.clear();
    import.parts.clear();
}

int AbortNiffImport(NiffImportState& import, NiffReader* reader) {
    if (reader != nullptr) CloseNiffReader(*reader);
    import.reader = nullptr;
    EndProgressDialog();
    PumpPendingMessages();
    ReleaseNiffImport(import);
    return 1;
}

}  // namespace ql::niff
