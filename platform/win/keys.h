// Key codes of KeyDown/KeyUp messages and the key-state queries.
// Letters and digits use their upper-case ASCII codes; the other keys have the
// layer's own numbers below. Characters typed arrive separately as Char messages.
#pragma once

#include <cstdint>

namespace ql::win {

enum class Key : uint32_t {
    None = 0,
    Backspace = 0x08,
    Tab = 0x09,
    Enter = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Alt = 0x12,
    Pause = 0x13,
    CapsLock = 0x14,
    Escape = 0x1B,
    Space = 0x20,
    PageUp = 0x21,
    PageDown = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Insert = 0x2D,
    Delete = 0x2E,
    // '0'..'9' = 0x30..0x39, 'A'..'Z' = 0x41..0x5A
    Numpad0 = 0x60,  // .. Numpad9 = 0x69
    Multiply = 0x6A,
    Add = 0x6B,
    Subtract = 0x6D,
    Decimal = 0x6E,
    Divide = 0x6F,
    F1 = 0x70,  // .. F12 = 0x7B
    F12 = 0x7B,
    Semicolon = 0xBA,
    Equals = 0xBB,
    Comma = 0xBC,
    Minus = 0xBD,
    Period = 0xBE,
    Slash = 0xBF,
    Backquote = 0xC0,
    LeftBracket = 0xDB,
    Backslash = 0xDC,
    RightBracket = 0xDD,
    Quote = 0xDE,
};

constexpr Key LetterKey(char upper) { return static_cast<Key>(static_cast<uint32_t>(upper)); }
constexpr Key DigitKey(int digit) { return static_cast<Key>(0x30u + static_cast<uint32_t>(digit)); }
constexpr Key FunctionKey(int n) { return static_cast<Key>(static_cast<uint32_t>(Key::F1) + n - 1); }
constexpr bool IsFunctionKey(Key key) { return key >= Key::F1 && key <= Key::F12; }

// True while the key is held. The program asks about Shift, Control and Alt.
bool IsKeyDown(Key key);

}  // namespace ql::win
