#include "support/serviceprocess.h"

#include "support/waits.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace TestSupport {

ServiceProcess::~ServiceProcess()
{
    stop();
}

bool ServiceProcess::start(const QString& program, const QStringList& arguments, quint16 port,
                           int timeoutMs)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = program + ": " + m_process.errorString();
        return false;
    }
    const bool ready = waitUntil([&] {
        return m_process.state() == QProcess::NotRunning || portAccepts(port);
    }, timeoutMs);
    if (!ready || m_process.state() == QProcess::NotRunning) {
        m_error = QStringLiteral("%1 did not accept on port %2: %3")
                      .arg(program).arg(port).arg(QString::fromLocal8Bit(m_process.readAll()));
        stop();
        return false;
    }
    return true;
}

void ServiceProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool portAccepts(quint16 port, int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(timeoutMs);
}

quint16 freeTcpPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    return server.serverPort();
}

} // namespace TestSupport
