// The pick list of recently used score files, kept by the shell's File menu.
#pragma once

#include <string>

namespace ql {

// Puts a saved or opened path at the top of the list.
void AddToRecentFiles(const std::string& path);

}  // namespace ql
