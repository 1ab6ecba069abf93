// Fills the score files' service table with the files' own calls.
#include "files/file_services_install.h"

#include "core/services/file_services.h"
#include "files/score_file.h"

namespace ql {

void InstallFileServices() {
    FileServices services;
    services.saveScoreFile = &SaveScoreFile;
    services.writeScoreBytes = &WriteScoreBytes;
    services.readScoreBytes = &ReadScoreBytes;
    services.scoreBytesLeft = &ScoreBytesLeft;
    SetFileServices(services);
}

}  // namespace ql
