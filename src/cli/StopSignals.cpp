#include "StopSignals.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

int signalPipe = -1; // written by the handler, which may do nothing else of note

extern "C" void requestStop(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe, &byte, 1);
}

void handle(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe, Ctrl+C ends the process as it always would
    signalPipe = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(m_pipe[0], bytes, sizeof bytes) > 0) { }
        emit stopRequested();
    });
    handle(SIGINT, requestStop);
    handle(SIGTERM, requestStop);
    handle(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals()
{
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
    m_notifier.reset();
    signalPipe = -1;
    for (const int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}

bool readerGone(int fd)
{
    pollfd watched {fd, 0, 0};
    return ::poll(&watched, 1, 0) == 1 && (watched.revents & POLLERR) != 0;
}
