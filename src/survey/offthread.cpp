#include "offthread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <thread>

namespace Velmora {

void runOffTheEventThread(const std::function<void()> &work) {
    if (!QCoreApplication::instance()) {
        work();
        return;
    }
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The loop also ends when the program is quitting; the work is still
    // finished, never left half-way.
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Velmora
