// The private GLib context and its thread (see glib_context_thread.h).
#include "platform/sys/glib_context_thread.h"

namespace ql::sys {

GlibContextThread::GlibContextThread()
    : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {}

GlibContextThread::~GlibContextThread() {
    Stop();
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void GlibContextThread::Start() {
    if (thread_.joinable()) return;
    thread_ = std::thread([this] {
        g_main_context_push_thread_default(context_);
        g_main_loop_run(loop_);
        g_main_context_pop_thread_default(context_);
    });
}

void GlibContextThread::Stop() {
    if (!thread_.joinable()) return;
    GSource* source = g_idle_source_new();
    g_source_set_callback(
        source,
        [](gpointer loop) -> gboolean {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        },
        loop_, nullptr);
    g_source_attach(source, context_);
    g_source_unref(source);
    thread_.join();
}

}  // namespace ql::sys
