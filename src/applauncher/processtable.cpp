#include "processtable.h"

#include <QDir>
#include <QFile>

namespace {

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(64 * 1024);
}

} // namespace

QSet<QString> ProcessTable::runningNames(qint64 exceptPid)
{
    QSet<QString> names;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid == exceptPid)
            continue;
        const QString base = QStringLiteral("/proc/") + entry;
        QByteArray commandLine = readSmallFile(base + QStringLiteral("/cmdline"));
        while (commandLine.endsWith('\0'))
            commandLine.chop(1);
        if (!commandLine.isEmpty()) {
            commandLine.replace('\0', ' ');
            names.insert(QString::fromLocal8Bit(commandLine).trimmed());
        } else {
            // Kernel threads and ended (zombie) processes have no command line.
            const QByteArray comm = readSmallFile(base + QStringLiteral("/comm")).trimmed();
            if (!comm.isEmpty())
                names.insert(QLatin1Char('[') + QString::fromLocal8Bit(comm) + QLatin1Char(']'));
        }
    }
    return names;
}

bool ProcessTable::anyRunning(const QStringList& names, qint64 exceptPid)
{
    if (names.isEmpty())
        return false;
    const QSet<QString> running = runningNames(exceptPid);
    for (const QString& name : names) {
        if (running.contains(name))
            return true;
    }
    return false;
}
