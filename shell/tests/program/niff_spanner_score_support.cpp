// The writer-made NIFF score of the spanner import tests.
#include "shell/tests/program/niff_spanner_score.h"

#include <string>

#include "interchange/niff/niff_writer.h"

namespace ql::testing {
namespace {

using niff::NiffField;
using niff::NiffWriter;

void Slice(NiffWriter& out, int type, int numerator, int denominator) {
    out.BeginChunk("tmsl", {type, NiffField::Rational(static_cast<int16_t>(numerator), static_cast<int16_t>(denominator))});
    out.EndChunk();
}

void Node(NiffWriter& out, const char (&id)[5], std::initializer_list<NiffField> fixed, int spannerId, int nodes = 0,
          int above = 0) {
    out.BeginChunk(id, fixed);
    if (above != 0) out.Tag(1, {0, -above});
    out.Tag(18, {spannerId});
    if (nodes > 0) out.Tag(28, {nodes});
    out.EndChunk();
}

void Quarter(NiffWriter& out, int step) {
    out.BeginChunk("stem");
    out.EndChunk();
    out.BeginChunk("note", {0, step, NiffField::Rational(1, 4)});
    out.EndChunk();
}

}  // namespace

std::vector<uint8_t> NiffSpannerScore(int octaveAbove) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("ISFT");
    out.Text("Test writer");
    out.EndChunk();
    out.BeginChunk("stbl");
    out.Text(std::string("\0" "1. 2. \0", 8));
    out.EndChunk();
    out.BeginChunk("part", {0, 0, 0, 1, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.Tag(48, {2720});
    out.Tag(17, {3520});
    out.EndChunk();
    out.BeginChunk("syhd");
    out.Tag(1, {160, 400});
    out.Tag(48, {2400});
    out.EndChunk();
    out.BeginChunk("sthd");
    out.Tag(32, {0});
    out.Tag(1, {0, 0});
    out.Tag(17, {256});
    out.EndChunk();
    const int steps[3][4] = {{4, 5, 6, 4}, {4, 3, 2, 5}, {6, 5, 4, 3}};
    for (int measure = 0; measure < 3; ++measure) {
        Slice(out, 1, measure, 1);
        if (measure == 0) {
            out.BeginChunk("keys", {0});
            out.EndChunk();
            Node(out, "hrpn", {1}, 3, 2);
        }
        if (measure == 1) Node(out, "octv", {0, 1, 0, 0}, 4, 2, octaveAbove);
        if (measure == 2) Node(out, "altg", {3, 1}, 6, 2);
        for (int beat = 0; beat < 4; ++beat) {
            Slice(out, 2, beat, 4);
            if (measure == 2 && beat == 2) Node(out, "octv", {0, 1, 0, 0}, 4);
            if (measure == 0 && beat == 3) Node(out, "hrpn", {1}, 3);
            if (measure == 0 && beat == 1) Node(out, "pdlp", {6}, 7, 2);
            if (measure == 1 && beat == 2) Node(out, "pdlp", {7}, 7);
            if (measure == 1 && beat == 2) {
                out.BeginChunk("clef", {2, 6, 0});
                out.EndChunk();
            }
            if (measure == 2 && beat == 2) {
                out.BeginChunk("keys", {2});
                out.EndChunk();
            }
            if (measure == 2 && beat == 3) Node(out, "altg", {3, 1}, 6);
            Quarter(out, steps[measure][beat]);
            if (measure == 0 && beat == 0) Node(out, "slur", {}, 1, 2);
            if (measure == 0 && beat == 3) {
                Node(out, "slur", {}, 1);
                Node(out, "tie ", {}, 2);
            }
            if (measure == 1 && beat == 0) Node(out, "tie ", {}, 2);
            if (measure == 1 && beat == 3) Node(out, "slur", {}, 5, 2);
            if (measure == 2 && beat == 0) Node(out, "slur", {}, 5);
        }
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

}  // namespace ql::testing
