// ImportMusicXml: read the file (bounded), convert, and hand the NIFF bytes to the
// NIFF import. What the conversion left out is shown in one box captioned
// "Import XML"; a file that cannot be converted gives its one-line reason.
#include "interchange/musicxml/musicxml_import.h"

#include <cctype>
#include <fstream>
#include <vector>

#include "core/ui/modal_boxes.h"
#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/niff/niff_import.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

bool IsCompressed(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mxl";
}

}  // namespace

ScoreView* ImportMusicXml(const std::filesystem::path& path) {
    // provisional: the conversion runs in this process; running it as a separate
    // converter program, so that a hostile file cannot take the open scores with it,
    // needs the spawn-and-pump support the platform layer does not have yet.
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes;
    if (file) {
        file.seekg(0, std::ios::end);
        const std::streamoff size = file.tellg();
        if (size >= 0 && static_cast<uint64_t>(size) <= musicxml::kMaxXmlBytes) {
            bytes.resize(static_cast<size_t>(size));
            file.seekg(0);
            file.read(reinterpret_cast<char*>(bytes.data()), size);
        }
        if (!file || size < 0 || static_cast<uint64_t>(size) > musicxml::kMaxXmlBytes) {
            ModalMessageBox("Cannot read \"" + path.filename().string() + "\": it is missing, unreadable or larger than 64 MiB.",
                            kImportXmlCaption, ui::kBoxIconExclamation);
            return nullptr;
        }
    } else {
        ModalMessageBox("Cannot open \"" + path.filename().string() + "\".", kImportXmlCaption, ui::kBoxIconExclamation);
        return nullptr;
    }
    musicxml::MusicXmlConversion conversion = musicxml::ConvertMusicXml(
        bytes, IsCompressed(path) ? musicxml::MusicXmlForm::Compressed : musicxml::MusicXmlForm::Plain);
    if (!conversion.ok) {
        ModalMessageBox(path.filename().string() + ": " + conversion.error, kImportXmlCaption, ui::kBoxIconExclamation);
        return nullptr;
    }
    return niff::OpenNiffScoreWindowFromMemory(conversion.niff, path.stem().string() + "_XML", &conversion.skipped,
                                               kImportXmlCaption);
}

}  // namespace ql
