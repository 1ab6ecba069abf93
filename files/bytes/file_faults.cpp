// The injected file faults (see file_faults.h): one plan and a call count per step.
#include "files/bytes/file_faults.h"

#include <array>
#include <cstddef>
#include <utility>

namespace ql {
namespace {

constexpr size_t kStepCount = 7;

struct FaultState {
    FileFault plan;
    std::array<int, kStepCount> calls{};
};

// At namespace scope, so that the count taken on every file call needs no guard of
// a first use.
FaultState g_faults;

FaultState& Faults() {
    return g_faults;
}

}  // namespace

namespace file_fault_detail {
bool g_faultSet = false;
}  // namespace file_fault_detail

void SetFileFaultForTests(FileFault fault) {
    Faults() = FaultState{std::move(fault), {}};
    file_fault_detail::g_faultSet = true;
}

void ResetFileFaultForTests() {
    Faults() = FaultState{};
    file_fault_detail::g_faultSet = false;
}

int InjectedFileFault(FileStep step) {
    FaultState& state = Faults();
    int call = ++state.calls[static_cast<size_t>(step)];
    if (state.plan.step != step || call != state.plan.nth) return 0;
    if (state.plan.action) state.plan.action();
    return state.plan.error;
}

int FileStepCalls(FileStep step) {
    return Faults().calls[static_cast<size_t>(step)];
}

}  // namespace ql
