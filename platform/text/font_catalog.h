// Finds the font file for a request: fonts of the program's own folders by family
// name first, then the system's through fontconfig. Reports whether the face found
// is another than the one named ("Arial" -> "Liberation Sans" is a substitution).
// For the user-interface thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/text/logical_font.h"

namespace ql::text {

// The file and face chosen for a request.
struct FaceMatch {
    std::string path;
    int index = 0;                   // face index within the file
    std::string family;              // the family actually found
    int32_t weight = kWeightNormal;  // the weight of the face found
    bool italic = false;             // the face found is italic or oblique
    bool substituted = false;        // a face was named and another one was found
    bool fromPrivateFolder = false;
};

// Registers the fonts (*.ttf, *.otf, *.ttc) of a folder so that requests find them
// by family name before the system's fonts. Returns the number of faces added;
// a folder registered twice is read once. Folders registered later win.
int AddPrivateFontFolder(const std::string& folder);
// Forgets the fonts of a folder; false when it was not registered.
bool RemovePrivateFontFolder(const std::string& folder);

// The folder of the running executable ("" when it cannot be read).
std::string ProgramFolder();

// The face for a request; the program folder is registered on first use.
// Fails only when fontconfig finds no font at all (path empty).
FaceMatch MatchFace(const LogicalFont& request);

// The styles installed for a face name (private fonts and the system's), each as a
// request with face, weight and italic filled (the character set left at Ansi);
// empty when no font of that exact family exists.
std::vector<LogicalFont> ListFontsOfFace(std::string_view face);

}  // namespace ql::text
