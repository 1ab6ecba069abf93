// The texts, dialog settings and limits of the file commands (one home for them).
#pragma once

#include <cstddef>

namespace ql {

// Boxes of Save and Save As.
inline constexpr char kReadOnlyFileText[] = "File %s is a read-only file.";
inline constexpr char kNameNotValidText[] = "File \"%s\" name is not valid.";
inline constexpr char kNameTooLongText[] = "File \"%s\" name is longer than 259 characters.";
inline constexpr char kUnableToSaveAsText[] = "Unable to save file as \"%s\"";
inline constexpr char kOpenInAnotherViewText[] = " is already open in another view.";
inline constexpr char kReplaceFileText[] = "File already exists.  Replace %s ?";
// The box of Open for a read-only file.
inline constexpr char kOpenReadOnlyText[] = "File %s is a read-only file.\nDo you want to continue?";

// The question before a modified score's last window closes.
inline constexpr char kSaveChangesText[] = "Save changes to %s?";

// The Save As dialog: its title (also the caption of the replace question), its
// filter and its default extension.
inline constexpr char kSaveAsTitle[] = "Save As";
inline constexpr char kSaveAsFilter[] = " Quaverlinescribe (*.ql)~*.ql~ Template (*.tpl)~*.tpl~~";
inline constexpr char kScoreDefaultExtension[] = "QL";

// The Open dialog: title, filter, and the name it starts with.
inline constexpr char kOpenTitle[] = "Open Quaverlinescribe File";
inline constexpr char kOpenFilter[] = " Quaverlinescribe ~*.ql~ All files....... (*.*)~*.*~~";
inline constexpr char kOpenInitialName[] = "*.ql";

// The name of a score that has no file of its own (New, templates).
inline constexpr char kNewScoreName[] = "untitled_NEW";

// A chosen name must be shorter than this many bytes.
inline constexpr std::size_t kSaveAsNameLimit = 260;

// The extensions of the scores and the imports.
inline constexpr char kTemplateFileExtension[] = ".tpl";
inline constexpr const char* kImportExtensions[] = {".nif", ".mid", ".rmi", ".xml", ".mxl"};

}  // namespace ql
