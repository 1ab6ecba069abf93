// MusicXML to NIFF in memory: a plain (".xml") or compressed (".mxl") file's bytes
// become NIFF bytes and the list of what was left out, or a one-line error.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "interchange/import_report.h"

namespace ql::musicxml {

enum class MusicXmlForm : uint8_t { Plain, Compressed };

struct MusicXmlConversion {
    bool ok = false;
    std::vector<uint8_t> niff;
    ImportReport skipped;
    std::string error;  // one line when !ok
};

MusicXmlConversion ConvertMusicXml(std::span<const uint8_t> bytes, MusicXmlForm form);

}  // namespace ql::musicxml
