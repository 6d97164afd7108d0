#include "sys/processprober.h"

#include "common/platform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/types.h>

namespace Sys {

namespace {

constexpr int ListingTimeoutMs = 10000;
constexpr int PollIntervalMs = 20;

} // namespace

QString ProcessProber::listingCommandText()
{
    return QString::fromLatin1(Platform::processListProgram) + QLatin1Char(' ')
        + Platform::processListArguments().join(QLatin1Char(' '));
}

bool ProcessProber::refreshProcessList()
{
    m_processes.clear();
    QProcess ps;
    ps.setProcessChannelMode(QProcess::SeparateChannels);
    // A width inherited from a terminal would cut the command texts short, and a cut name
    // no longer matches the client it belongs to.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("COLUMNS"));
    ps.setProcessEnvironment(environment);
    ps.start(QString::fromLatin1(Platform::processListProgram), Platform::processListArguments(),
             QIODevice::ReadOnly);
    if (!ps.waitForStarted(ListingTimeoutMs)) {
        setError(1, QStringLiteral("Unable to start the process list command: ") + ps.errorString());
        return false;
    }
    if (!ps.waitForFinished(ListingTimeoutMs)) {
        ps.kill();
        ps.waitForFinished(ListingTimeoutMs);
        setError(3, QStringLiteral("The process list command did not finish"));
        return false;
    }
    return parseListing(ps.readAllStandardOutput());
}

bool ProcessProber::parseListing(const QByteArray& output)
{
    m_processes.clear();
    QStringList lines;
    bool header = true;
    for (const QByteArray& raw : output.split('\n')) {
        if (header) {
            header = false;
            continue;
        }
        const QString line = QString::fromLocal8Bit(raw);
        if (!line.trimmed().isEmpty())
            lines << line;
    }
    if (lines.size() < 2) {
        QString rest;
        for (const QString& line : lines)
            rest += line + QLatin1Char('\n');
        setError(3, QStringLiteral("Empty process list: ") + rest.trimmed());
        return false;
    }
    // The tty column never looks like a time, so the first time-like column is the right
    // one even when a command line holds one of its own. A day count may precede the time.
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("\\s*(\\d+)\\s+.*?\\s+(?:\\d+-)?\\d+:\\d+.\\d+\\s+(.*)\\s*")));
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = pattern.match(line);
        bool idOk = false;
        const int pid = match.hasMatch() ? match.captured(1).toInt(&idOk) : -1;
        if (!idOk) {
            setError(3, QStringLiteral("Failed to parse process line: ") + line);
            return false;
        }
        m_processes.insert(pid, match.captured(2).trimmed());
    }
    const int own = pidByName(listingCommandText());
    if (own >= 0)
        m_processes.remove(own);
    return true;
}

bool ProcessProber::terminateByPid(int pid)
{
    // 0 and negative ids would signal whole process groups, or every process.
    if (pid <= 0) {
        setError(5, QStringLiteral("Invalid process id %1").arg(pid));
        return false;
    }
    if (::kill(pid, SIGINT) != 0) {
        setError(5, QStringLiteral("Unable to send the interrupt signal to process %1: %2")
                        .arg(pid)
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (isRunning(pid)) {
        if (timer.elapsed() >= m_terminateWaitMs) {
            setError(6, QStringLiteral("Process %1 did not end within %2 ms of the interrupt signal")
                            .arg(pid)
                            .arg(m_terminateWaitMs));
            return false;
        }
        QThread::msleep(PollIntervalMs);
    }
    return true;
}

bool ProcessProber::isRunning(int pid)
{
    if (::kill(pid, 0) != 0)
        return errno == EPERM;
    // An ended child of ours stays a zombie until its parent reaps it; it counts as ended.
    // Where the process file system is missing, the signal test alone decides.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray content = stat.readAll();
    const qsizetype close = content.lastIndexOf(')');
    if (close < 0 || close + 2 >= content.size())
        return true;
    const char state = content.at(close + 2);
    return state != 'Z' && state != 'X';
}

} // namespace Sys
