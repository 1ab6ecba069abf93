// Fuzz entry point for the MusicXML converter's plain path: the input is a ".xml"
// file, converted to NIFF in memory, and a converted file is read back by the NIFF
// import's passes (slurs, tuplets, page texts and changes inside measures included).
// Seed it with interchange/tests/musicxml/fixtures (a time signature without its
// beat type among them).
#include <cstddef>
#include <cstdint>
#include <span>

#include "interchange/byte_source.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ql::musicxml::MusicXmlConversion conversion =
        ql::musicxml::ConvertMusicXml(std::span<const uint8_t>(data, size), ql::musicxml::MusicXmlForm::Plain);
    if (!conversion.ok) return 0;
    ql::niff::NiffImportState state;
    ql::niff::ReadNiffPasses(state, [&] { return ql::ByteSource::FromMemory(conversion.niff); });
    ql::niff::ReleaseNiffImport(state);
    return 0;
}
