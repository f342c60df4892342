#pragma once

#include <QObject>

#include <csignal>
#include <functional>
#include <initializer_list>

namespace Velmora {

// Turns the given signals into a call of `handler` from the event loop of
// `context`'s thread, where it may do anything an ordinary event handler does:
// a signal handler itself may do almost nothing. A later call for a signal
// takes it over from an earlier one.
void onSignals(QObject *context, std::initializer_list<int> signalNumbers,
               std::function<void()> handler);

// A write past the file-size limit (`ulimit -f`) then fails with "File too
// large" and is reported like any failed write, instead of SIGXFSZ ending the
// program with nothing said and the person's work unsaved.
void reportWritesPastFileSizeLimit();

// SIGTERM, SIGINT and SIGHUP: kill, Ctrl+C, logout.
inline void onTerminationSignals(QObject *context, std::function<void()> handler) {
    onSignals(context, {SIGTERM, SIGINT, SIGHUP}, std::move(handler));
}

} // namespace Velmora
