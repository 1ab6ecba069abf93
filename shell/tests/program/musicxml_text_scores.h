// A MusicXML score written in a test, imported as the program imports a file (the
// converter, then the NIFF import) into a new score window: the crafted scores of
// the engraving tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interchange/musicxml/musicxml_convert.h"
#include "interchange/niff/niff_import.h"
#include "platform/ui/headless.h"

namespace ql::testing {

// The view of the imported score, or null (a failed conversion fails the test).
inline ScoreView* ImportMusicXmlText(const std::string& xml, const std::string& title) {
    const musicxml::MusicXmlConversion conversion =
        musicxml::ConvertMusicXml(std::vector<uint8_t>(xml.begin(), xml.end()), musicxml::MusicXmlForm::Plain);
    EXPECT_TRUE(conversion.ok) << conversion.error;
    if (!conversion.ok) return nullptr;
    ui::headless::ResetUi();
    return niff::OpenNiffScoreWindowFromMemory(conversion.niff, title);
}

}  // namespace ql::testing
