// Writer-made NIFF scores.
#include "interchange/tests/niff/niff_scores.h"

#include "interchange/niff/niff_writer.h"

namespace ql::niff::testing {
namespace {

// "\0Title\0Mark\0" then "Part 1\0", "Part 2\0", ...
constexpr char kFixedStrings[] = "\0Title\0Mark";
constexpr uint32_t kFirstPartName = sizeof kFixedStrings;
constexpr uint32_t kPartNameBytes = 8;  // "Part NN\0" padded

std::string PartName(int part) {
    std::string name = "Part " + std::to_string(part + 1);
    name.resize(kPartNameBytes, '\0');
    return name;
}

void WriteMeasureStart(NiffWriter& out, int measure, int scale, bool thick) {
    out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure * scale), static_cast<int16_t>(scale))});
    if (thick) out.Tag(21, {1});
    out.EndChunk();
}

// Marks on the note just written: an accidental, an articulation, an ornament and
// a lyric syllable on verse `measure` % 4.
void WriteNoteMarks(NiffWriter& out, int measure) {
    out.BeginChunk("acdl", {measure % 6});
    out.EndChunk();
    out.BeginChunk("artc", {measure % 16});
    out.Tag(22, {0, measure % 3, 0});
    out.EndChunk();
    out.BeginChunk("ornm", {measure % 13});
    out.EndChunk();
    out.BeginChunk("lyrc", {kPageTextOffset, measure % 4});
    out.EndChunk();
}

// Marks of the staff at the current slice: a dynamic, a chord symbol and a tempo
// mark, a pedal down and up, a pedal bracket from each measure to the next,
// measure numbering and a staff group.
void WriteStaffMarks(NiffWriter& out, int measure) {
    out.BeginChunk("dynm", {measure % 20});
    out.Tag(33, {1, 3, 0, 0});
    out.EndChunk();
    out.BeginChunk("chrd", {kStaffTextOffset});
    out.EndChunk();
    out.BeginChunk("tmpo", {kPageTextOffset, NiffField::Rational(1, 4), 96});
    out.EndChunk();
    for (int shape : {1, 2}) {
        out.BeginChunk("pdlp", {shape});
        out.Tag(18, {1000 + shape});
        out.Tag(28, {1});
        out.EndChunk();
    }
    out.BeginChunk("pdlp", {measure % 2 == 0 ? 6 : 7});
    out.Tag(18, {2000 + measure / 2});
    out.Tag(28, {2});
    out.EndChunk();
    out.BeginChunk("meas", {1, measure % 3, measure + 1, 0, 0, 2, 0});
    out.EndChunk();
    out.BeginChunk("stfg", {3, 1, 3});
    out.EndChunk();
}

void SpannerNode(NiffWriter& out, const char (&id)[5], std::initializer_list<NiffField> fixed, int spannerId,
                 int nodes = 0) {
    out.BeginChunk(id, fixed);
    out.Tag(18, {spannerId});
    if (nodes > 0) out.Tag(28, {nodes});
    out.EndChunk();
}

// The spanner chunks at a measure's start (`atStart`) or after its 3/4 slice.
void WriteLineNodes(NiffWriter& out, int measure, int staff, bool atStart) {
    const int id = staff * 1000 + measure;
    SpannerNode(out, "hrpn", {measure % 2 == 0 ? 1 : 2}, id, atStart ? 2 : 0);
    SpannerNode(out, "altg", {3, kPageTextOffset}, id + 800, atStart ? 2 : 0);
    if (atStart) SpannerNode(out, "octv", {0, measure % 2, 0, 0}, staff * 1000 + 500 + measure / 2, measure % 2 == 0 ? 2 : 0);
}

