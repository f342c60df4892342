#pragma once

#include <QObject>

#include <functional>

namespace Velmora {

// Turns SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, logout) into a call of
// `handler` from the event loop of `context`'s thread, where it may do anything
// an ordinary event handler does: a signal handler itself may do almost nothing.
// Call once per process.
void onTerminationSignals(QObject *context, std::function<void()> handler);

} // namespace Velmora
