// A plain visible window for tests and benchmarks that draw: its class (registered
// on first use in the current window layer) passes every message to the default
// procedure (or to a procedure of the caller's). The caller resets the window layer as its fixture does.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing {

// A visible window of a class whose messages go to `procedure`.
inline win::WindowHandle OpenWindowOfProcedure(const char* className, int32_t width, int32_t height,
                                               win::WindowProc procedure) {
    win::WindowClass cls;
    cls.name = className;
    cls.procedure = std::move(procedure);
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = className;
    params.style = win::kStyleVisible;
    params.rect = win::Rect{0, 0, width, height};
    return win::CreateWindow(params);
}

inline win::WindowHandle OpenPlainWindow(const char* className, int32_t width, int32_t height) {
    return OpenWindowOfProcedure(className, width, height,
                                 [](win::WindowHandle w, win::Message m, uint32_t word, intptr_t data) {
                                     return win::DefaultWindowProc(w, m, word, data);
                                 });
}

}  // namespace ql::testing
