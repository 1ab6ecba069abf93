// Ref32<T>: a 32-bit reference to memory in the record arena.
//
// Pooled records keep the sizes the score format fixes, so a pointer stored inside
// one is a u32 byte offset from the arena base instead of a native pointer. 0 means
// null; the first 64 KB of the arena is never handed out, so no record has offset 0.
// Offsets never change while a pool set lives (blocks never move), so records that
// hold references can be compared and restored as raw bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace ql {

namespace arena_detail {
// Base of the reserved arena range; set once by the arena and never moved.
extern std::byte* g_arenaBase;
}  // namespace arena_detail

// Packed to alignment 1 so that a Ref32 may sit at any offset of a packed record.
#pragma pack(push, 1)
template <typename T>
struct Ref32 {
    uint32_t offset;  // trivial, so records holding it can be zero-filled; Ref32{} is null

    constexpr Ref32() = default;
    constexpr explicit Ref32(uint32_t raw) : offset(raw) {}

    // The reference of an arena address; null for nullptr. The address must lie in
    // the arena (see IsInArena, core/memory/arena.h).
    static Ref32 To(const T* ptr) {
        if (ptr == nullptr) return Ref32{};
        auto* bytes = reinterpret_cast<const std::byte*>(ptr);
        return Ref32{static_cast<uint32_t>(bytes - arena_detail::g_arenaBase)};
    }

    // The address referred to, or nullptr for a null reference.
    T* get() const {
        if (offset == 0) return nullptr;
        return reinterpret_cast<T*>(arena_detail::g_arenaBase + offset);
    }
    T* operator->() const { return get(); }

    constexpr explicit operator bool() const { return offset != 0; }
    constexpr bool operator==(const Ref32&) const = default;
};
#pragma pack(pop)

static_assert(sizeof(Ref32<int>) == 4);
static_assert(alignof(Ref32<int>) == 1);
static_assert(std::is_trivial_v<Ref32<int>>);

}  // namespace ql
