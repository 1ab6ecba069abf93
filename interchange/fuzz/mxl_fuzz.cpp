// Fuzz entry point for the MusicXML converter's compressed path: the input is a
// ".mxl" archive, unpacked and converted in memory. Seed it with zipped fixtures.
#include <cstddef>
#include <cstdint>
#include <span>

#include "interchange/musicxml/musicxml_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ql::musicxml::ConvertMusicXml(std::span<const uint8_t>(data, size), ql::musicxml::MusicXmlForm::Compressed);
    return 0;
}
