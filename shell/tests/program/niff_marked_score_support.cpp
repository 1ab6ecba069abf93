// A writer-made NIFF score with marks on its notes and in its measures.
#include "shell/tests/program/niff_marked_score.h"

#include <string>

#include "interchange/niff/niff_writer.h"

namespace ql::testing {
namespace {

using niff::NiffField;
using niff::NiffWriter;

// A string table that remembers where each text went.
struct Strings {
    std::string bytes{std::string(1, '\0')};
    uint32_t Add(const std::string& text) {
        const auto offset = static_cast<uint32_t>(bytes.size());
        bytes += text;
        bytes += '\0';
        return offset;
    }
};

void Chunk(NiffWriter& out, const char (&id)[5], std::initializer_list<NiffField> fields = {}) {
    out.BeginChunk(id, fields);
    out.EndChunk();
}

}  // namespace

std::vector<uint8_t> MarkedNiffScore() {
    Strings strings;
    const uint32_t face = strings.Add("Gill Sans");
    const uint32_t la = strings.Add("la");
    const uint32_t lo = strings.Add("  lo\\");
    const uint32_t chord = strings.Add("Am7");
    const uint32_t solo = strings.Add("Solo");
    const uint32_t tempo = strings.Add("");
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("ISFT");
    out.Text("Test writer");
    out.EndChunk();
    out.BeginChunk("stbl");
    out.Text(strings.bytes);
    out.EndChunk();
    Chunk(out, "part", {0, 0, 0, 2, 0, -1, 0});
    Chunk(out, "fntd", {face, 240, 0, 0, 1});
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.Tag(48, {2720});
    out.Tag(17, {3520});
    out.EndChunk();
    out.BeginChunk("text", {solo});  // on the page, aligned by its right half
    out.Tag(3, {"pghd"});
    out.Tag(1, {1000, 100});
    out.Tag(33, {2, 0, 0, 0});
    out.EndChunk();
    out.BeginChunk("syhd");
    out.Tag(1, {160, 400});
    out.Tag(48, {2400});
    out.EndChunk();
    for (int staff = 0; staff < 2; ++staff) {
        out.BeginChunk("sthd");
        out.Tag(32, {0});
        if (staff > 0) out.Tag(47, {staff});
        out.Tag(1, {0, staff * 800});
        out.Tag(17, {256});
        out.EndChunk();
        if (staff == 0) Chunk(out, "stfg", {3, 1, 2});
        for (int measure = 0; measure < 2; ++measure) {
            Chunk(out, "tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure), 1)});
            const bool marked = staff == 0 && measure == 0;
            if (marked) Chunk(out, "meas", {1, 2, 5, 0, 0, 0, 0});
            for (int quarter = 0; quarter < 4; ++quarter) {
                Chunk(out, "tmsl", {2, NiffField::Rational(static_cast<int16_t>(quarter), 4)});
                if (marked && quarter == 0) {
                    Chunk(out, "dynm", {7});
                    Chunk(out, "tmpo", {tempo, NiffField::Rational(1, 4), 120});
                    Chunk(out, "chrd", {chord});
                    out.BeginChunk("text", {solo});
                    out.Tag(13, {0});
                    out.EndChunk();
                }
                if (marked && quarter >= 2) {
                    out.BeginChunk("pdlp", {quarter - 1});
                    out.Tag(18, {quarter});
                    out.Tag(28, {1});
                    out.EndChunk();
                }
                out.BeginChunk("stem");
                out.Tag(22, {0, quarter == 1 ? 2 : 1, 0});
                out.EndChunk();
                Chunk(out, "note", {0, quarter == 1 ? 6 : 2, NiffField::Rational(1, 4)});
                if (marked && quarter == 0) {
                    Chunk(out, "acdl", {4});
                    Chunk(out, "artc", {1});
                    Chunk(out, "lyrc", {la, 0});
                    Chunk(out, "lyrc", {lo, 1});
                }
                if (marked && quarter == 1) {
                    Chunk(out, "artc", {5});
                    Chunk(out, "ornm", {1});
                }
            }
        }
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

}  // namespace ql::testing

namespace ql::testing {

std::vector<uint8_t> PlacedChordsNiffScore(int32_t onStaffY, int32_t clearY) {
    Strings strings;
    const uint32_t names[2] = {strings.Add("Dm7"), strings.Add("G7")};
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("stbl");
    out.Text(strings.bytes);
    out.EndChunk();
    Chunk(out, "part", {0, 0, 0, 1, 0, -1, 0});
    out.EndList();
    out.BeginList("data");
    Chunk(out, "pghd");
    out.BeginChunk("syhd");
    out.Tag(1, {160, 600});
    out.EndChunk();
    out.BeginChunk("sthd");
    out.Tag(32, {0});
    out.Tag(17, {256});
    out.EndChunk();
    Chunk(out, "tmsl", {1, NiffField::Rational(0, 1)});
    for (int quarter = 0; quarter < 4; ++quarter) {
        Chunk(out, "tmsl", {2, NiffField::Rational(static_cast<int16_t>(quarter), 4)});
        if (quarter % 2 == 0) {
            out.BeginChunk("chrd", {names[quarter / 2]});
            out.Tag(1, {static_cast<int16_t>(quarter * 100),
                        static_cast<int16_t>(quarter == 0 ? onStaffY : clearY)});
            out.EndChunk();
        }
        out.BeginChunk("stem");
        out.Tag(22, {0, 1, 0});
        out.EndChunk();
        Chunk(out, "note", {0, 2, NiffField::Rational(1, 4)});
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

}  // namespace ql::testing
