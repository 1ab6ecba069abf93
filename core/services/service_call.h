// Calling one slot of a service table that a higher layer fills at start-up
// (core/services/ and core/ui/, *_services.h): the slot with the arguments when it is filled,
// otherwise the slot's result type's empty value (nothing, 0, false, null).
#pragma once

namespace ql {

template <typename Slot, typename... Args>
auto CallSlot(Slot slot, Args... args) {
    using Result = decltype(slot(args...));
    if (slot == nullptr) return Result();
    return slot(args...);
}

}  // namespace ql
