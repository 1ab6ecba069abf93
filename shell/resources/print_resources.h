// The printing resources of the program's bundle: the "Printing ..." box 841 and
// the texts of the print run and of the print dialog's page-list check.
// Registered into the program's bundle at start-up (a language bundle may
// replace any of them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

constexpr int32_t kPrintAbortDialogId = 841;
constexpr int32_t kPrintAbortTextId = 1000;  // the static text naming the document

constexpr int32_t kStrPrintFileFilter = 20;
constexpr int32_t kStrUsingDefaultDriver = 1124;
constexpr int32_t kStrUserCanceledPrint = 1125;
constexpr int32_t kStrPrintError = 1126;
constexpr int32_t kStrPageRangeBox = 1322;
constexpr int32_t kStrPageNotFound = 1376;

// Adds these resources to `bundle`; entries the bundle already has are kept.
void AddPrintResources(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterPrintResources();

}  // namespace ql
