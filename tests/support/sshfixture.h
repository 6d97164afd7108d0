#pragma once

#include "support/echoserver.h"
#include "support/serviceprocess.h"

#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

// The loopback services a tunnel needs: sshd with password login for the dedicated test
// user (created by scripts/prepare-test-host.sh), microsocks on the fixed 127.0.0.1:1080
// that the tunnel forwards to, and an echo target. Tests using it take the CTest
// resource lock "tunnelports", since 1080 and the tunnel's 26268 are fixed.
class SshFixture
{
public:
    static constexpr quint16 socksPort = 1080;

    SshFixture() = default;
    ~SshFixture();
    SshFixture(const SshFixture&) = delete;
    SshFixture& operator=(const SshFixture&) = delete;

    // Starts all three and waits until each accepts; false with errorString() otherwise.
    bool start();
    void stop();

    static QString user();
    static QString password();
    quint16 sshPort() const { return m_sshPort; }
    quint16 targetPort() const { return m_echo.port(); }
    qint64 sshdPid() const { return m_sshd.pid(); }
    QString errorString() const { return m_error; }
    // What sshd has logged so far.
    QByteArray sshdLog();

    // Kills every per-connection process of sshd, as a server that drops its clients.
    // Returns how many processes were killed.
    int dropConnections();
    // Stops (SIGSTOP) every per-connection process of sshd, as a server that vanishes
    // without closing anything; dropConnections() or stop() clears them away.
    int freezeConnections();

private:
    bool writeConfig();
    int signalConnections(int signalNumber);

    QTemporaryDir m_dir;
    ServiceProcess m_sshd;
    ServiceProcess m_socks;
    EchoServer m_echo;
    quint16 m_sshPort = 0;
    QByteArray m_log;
    QString m_error;
};

} // namespace TestSupport
