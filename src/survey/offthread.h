#pragma once

#include <functional>

namespace Velmora {

// Runs `work` on a thread of its own while the calling thread's event loop goes
// on, so that the window repaints and takes clicks meanwhile; then returns, or
// throws what `work` threw. The caller decides which clicks must wait.
void runOffTheEventThread(const std::function<void()> &work);

} // namespace Velmora
