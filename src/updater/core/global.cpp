#include "core/global.h"

#include "common/platform.h"
#include "util/fs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace Core {

QString Global::statusFileName()
{
    return QStringLiteral("status") + QLatin1String(Platform::statusFileSuffix)
        + QStringLiteral(".conf");
}

QString Global::qvRootDir()
{
    return QStringLiteral("qv");
}

QString Global::appTempDirPath()
{
    const QString temp = QDir::tempPath();
    if (temp.isEmpty())
        return QString();
    return temp + QStringLiteral("/Corvalis");
}

QString Global::appTempRepoPath()
{
    const QString base = appTempDirPath();
    return base.isEmpty() ? QString() : base + QStringLiteral("/__repo__");
}

QString Global::statusFilePath()
{
    const QString base = appTempDirPath();
    return base.isEmpty() ? QString() : base + QLatin1Char('/') + statusFileName();
}

bool Global::prepareTempStorage()
{
    const QString path = appTempDirPath();
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    // The temporary folder is shared: a link planted at this name is removed as a link,
    // never followed into whatever it points at.
    if (info.isSymLink() || (info.exists() && !info.isDir())) {
        if (!QFile::remove(path))
            return false;
    } else if (info.exists() && !Util::Fs::rmrf(path)) {
        return false;
    }
    QDir().mkpath(path);
    QDir().mkpath(appTempRepoPath());
    const QFileInfo dir(path);
    const QFileInfo repo(appTempRepoPath());
    return dir.isDir() && !dir.isSymLink() && repo.isDir() && !repo.isSymLink();
}

bool Global::runClientApp(const QStringList& args)
{
    const QString dir = QCoreApplication::applicationDirPath();
    return QProcess::startDetached(dir + QLatin1Char('/') + QLatin1String(ClientAppFile), args, dir);
}

bool Global::runClientAppWoUpdate()
{
    return runClientApp({QStringLiteral("-wu")});
}

} // namespace Core
