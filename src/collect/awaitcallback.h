#pragma once

// The blocking form of an asynchronous call.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

namespace Velmora {

// Starts work that reports its result to a callback, possibly on another
// thread, and waits for that result: the blocking form of an asynchronous call.
template <typename Result>
Result awaitCallback(const std::function<void(std::function<void(Result)>)> &start) {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<Result> result;
    start([&](Result value) {
        std::lock_guard lock(mutex);
        result = std::move(value);
        done.notify_all();
    });
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return result.has_value(); });
    return std::move(*result);
}

} // namespace Velmora
