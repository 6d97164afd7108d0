#include "support/echoserver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TestSupport {

EchoServer::~EchoServer()
{
    stop();
}

bool EchoServer::start()
{
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || listen(m_listener, 16) != 0
        || getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || pipe2(m_stopPipe, O_CLOEXEC) != 0) {
        close(m_listener);
        m_listener = -1;
        return false;
    }
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread(&EchoServer::acceptLoop, this);
    return true;
}

void EchoServer::stop()
{
    if (m_listener < 0)
        return;
    // Closing the write end wakes every thread that polls the read end.
    close(m_stopPipe[1]);
    m_stopPipe[1] = -1;
    if (m_acceptor.joinable())
        m_acceptor.join();
    for (std::thread& connection : m_connections)
        connection.join();
    m_connections.clear();
    close(m_stopPipe[0]);
    close(m_listener);
    m_stopPipe[0] = -1;
    m_listener = -1;
}

void EchoServer::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{m_listener, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        if (fds[0].revents & POLLIN) {
            const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                m_connections.emplace_back(&EchoServer::serve, fd, m_stopPipe[0]);
        }
    }
}

void EchoServer::serve(int fd, int stopFd)
{
    char buffer[65536];
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        ssize_t sent = 0;
        while (sent < n) {
            // Waits for room together with the stop request, so that stop() never hangs
            // on a peer that stopped reading.
            pollfd room[2] = {{fd, POLLOUT, 0}, {stopFd, POLLIN, 0}};
            if (poll(room, 2, -1) < 0 && errno != EINTR)
                break;
            if (room[1].revents) {
                close(fd);
                return;
            }
            const ssize_t m = send(fd, buffer + sent, static_cast<size_t>(n - sent),
                                   MSG_NOSIGNAL | MSG_DONTWAIT);
            if (m < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (m <= 0) {
                close(fd);
                return;
            }
            sent += m;
        }
    }
    close(fd);
}

} // namespace TestSupport
