// The program's command line and the display form of paths: each argument is
// checked on its own (the switch "/dde", the open form "[open(...)]", quotes, a line
// feed, the extension of the last path component), and a path shown in a caption
// or a menu is shortened to a fixed width with "..." in place of its middle.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ql {

// Results of ParseCommandLine.
enum class CommandLineResult : int {
    NotAFile = -2,  // a name that could be opened, but no regular file is there
    Rejected = -1,  // too long, or an unknown extension
    Nothing = 0,    // no argument
    OpenFile = 1,   // `argument` now names an existing file to open
    DdeSwitch = 2,  // "/dde": `argument` is emptied
};

// Stored paths keep this limit (one less than the file-name buffer).
constexpr size_t kMaxPathLength = 259;
// Captions and pick-list labels show paths shortened to this width.
constexpr size_t kCaptionPathWidth = 40;

// Works on one argument in place. A name without "." in its last component gets
// ".ql"; the accepted extensions are ".ql", ".mid", ".nif", ".xml" and ".mxl" (any
// case). A relative path is made absolute against the working folder.
CommandLineResult ParseCommandLine(std::string& argument);

// The checks of ParseCommandLine after its framing (switch, open form, quotes, line
// feed): the path as one argument, which may hold quotes and line feeds.
CommandLineResult ParseOpenPath(std::string& argument);

// True when the extension of the path's last component is one the command line,
// the open queue and drops accept.
bool HasAcceptedOpenExtension(std::string_view path);

// The display form of a path of at most `maximum` characters (code points; bytes
// that are no UTF-8 show as U+FFFD, and a character is never cut): the home folder
// in front becomes "~"; when still too long, "/" or "~/", then "...", then the
// longest tail that starts at a "/" and fits in maximum - 6 characters, or the last
// maximum - 6 characters when no "/" gives one.
std::string ShortenPath(std::string_view path, size_t maximum);

}  // namespace ql
