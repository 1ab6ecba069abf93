// The folder-level steps of a save: where the temporary file goes, the numbered
// backups ("%s.BAK", then "%s.BA%d" from 2 up to "BackupCopies"), and the atomic
// replacement of the document's file (permission bits kept, rename, fsync of the
// folder). Nothing is shown from here; every call reports the error number.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

inline constexpr char kTemporaryFileName[] = "~0tmpw_~.0ql";
// Holds the replaced file between the link and the backup rotation.
inline constexpr char kHoldingFileName[] = "~0tmpb_~.0ql";

// A document path that is a symbolic link, resolved to the file it names (so the
// link survives the save); any other path as it is.
std::string ResolveDocumentPath(const std::string& path);
// The target's folder (nothing for a bare name) followed by the temporary name, or
// by another name of that folder.
std::string TemporaryPathFor(const std::string& target, const char* name = kTemporaryFileName);
// The backup base: the path without its extension (the whole path when its last
// name has none), at most 255 characters.
std::string BackupBaseOf(const std::string& path);
// "%s.BAK" for copy 1, "%s.BA%d" for copy k from 2 on.
std::string BackupName(const std::string& base, int copy);

// Makes `holding` a hard link to the current file (a copy where links are not
// supported); 0 or the error number. Nothing else changes.
int HoldCurrentFile(const std::string& target, const std::string& holding);
// Gives `temporary` the permission bits of `target` (when it exists), renames it
// over `target` and syncs the folder; 0 or the error number (target untouched).
int ReplaceWithTemporary(const std::string& temporary, const std::string& target);
// Shifts the backups up by one (".BAK" to ".BA2" ... up to `copies`) and moves the
// held previous file to ".BAK". Failures of single moves are ignored.
void RotateBackups(const std::string& base, int copies, const std::string& holding);

// The number of calendar fields LastWriteTimeFields fills.
constexpr int kWriteTimeFields = 7;
// The file's last-write time as local calendar fields (seconds, minutes, hours, day
// of month, month from 0, year - 1900, day of week) into fields[0..6]; the current
// time when the file cannot be read.
void LastWriteTimeFields(const std::string& path, int32_t* fields);

}  // namespace ql
