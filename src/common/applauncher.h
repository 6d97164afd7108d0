#pragma once

#include <QString>
#include <QStringList>

namespace Common {

// Starts the launcher program next to the running executable, which waits for the named
// processes to end and then starts the application; the caller quits right after.
class AppLauncher
{
public:
    static constexpr char AppLauncherFile[] = "applauncher";

    // The launcher's command line: --proc "name"... --app path [--args "arg"...].
    static QStringList launcherArguments(const QStringList& processes, const QString& application,
                                         const QStringList& arguments);
    static bool start(const QStringList& processes, const QString& application,
                      const QStringList& arguments);
};

} // namespace Common
