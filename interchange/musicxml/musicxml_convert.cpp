// The conversion pipeline: unpack (".mxl"), read into the model, place grace notes,
// rewrite what the score keeps in another form (ties apart, slurs across staves),
// write NIFF.
#include "interchange/musicxml/musicxml_convert.h"

#include "interchange/musicxml/musicxml_graces.h"
#include "interchange/musicxml/musicxml_niff.h"
#include "interchange/musicxml/musicxml_reader.h"
#include "interchange/musicxml/musicxml_slurs.h"
#include "interchange/musicxml/musicxml_ties.h"
#include "interchange/musicxml/mxl_archive.h"

namespace ql::musicxml {

MusicXmlConversion ConvertMusicXml(std::span<const uint8_t> bytes, MusicXmlForm form) {
    MusicXmlConversion result;
    std::vector<uint8_t> unpacked;
    if (form == MusicXmlForm::Compressed) {
        if (!ReadMxlScore(bytes, unpacked, result.error)) return result;
        bytes = unpacked;
    }
    MxlScore score;
    if (!ReadMusicXml(bytes, score, result.skipped, result.error)) return result;
    PlaceGraceNotes(score);
    TiesApartAsSlurs(score, result.skipped);
    DropSlursAcrossStaves(score, result.skipped);
    result.niff = WriteScoreAsNiff(score, result.skipped, result.error);
    result.ok = !result.niff.empty();
    return result;
}

}  // namespace ql::musicxml
