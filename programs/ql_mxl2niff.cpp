// ql-mxl2niff: the MusicXML converter program. The editor runs it as a child
// process, so that a hostile file cannot take the open scores with it.
#include <cstdio>

#include "interchange/musicxml/mxl2niff_command.h"

int main(int argc, char** argv) {
    ql::musicxml::LimitConverterResources();
    return ql::musicxml::RunMxl2Niff(argc, argv, stdout, stderr);
}
