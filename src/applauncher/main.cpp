// Waits for the named processes to end, then starts an application detached. The main
// program uses it to restart itself once it has quit.

#include "launchrequest.h"
#include "processtable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <cstdio>

namespace {

constexpr int waitLimitMs = 60000;
constexpr int pollIntervalMs = 200;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString program = QFileInfo(arguments.value(0)).fileName();

    LaunchRequest request;
    if (!request.parse(arguments)) {
        std::fprintf(stderr, "%s: %s\n%s", qPrintable(program), qPrintable(request.errorString()),
                     qPrintable(LaunchRequest::usage(program)));
        return 2;
    }

    // Past the limit the application is started anyway: a process that never ends must
    // not keep the user's program from coming back.
    const qint64 self = QCoreApplication::applicationPid();
    QDeadlineTimer deadline(waitLimitMs);
    while (ProcessTable::anyRunning(request.processes(), self) && !deadline.hasExpired())
        QThread::msleep(pollIntervalMs);

    if (!QProcess::startDetached(request.application(), request.applicationArguments())) {
        std::fprintf(stderr, "%s: unable to start %s\n", qPrintable(program),
                     qPrintable(request.application()));
        return 1;
    }
    return 0;
}
