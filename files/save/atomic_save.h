// The folder-level steps of a save: the save's own scratch and holding files, the
// numbered backups ("%s.BAK", then "%s.BA%d" from 2 up to "BackupCopies"), and the
// atomic replacement of the document's file (permission bits kept, rename, fsync of
// the folder). Nothing is shown from here; every call reports the error number.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

// The scratch file a save writes and the file holding the replaced score until it
// becomes ".BAK" are the save's own: the target's folder, the prefix, six
// characters chosen for this save, and the suffix. No existing file is ever taken.
inline constexpr char kScratchPrefix[] = "~0tmpw_";
inline constexpr char kHoldingPrefix[] = "~0tmpb_";
inline constexpr char kScratchSuffix[] = ".0ql";

// A document path that is a symbolic link, resolved to the file it names (so the
// link survives the save); any other path as it is.
std::string ResolveDocumentPath(const std::string& path);
// The target's folder (nothing for a bare name) followed by `prefix`.
std::string FolderPrefixOf(const std::string& target, const char* prefix);
// The backup base: the path without the extension of its last name (a leading dot
// starts a name, not an extension); the whole path when that name has none, for a
// template (".tpl", any case: "x.tpl.BAK" stays apart from the score's "x.BAK"), or
// when one of the first `copies` backup names would be the path itself.
std::string BackupBaseOf(const std::string& path, int copies);
// "%s.BAK" for copy 1, "%s.BA%d" for copy k from 2 on.
std::string BackupName(const std::string& base, int copy);
// Whether the backup names of `base` up to `copies` can be made in their folder
// (every name within the folder's length limits).
bool BackupNamesFit(const std::string& base, int copies);

// Which file a name stands for: its device and inode numbers (both 0 when the name
// names nothing). A save renames its scratch file only while the name still stands
// for the file it wrote.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const std::string& path);

// Makes a new file of the target's folder hold the current file: a hard link, or a
// copy with its permission bits where links are not supported. Its name goes to
// *holding; 0 or the error number. Nothing else changes.
int HoldCurrentFile(const std::string& target, std::string* holding);
// Gives `temporary` the permission bits of `target` (those of a new file when there
// is none), renames it over `target` and syncs the folder; 0 or the error number
// (target untouched).
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
