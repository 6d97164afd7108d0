#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace TestSupport {

// A TCP echo server on 127.0.0.1 with threads of its own, so that a test may block on a
// socket while the server answers. Stopped on destruction.
class EchoServer
{
public:
    EchoServer() = default;
    ~EchoServer();
    EchoServer(const EchoServer&) = delete;
    EchoServer& operator=(const EchoServer&) = delete;

    // Listens on a free port; false when no socket could be set up.
    bool start();
    void stop();
    std::uint16_t port() const { return m_port; }

private:
    void acceptLoop();
    static void serve(int fd, int stopFd);

    int m_listener = -1;
    int m_stopPipe[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_connections;
};

} // namespace TestSupport
