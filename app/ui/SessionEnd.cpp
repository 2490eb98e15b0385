#include "SessionEnd.h"

#include <QGuiApplication>
#include <QSessionManager>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace korvalin::ui {
namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // Nothing to do when the pipe is full: a byte is waiting already.
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

bool Install(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGHUP, &action, nullptr) == 0;
}

}  // namespace

SessionEnd::SessionEnd(QObject* parent) : QObject(parent)
{
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            emit SaveRequested();
        });
    }
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    if (!Install(OnSignal)) {
        Install(SIG_DFL);
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SessionEnd::ReadSignal);
}

SessionEnd::~SessionEnd()
{
    if (!notifier_)
        return;
    Install(SIG_DFL);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void SessionEnd::ReadSignal()
{
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    emit EndRequested();
}

}  // namespace korvalin::ui
