#pragma once

// A TCP proxy on loopback that can freeze as a stopped process does: its
// sockets stay open and the kernel still accepts, but nothing is read,
// forwarded or answered. No TCP timeout ever fires; only the client's own
// deadline does.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

class FrozenProxy {
public:
    explicit FrozenProxy(quint16 upstream)
        : m_upstream(upstream) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(0);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_listener, 16);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~FrozenProxy() {
        m_stopping = true;
        m_thread.join();
        for (const auto &[client, server] : m_pairs) {
            ::close(client);
            ::close(server);
        }
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }
    void freeze(bool frozen) { m_frozen = frozen; }

private:
    static sockaddr_in loopback(quint16 port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }
    void run() {
        while (!m_stopping) {
            if (m_frozen) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
            for (const auto &[client, server] : m_pairs) {
                fds.push_back({client, POLLIN, 0});
                fds.push_back({server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            std::vector<std::pair<int, int>> open;
            for (size_t i = 0; i + 1 < fds.size(); i += 2) {
                const auto [client, server] = m_pairs[i / 2];
                const bool alive = pass(fds[i + 1], server) && pass(fds[i + 2], client);
                if (alive) {
                    open.push_back({client, server});
                } else {
                    closeBoth(client, server);
                }
            }
            m_pairs.swap(open);
            if (fds[0].revents & POLLIN) {
                const int client = ::accept(m_listener, nullptr, nullptr);
                const int server = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in address = loopback(m_upstream);
                if (::connect(server, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
                    m_pairs.push_back({client, server});
                else
                    closeBoth(client, server);
            }
        }
    }
    static void closeBoth(int client, int server) {
        ::close(client);
        ::close(server);
    }
    // Whatever `from` has ready, to `to`; false once it is closed.
    static bool pass(const pollfd &from, int to) {
        if (!(from.revents & (POLLIN | POLLHUP | POLLERR)))
            return true;
        char buffer[16384];
        const ssize_t read = ::read(from.fd, buffer, sizeof buffer);
        return read > 0 && ::write(to, buffer, size_t(read)) == read;
    }

    const quint16 m_upstream;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_frozen = false;
    std::atomic<bool> m_stopping = false;
    std::vector<std::pair<int, int>> m_pairs; // the proxy thread's alone
    std::thread m_thread;
};
