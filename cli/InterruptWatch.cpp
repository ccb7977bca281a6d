#include "InterruptWatch.h"

#include <QObject>
#include <QTimer>

#include <csignal>

#ifndef _WIN32
#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace neva::cli {

namespace {

volatile std::sig_atomic_t g_signalled = 0;

#ifndef _WIN32
int g_pipe[2] = {-1, -1};
struct sigaction g_old_int, g_old_term;

extern "C" void on_signal(int) {
    g_signalled = 1;
    const char byte = 1;
    // Nothing to do about a full pipe: one byte in it is enough.
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &byte, 1);
}
#else
void (*g_old_int)(int) = SIG_DFL;
extern "C" void on_signal(int) { g_signalled = 1; }
#endif

}  // namespace

InterruptWatch::InterruptWatch() {
    g_signalled = 0;
#ifndef _WIN32
    if (::pipe(g_pipe) == 0) {
        for (int fd : g_pipe) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] {
            char buf[16];
            while (::read(g_pipe[0], buf, sizeof buf) > 0) {
            }
            fire();
        });
        notifier_.reset(notifier);
        struct sigaction sa {};
        sa.sa_handler = on_signal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, &g_old_int);
        sigaction(SIGTERM, &sa, &g_old_term);
    }
#else
    // Windows runs the console handler on a thread of its own: the flag is looked at
    // from the event loop instead.
    g_old_int = std::signal(SIGINT, on_signal);
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, poll, [this] {
        if (g_signalled && !requested_) fire();
    });
    poll->start(100);
    notifier_.reset(poll);
#endif
}

InterruptWatch::~InterruptWatch() {
    notifier_.reset();
#ifndef _WIN32
    if (g_pipe[0] >= 0) {
        sigaction(SIGINT, &g_old_int, nullptr);
        sigaction(SIGTERM, &g_old_term, nullptr);
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
#else
    std::signal(SIGINT, g_old_int);
#endif
}

bool InterruptWatch::requested() const { return requested_ || g_signalled != 0; }

void InterruptWatch::fire() {
    requested_ = true;
    if (on_interrupt) on_interrupt();
}

}  // namespace neva::cli
