// The pick list of recently used score files: section "PickList" of the settings
// store, keys "PreviousFile1".."PreviousFile16", entry 1 the most recent; an empty
// or missing key ends the list. There is no copy in memory: every user reads and
// writes the keys. The File menu lists the first "PickListEntries" entries as
// commands 40001.., and start-up drops the files that are gone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ui/shell_services.h"
#include "platform/handles.h"
#include "shell/program/command_line.h"

namespace ql {

constexpr char kPickListSection[] = "PickList";
constexpr int kMaxPickListEntries = 16;
// A stored path longer than a path may be is damaged and read as no entry.
constexpr size_t kMaxPickListPath = kMaxPathLength;
// Another document may be opened while fewer than this many are open.
constexpr int kMaxOpenDocuments = 255;

// The entries in order, at most `count` (clamped to 1..16), up to the first empty one.
std::vector<std::string> ReadPickList(int count = kMaxPickListEntries);
// Entry n (1-based) of the list, or nothing.
std::optional<std::string> PickListEntry(int n);

// Puts a saved or opened path at the top; an entry equal to it moves up, and the
// list keeps "PickListEntries" paths. Keys behind the list's end keep what they held.
// The shell's service behind AddToPickList (core/ui/shell_services.h).
void PutPathOnPickList(const std::string& path);

// Start-up: drops every entry whose file is gone (a file on media or a share that
// is not mounted stays), packs the list to at most "PickListEntries" entries,
// rewrites the keys and deletes the rest. Returns the list kept.
std::vector<std::string> CleanPickListAtStart();

// The File menu's pick-list items, rebuilt when it opens: items 40001.. are removed
// and one is appended per entry, "%d. %s" with the shortened path, enabled while
// fewer than kMaxOpenDocuments documents are open; a missing file gets " (not
// mounted)" (enabled as well) or " (not found)" (grayed).
void BuildPickListMenuItems(platform::MenuHandle fileMenu, int openDocuments);

// The frame's side: a popup that opens gets the pick list when it is a File menu;
// a pick-list command (40001..40016) queues its entry to open. True when taken.
void OnFramePopupOpening(platform::MenuHandle popup);
bool OnPickListCommand(int32_t command);

}  // namespace ql
