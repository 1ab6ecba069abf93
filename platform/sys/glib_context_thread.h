// A GLib main context of its own, run on a thread of its own: what D-Bus
// subscriptions and exported objects made while it is the calling thread's default
// (Adopt) deliver to, without the program's loop running GLib's. Stopping quits
// the loop from inside it, so a stop that comes before the thread has started
// running the loop is not lost.
#pragma once

#include <gio/gio.h>

#include <thread>

namespace ql::sys {

class GlibContextThread {
public:
    GlibContextThread();
    ~GlibContextThread();  // stops and joins
    GlibContextThread(const GlibContextThread&) = delete;
    GlibContextThread& operator=(const GlibContextThread&) = delete;

    // Runs `make` with the context as the calling thread's default: what it
    // subscribes or registers is then served on the context's thread.
    template <typename Make>
    auto Adopt(Make make) {
        g_main_context_push_thread_default(context_);
        struct Pop {
            GMainContext* context;
            ~Pop() { g_main_context_pop_thread_default(context); }
        } pop{context_};
        return make();
    }
    // Starts the thread that runs the context (once).
    void Start();
    // Quits the loop and joins the thread; nothing when it was never started.
    void Stop();

private:
    GMainContext* context_;
    GMainLoop* loop_;
    std::thread thread_;
};

}  // namespace ql::sys
