// MusicXML conversion in memory (parse, model and NIFF bytes) of a 1 MB partwise
// score (BM_MusicXmlPartwise) against a bare expat parse of the same bytes with no
// handlers (BM_MusicXmlBareParse), target ratio at most 5; the same score as
// timewise (BM_MusicXmlTimewise) and as ".mxl" (BM_MusicXmlCompressed) against the
// partwise conversion, target ratio at most 1.5 each.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <zip.h>

#include <string>
#include <vector>

#include "interchange/bench/musicxml_scores.h"
#include "interchange/musicxml/musicxml_convert.h"

namespace ql::musicxml {
namespace {

constexpr int kMeasures = 200;  // about 1 MB of partwise text

const std::string& Partwise() {
    static const std::string text = PartwiseScore(kMeasures);
    return text;
}

const std::string& Timewise() {
    static const std::string text = [] {
        std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><score-timewise>" + PartList();
        for (int m = 0; m < kMeasures; ++m) {
            out += "<measure>";
            for (int p = 0; p < kBenchParts; ++p) out += "<part id=\"P" + std::to_string(p) + "\">" + MeasureBody(m) + "</part>";
            out += "</measure>";
        }
        return out + "</score-timewise>";
    }();
    return text;
}

const std::vector<uint8_t>& Compressed() {
    static const std::vector<uint8_t> bytes = [] {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
        zip_source_keep(buffer);
        zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
        zip_file_add(archive, "score.xml", zip_source_buffer(archive, Partwise().data(), Partwise().size(), 0), 0);
        zip_close(archive);
        std::vector<uint8_t> out;
        zip_stat_t stat;
        if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
            out.resize(stat.size);
            zip_source_read(buffer, out.data(), out.size());
            zip_source_close(buffer);
        }
        zip_source_free(buffer);
        zip_error_fini(&error);
        return out;
    }();
    return bytes;
}

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

void BM_MusicXmlBareParse(benchmark::State& state) {
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        benchmark::DoNotOptimize(XML_Parse(parser, Partwise().data(), static_cast<int>(Partwise().size()), XML_TRUE));
        XML_ParserFree(parser);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Partwise().size()));
}

void BM_MusicXmlPartwise(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ConvertMusicXml(Bytes(Partwise()), MusicXmlForm::Plain).ok);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Partwise().size()));
}

void BM_MusicXmlTimewise(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ConvertMusicXml(Bytes(Timewise()), MusicXmlForm::Plain).ok);
}

void BM_MusicXmlCompressed(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ConvertMusicXml(Compressed(), MusicXmlForm::Compressed).ok);
}

BENCHMARK(BM_MusicXmlBareParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MusicXmlPartwise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MusicXmlTimewise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MusicXmlCompressed)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ql::musicxml
