// The New Manuscript dialog (836): the shape of a new score (staff separation,
// staves per system, measures per line, systems per page, system separation) or a
// template to start from, and whether the choices become the preferences.
#pragma once

#include <filesystem>

#include "core/model/score_document.h"

namespace ql {

inline constexpr int kNewManuscriptDialogId = 836;

struct NewManuscriptChoice {
    bool accepted = false;             // false: the dialog was cancelled
    bool useTemplate = false;          // open `templatePath` instead of a blank score
    std::filesystem::path templatePath;
    NewScoreBlock block{};             // the blank score's shape
};

// Runs the dialog from the frame: the shape chosen (clamped: systems per page
// 1..24, measures per line 1..the slot limit, staves at most the staff limit, the
// separations at least 640 and 128 on multiples of 128), a template, or nothing.
NewManuscriptChoice RunNewManuscriptDialog();

// The template file dialog (" Template (*.tpl)", existing files only): 1 with the
// file in `chosen` when a readable template was chosen (its folder is kept for the
// next time); an unreadable file shows "Can't read file.".
int OpenTemplateFile(std::filesystem::path* chosen);

}  // namespace ql
