#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The names of the running processes as the process list shows them: the command line with
// its arguments joined by spaces, or the bracketed command name when there is none.
class ProcessTable
{
public:
    static QSet<QString> runningNames(qint64 exceptPid);
    static bool anyRunning(const QStringList& names, qint64 exceptPid);
};
