#include "support/socksclient.h"

#include <QDeadlineTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TestSupport {

SocksClient::~SocksClient()
{
    close();
}

void SocksClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool SocksClient::connectThrough(quint16 proxyPort, quint16 targetPort, int timeoutMs)
{
    close();
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in proxy{};
    proxy.sin_family = AF_INET;
    proxy.sin_port = htons(proxyPort);
    proxy.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (m_fd < 0 || ::connect(m_fd, reinterpret_cast<sockaddr*>(&proxy), sizeof proxy) != 0) {
        m_error = QStringLiteral("connect to proxy: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        close();
        return false;
    }
    fcntl(m_fd, F_SETFL, O_NONBLOCK);
    const char greeting[] = {5, 1, 0};
    char choice[2];
    if (!sendAll(greeting, sizeof greeting, timeoutMs) || !readExactly(choice, 2, timeoutMs)
        || choice[0] != 5 || choice[1] != 0) {
        m_error = QStringLiteral("SOCKS5 greeting failed: ") + m_error;
        close();
        return false;
    }
    const char request[] = {5, 1, 0, 1, 127, 0, 0, 1, char(targetPort >> 8), char(targetPort & 0xff)};
    char reply[10];
    if (!sendAll(request, sizeof request, timeoutMs) || !readExactly(reply, 10, timeoutMs)
        || reply[1] != 0) {
        m_error = QStringLiteral("SOCKS5 CONNECT refused: ") + m_error;
        close();
        return false;
    }
    return true;
}

bool SocksClient::echo(const QByteArray& data, QByteArray* answer, int timeoutMs)
{
    if (!sendAll(data.constData(), data.size(), timeoutMs))
        return false;
    answer->resize(data.size());
    return readExactly(answer->data(), data.size(), timeoutMs);
}

bool SocksClient::sendAll(const char* data, qsizetype size, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (size > 0) {
        const ssize_t n = send(m_fd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            m_error = QString::fromLocal8Bit(strerror(errno));
            return false;
        }
        pollfd out{m_fd, POLLOUT, 0};
        if (deadline.hasExpired() || poll(&out, 1, int(deadline.remainingTime())) == 0) {
            m_error = QStringLiteral("send timed out");
            return false;
        }
    }
    return true;
}

bool SocksClient::readExactly(char* data, qsizetype size, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (size > 0) {
        const ssize_t n = recv(m_fd, data, static_cast<size_t>(size), 0);
        if (n > 0) {
            data += n;
            size -= n;
            continue;
        }
        if (n == 0) {
            m_error = QStringLiteral("connection closed");
            return false;
        }
        if (errno != EAGAIN && errno != EINTR) {
            m_error = QString::fromLocal8Bit(strerror(errno));
            return false;
        }
        pollfd in{m_fd, POLLIN, 0};
        if (deadline.hasExpired() || poll(&in, 1, int(deadline.remainingTime())) == 0) {
            m_error = QStringLiteral("read timed out");
            return false;
        }
    }
    return true;
}

} // namespace TestSupport
