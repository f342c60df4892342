#include "terminationsignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Velmora {

namespace {

// Where each signal is told: the writing end of its handler's socket pair.
int writeEnd[NSIG] = {};

extern "C" void forwardSignal(int signal) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd[signal], &byte, 1);
    errno = saved;
}

} // namespace

void reportWritesPastFileSizeLimit() {
    ::signal(SIGXFSZ, SIG_IGN);
}

void onSignals(QObject *context, std::initializer_list<int> signalNumbers,
               std::function<void()> handler) {
    int pair[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
        return;
    auto *notifier = new QSocketNotifier(pair[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context,
                     [reading = pair[0], handler = std::move(handler)] {
                         char bytes[16];
                         while (::read(reading, bytes, sizeof bytes) > 0) {
                         }
                         handler();
                     });
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : signalNumbers) {
        writeEnd[signal] = pair[1];
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace Velmora
