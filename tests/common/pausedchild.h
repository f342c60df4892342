#pragma once

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// A child process that does `work` and then stands still, in the middle of
// whatever `work` left open, until it is killed with SIGKILL: a writer killed
// half-way, or another program holding a lock.
class PausedChild {
public:
    explicit PausedChild(const std::function<void()> &work) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            work();
            [[maybe_unused]] const ssize_t told = ::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        char byte = 0;
        m_ready = m_pid > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~PausedChild() { kill(); }
    PausedChild(const PausedChild &) = delete;
    PausedChild &operator=(const PausedChild &) = delete;

    // True once `work` is done and the child stands still.
    bool ready() const { return m_ready; }
    void kill() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
};
