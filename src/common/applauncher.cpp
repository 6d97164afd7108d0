#include "common/applauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace Common {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QStringList AppLauncher::launcherArguments(const QStringList& processes,
                                           const QString& application,
                                           const QStringList& arguments)
{
    QStringList list{QStringLiteral("--proc")};
    for (const QString& process : processes)
        list << quoted(process);
    list << QStringLiteral("--app") << application;
    if (!arguments.isEmpty()) {
        list << QStringLiteral("--args");
        for (const QString& argument : arguments)
            list << quoted(argument);
    }
    return list;
}

bool AppLauncher::start(const QStringList& processes, const QString& application,
                        const QStringList& arguments)
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString launcher = dir + QDir::separator() + QLatin1String(AppLauncherFile);
    return QProcess::startDetached(launcher, launcherArguments(processes, application, arguments),
                                   dir);
}

} // namespace Common
