// Fuzz entry point for the MusicXML converter's plain path: the input is a ".xml"
// file, converted to NIFF in memory. Seed it with interchange/tests/musicxml/fixtures.
#include <cstddef>
#include <cstdint>
#include <span>

#include "interchange/musicxml/musicxml_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ql::musicxml::ConvertMusicXml(std::span<const uint8_t>(data, size), ql::musicxml::MusicXmlForm::Plain);
    return 0;
}
