// The program's own template of "Extract Part Layout" (495): the layout choice
// of a part, its two page-item options, and the texts that name the stored
// choice. Registered into the program's bundle at start-up (a language bundle
// may replace it).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace extract_part_dialog {
constexpr int32_t kDialog = 495;
constexpr int32_t kFromTemplate = 3114;  // also the stored choices' codes
constexpr int32_t kFromMaster = 3115;
constexpr int32_t kNewFileDefaults = 3116;
constexpr int32_t kLastSelection = 3117;  // never stored
constexpr int32_t kStoredChoiceText = 3105;
constexpr int32_t kCopyMasterItems = 3134;
constexpr int32_t kCopyPageOneItems = 3135;
constexpr uint32_t kHelpId = 2200;
}  // namespace extract_part_dialog

constexpr int32_t kStrUseTemplateFile = 1356;  // "Use Template file:  %s"
constexpr int32_t kStrCopyFromMaster = 1429;
constexpr int32_t kStrUseNewFileDefaults = 1701;
constexpr int32_t kStrSelectedScoreEmpty = 1668;

void AddPartExtractionResources(sys::ResourceBundle& bundle);
void RegisterPartExtractionResources();

}  // namespace ql
