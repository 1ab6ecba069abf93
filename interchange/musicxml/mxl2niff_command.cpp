// The converter program's command line, output lines and exit status. The NIFF
// file is written only when the whole conversion succeeded; a failed write is a
// conversion error and the partial file is emptied.
#include "interchange/musicxml/mxl2niff_command.h"

#include <sys/resource.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/musicxml_reader.h"

#if defined(__SANITIZE_ADDRESS__)
#define QL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QL_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef QL_ADDRESS_SANITIZER
#define QL_ADDRESS_SANITIZER 0
#endif

namespace ql::musicxml {
namespace {

bool EndsWithMxl(std::string_view path) {
    if (path.size() < 4) return false;
    std::string extension(path.substr(path.size() - 4));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mxl";
}

}  // namespace

void LimitConverterResources() {
    const rlimit cpu{120, 120};
    ::setrlimit(RLIMIT_CPU, &cpu);
#if !QL_ADDRESS_SANITIZER
    const rlimit memory{rlim_t{2} << 30, rlim_t{2} << 30};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
}

int RunMxl2Niff(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    if (argc != 4 || std::string_view(argv[1]) != "--output") {
        std::fprintf(err, "usage: %s --output <file.nif> <score.xml|score.mxl>\n", argc > 0 ? argv[0] : "ql-mxl2niff");
        return kConverterUsage;
    }
    const std::string output = argv[2];
    const std::string input = argv[3];
    std::fprintf(out, "progress 0 Reading\n");
    std::ifstream file(input, std::ios::binary);
    if (!file) {
        std::fprintf(err, "cannot open %s\n", input.c_str());
        return kConverterFailed;
    }
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + file.gcount());
        if (bytes.size() > kMaxXmlBytes) {
            std::fprintf(err, "%s is larger than 64 MiB\n", input.c_str());
            return kConverterFailed;
        }
    }
    std::fprintf(out, "progress 1 Converting\n");
    std::fflush(out);
    const MusicXmlConversion conversion =
        ConvertMusicXml(bytes, EndsWithMxl(input) ? MusicXmlForm::Compressed : MusicXmlForm::Plain);
    if (!conversion.ok) {
        std::fprintf(err, "%s\n", conversion.error.c_str());
        return kConverterFailed;
    }
    for (const auto& [item, count] : conversion.skipped.Counts()) std::fprintf(out, "skipped %d %s\n", count, item.c_str());
    std::fprintf(out, "progress 2 Writing\n");
    std::ofstream niff(output, std::ios::binary | std::ios::trunc);
    niff.write(reinterpret_cast<const char*>(conversion.niff.data()), static_cast<std::streamsize>(conversion.niff.size()));
    niff.close();
    if (!niff) {
        std::ofstream(output, std::ios::binary | std::ios::trunc);
        std::fprintf(err, "cannot write %s\n", output.c_str());
        return kConverterFailed;
    }
    std::fflush(out);
    return kConverterOk;
}

}  // namespace ql::musicxml
