#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace TestSupport {

// A server program started for a test, ready once its TCP port on 127.0.0.1 accepts,
// and stopped (terminate, then kill) when the object goes.
class ServiceProcess
{
public:
    ServiceProcess() = default;
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts the program and waits, at most `timeoutMs`, until `port` accepts.
    bool start(const QString& program, const QStringList& arguments, quint16 port,
               int timeoutMs = 10000);
    void stop();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }
    QString errorString() const { return m_error; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_error;
};

// Whether 127.0.0.1:port accepts a TCP connection now.
bool portAccepts(quint16 port, int timeoutMs = 200);
// A TCP port on 127.0.0.1 that nothing listens on at the moment of the call.
quint16 freeTcpPort();

} // namespace TestSupport
