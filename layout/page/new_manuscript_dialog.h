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

// Runs the dialog from the frame.
NewManuscriptChoice RunNewManuscriptDialog();

}  // namespace ql