// The time slices of one staff of one system, from the score's measure `first`.
void WriteSlices(NiffWriter& out, const NiffScoreShape& shape, int first, int staff) {
    const int scale = staff + 1;
    for (int m = 0; m < shape.measuresPerSystem; ++m) {
        const int measure = first + m;
        if (measure > 0) {
            for (uint8_t type : shape.barlines) {
                out.BeginChunk("barl", {type, 0, 1});
                out.EndChunk();
            }
            for (const auto& [code, kind] : shape.repeats) {
                out.BeginChunk("rept", {code, kind});
                out.EndChunk();
            }
        }
        WriteMeasureStart(out, measure, scale, shape.thickBarline && measure > 0);
        if (shape.spanners) WriteLineNodes(out, measure, staff, true);
        if (shape.notes) {
            out.BeginChunk("rest", {2, 4, NiffField::Rational(1, 4)});
            out.EndChunk();
        }
        out.BeginChunk("tmsl", {2, NiffField::Rational(1, 4)});
        out.EndChunk();
        if (!shape.notes) continue;
        out.BeginChunk("stem");
        out.EndChunk();
        out.BeginChunk("beam", {0, 1});
        out.Tag(18, {measure});
        out.EndChunk();
        if (shape.spanners) {
            out.BeginChunk("tupl");
            out.Tag(18, {staff * 1000 + measure});
            out.Tag(28, {1});
            out.Tag(45, {NiffField::Rational(3, 8), NiffField::Rational(2, 8), 0});
            out.EndChunk();
        }
        for (int step : {0, 2}) {
            out.BeginChunk("note", {0, step, NiffField::Rational(1, 8)});
            out.EndChunk();
            if (shape.marks) WriteNoteMarks(out, measure);
            if (shape.spanners && step == 0) SpannerNode(out, "slur", {}, staff * 1000 + measure, 2);
        }
        if (shape.marks) WriteStaffMarks(out, measure);
        out.BeginChunk("tmsl", {2, NiffField::Rational(3, 4)});
        out.EndChunk();
        if (shape.spanners) WriteLineNodes(out, measure, staff, false);
        out.BeginChunk("stem");
        out.Tag(22, {0, 2, 0});
        out.Tag(47, {1});
        out.EndChunk();
        out.BeginChunk("note", {0, 6, NiffField::Rational(1, 4)});
        out.EndChunk();
        if (shape.spanners) {
            SpannerNode(out, "slur", {}, staff * 1000 + measure);
            if (measure > first) SpannerNode(out, "tie ", {}, staff * 1000 + measure - 1);
            SpannerNode(out, "tie ", {}, staff * 1000 + measure);
        }
    }
    if (shape.trailingMeasureStart) WriteMeasureStart(out, first + shape.measuresPerSystem, scale, false);
}

}  // namespace

uint32_t PartNameOffset(int part) {
    return kFirstPartName + static_cast<uint32_t>(part) * kPartNameBytes;
}

std::vector<uint8_t> WriteNiffScore(const NiffScoreShape& shape) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("nnfo", {"6b", 1, 3, 20, 480});
    out.EndChunk();
    out.BeginList("INFO");
    out.BeginChunk("ISFT");
    out.Text(shape.writer);
    out.EndChunk();
    out.EndList();
    out.BeginChunk("stbl");
    out.Bytes(std::vector<uint8_t>(kFixedStrings, kFixedStrings + sizeof kFixedStrings));
    for (size_t part = 0; part < shape.partStaves.size(); ++part) out.Text(PartName(static_cast<int>(part)));
    out.EndChunk();
    out.BeginList("prts");
    for (size_t part = 0; part < shape.partStaves.size(); ++part) {
        const int number = static_cast<int>(part);
        out.BeginChunk("part", {number, PartNameOffset(number), 0, shape.partStaves[part], number, -1, 0});
        out.EndChunk();
    }
    out.EndList();
    out.EndList();

    out.BeginList("data");
    for (int page = 0; page < shape.pages; ++page) {
        out.BeginList("page");
        out.BeginChunk("pghd");
        out.Tag(48, {2720});  // 8.5 inches at 320 units per inch
        out.Tag(17, {3520});
        out.EndChunk();
        if (shape.pageText) {
            out.BeginChunk("text", {kPageTextOffset});
            out.Tag(3, {"pghd"});
            out.Tag(1, {400, 120});
            out.EndChunk();
        }
        for (int system = 0; system < shape.systemsPerPage; ++system) {
            out.BeginList("syst");
            if (shape.systemHeaders) {
                out.BeginChunk("syhd");
                out.Tag(1, {160, 400 + system * 1200});
                out.Tag(48, {2400});
                out.EndChunk();
            }
            for (int staff = 0; staff < shape.stavesPerSystem; ++staff) {
                // The staff's part and its place in it; staves past every part's
                // belong to the last part.
                int part = 0, within = staff;
                while (part + 1 < static_cast<int>(shape.partStaves.size()) &&
                       within >= shape.partStaves[static_cast<size_t>(part)])
                    within -= shape.partStaves[static_cast<size_t>(part++)];
                out.BeginList("staf");
                out.BeginChunk("sthd");
                if (shape.partTags) {
                    out.Tag(32, {part});
                    if (within > 0) out.Tag(47, {within});
                }
                out.Tag(1, {0, staff * 480});
                out.Tag(17, {shape.staffHeight});
                out.Tag(48, {2400});
                out.EndChunk();
                if (shape.measureText) {
                    out.BeginChunk("text", {kStaffTextOffset});
                    out.EndChunk();
                }
                WriteSlices(out, shape, (page * shape.systemsPerPage + system) * shape.measuresPerSystem, staff);
                out.EndList();
            }
            out.EndList();
        }
        out.EndList();
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

void BeginOneStaffScore(NiffWriter& out) {
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("part", {0, 0, 0, 1, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.EndChunk();
    out.BeginChunk("syhd");
    out.EndChunk();
    out.BeginChunk("sthd");
    out.Tag(32, {0});
    out.EndChunk();
}

}  // namespace ql::niff::testing
