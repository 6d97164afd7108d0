#include "core/global.h"

#include "common/platform.h"
#include "util/fs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

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
    // Someone else may have slipped in a folder of their own between the removal and the
    // creation: only a folder of ours, closed to others, is used.
    const auto ours = [](const QString& folder) {
        const QFileInfo info(folder);
        return info.isDir() && !info.isSymLink() && info.ownerId() == ::geteuid()
               && QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    return ours(path) && ours(appTempRepoPath());
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
