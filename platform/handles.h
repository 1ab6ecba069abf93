// Handles of the platform layer: 32-bit ids into the layer's object tables.
//
// The program stores platform handles (fonts, pens, bitmaps, windows, ...) inside
// its pooled records, which keep their 32-bit sizes on 64-bit Linux, so a handle is
// a 32-bit value, never a pointer. 0 means "none". Each handle carries its kind and
// a generation: a handle whose object was deleted (or whose slot was reused) stops
// resolving, so a stale handle found in a record reads as "no object" and is never
// deleted twice.
//
//   bits  0-15  slot index (1..65535; slot 0 is never used)
//   bits 16-27  generation (1..4095, advanced each time the slot is freed)
//   bits 28-31  ObjectKind
//
// The generation never wraps on its own: a slot freed at generation 4095 is
// retired, so the bits of a handle are not handed out twice and a stale handle
// cannot name a later object for the next 65535 x 4095 (about 268 million)
// objects of its kind. Only when every slot is live or retired do the retired
// slots start over at generation 1: a program that draws for days must not run
// out of pens, and a handle kept across 268 million later objects is far older
// than anything the program holds.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace ql::platform {

enum class ObjectKind : uint8_t {
    None = 0,
    Pen = 1,
    Brush = 2,
    Font = 3,
    Bitmap = 4,
    DeviceContext = 5,
    Window = 6,
    Menu = 7,
    Cursor = 8,
    Region = 9,
};

constexpr uint32_t kHandleIndexBits = 16;
constexpr uint32_t kHandleGenerationBits = 12;
constexpr uint32_t kHandleIndexMask = (1u << kHandleIndexBits) - 1;
constexpr uint32_t kHandleGenerationMask = (1u << kHandleGenerationBits) - 1;
constexpr uint32_t kHandleKindShift = kHandleIndexBits + kHandleGenerationBits;

constexpr uint32_t MakeHandleBits(ObjectKind kind, uint32_t generation, uint32_t index) {
    return (static_cast<uint32_t>(kind) << kHandleKindShift) |
           ((generation & kHandleGenerationMask) << kHandleIndexBits) | (index & kHandleIndexMask);
}
constexpr ObjectKind KindOfHandle(uint32_t bits) {
    return static_cast<ObjectKind>(bits >> kHandleKindShift);
}
constexpr uint32_t IndexOfHandle(uint32_t bits) { return bits & kHandleIndexMask; }
constexpr uint32_t GenerationOfHandle(uint32_t bits) {
    return (bits >> kHandleIndexBits) & kHandleGenerationMask;
}

// A typed handle: mixing kinds is a compile error; the stored bits stay 32 wide.
template <ObjectKind K>
struct Handle {
    static constexpr ObjectKind kKind = K;
    uint32_t bits = 0;

    constexpr Handle() = default;
    constexpr explicit Handle(uint32_t raw) : bits(raw) {}
    constexpr explicit operator bool() const { return bits != 0; }
    constexpr bool operator==(const Handle&) const = default;
};

using PenHandle = Handle<ObjectKind::Pen>;
using BrushHandle = Handle<ObjectKind::Brush>;
using FontHandle = Handle<ObjectKind::Font>;
using BitmapHandle = Handle<ObjectKind::Bitmap>;
using DcHandle = Handle<ObjectKind::DeviceContext>;
using WindowHandle = Handle<ObjectKind::Window>;
using MenuHandle = Handle<ObjectKind::Menu>;
using CursorHandle = Handle<ObjectKind::Cursor>;

// Any drawing object (pen, brush, font, bitmap), as the program's object cache and
// SelectObject/DeleteObject see them: the kind is read from the bits.
struct AnyObjectHandle {
    uint32_t bits = 0;
    constexpr AnyObjectHandle() = default;
    constexpr explicit AnyObjectHandle(uint32_t raw) : bits(raw) {}
    template <ObjectKind K>
    constexpr AnyObjectHandle(Handle<K> h) : bits(h.bits) {}  // NOLINT: widening is safe
    constexpr ObjectKind kind() const { return KindOfHandle(bits); }
    constexpr explicit operator bool() const { return bits != 0; }
    constexpr bool operator==(const AnyObjectHandle&) const = default;
};

// A table of objects of one kind, addressed by generational handles.
// Owns its objects; Remove destroys the object and invalidates every copy of its
// handle. For the user-interface thread only.
template <ObjectKind K, typename T>
class HandleTable {
public:
    using HandleType = Handle<K>;

    HandleTable() { slots_.resize(1); }  // slot 0 is never handed out

    // Returns a null handle when the table is full (65535 live objects).
    HandleType Add(std::unique_ptr<T> object) {
        uint32_t index;
        if (free_.empty() && slots_.size() > kHandleIndexMask) ReviveRetiredSlots();
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            if (slots_.size() > kHandleIndexMask) return HandleType{};
            index = static_cast<uint32_t>(slots_.size());
            slots_.emplace_back();
        }
        Slot& slot = slots_[index];
        slot.object = std::move(object);
        return HandleType{MakeHandleBits(K, slot.generation, index)};
    }

    // Checked lookup: null for 0, another kind, a freed slot or a stale generation.
    T* Find(HandleType h) const { return FindBits(h.bits); }
    T* FindBits(uint32_t bits) const {
        if (KindOfHandle(bits) != K) return nullptr;
        uint32_t index = IndexOfHandle(bits);
        if (index == 0 || index >= slots_.size()) return nullptr;
        const Slot& slot = slots_[index];
        if (!slot.object || slot.generation != GenerationOfHandle(bits)) return nullptr;
        return slot.object.get();
    }

    // Asserting accessor for handles the caller has proven live.
    T& Get(HandleType h) const {
        T* object = Find(h);
        assert(object && "stale or foreign platform handle");
        return *object;
    }

    // Destroys the object; false when the handle did not resolve (already gone).
    // A slot whose generation is spent is retired instead of freed.
    bool Remove(HandleType h) {
        if (!Find(h)) return false;
        uint32_t index = IndexOfHandle(h.bits);
        Slot& slot = slots_[index];
        slot.object.reset();
        if (slot.generation == kHandleGenerationMask) {
            ++retired_;
            return true;
        }
        ++slot.generation;
        free_.push_back(index);
        return true;
    }

    size_t LiveCount() const { return slots_.size() - 1 - free_.size() - retired_; }

    template <typename Fn>
    void ForEach(Fn&& fn) const {
        for (uint32_t i = 1; i < slots_.size(); ++i)
            if (slots_[i].object)
                fn(HandleType{MakeHandleBits(K, slots_[i].generation, i)}, *slots_[i].object);
    }

private:
    void ReviveRetiredSlots() {
        for (uint32_t index = 1; index < slots_.size() && retired_ > 0; ++index) {
            Slot& slot = slots_[index];
            if (slot.object || slot.generation != kHandleGenerationMask) continue;
            slot.generation = 1;
            free_.push_back(index);
            --retired_;
        }
    }

    struct Slot {
        std::unique_ptr<T> object;
        uint32_t generation = 1;
    };
    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;
    size_t retired_ = 0;  // slots whose every generation has been used
};

}  // namespace ql::platform
