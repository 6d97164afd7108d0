#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// A blocking SOCKS5 client (no authentication) for tests and benchmarks, on plain sockets
// so that it works without an event loop.
class SocksClient
{
public:
    SocksClient() = default;
    ~SocksClient();
    SocksClient(const SocksClient&) = delete;
    SocksClient& operator=(const SocksClient&) = delete;

    // Connects to the proxy on 127.0.0.1:proxyPort and asks it for 127.0.0.1:targetPort.
    bool connectThrough(quint16 proxyPort, quint16 targetPort, int timeoutMs);
    // Sends `data` and reads as many bytes back; for an echo target.
    bool echo(const QByteArray& data, QByteArray* answer, int timeoutMs);
    void close();
    int descriptor() const { return m_fd; }
    QString errorString() const { return m_error; }

private:
    bool sendAll(const char* data, qsizetype size, int timeoutMs);
    bool readExactly(char* data, qsizetype size, int timeoutMs);

    int m_fd = -1;
    QString m_error;
};

} // namespace TestSupport
