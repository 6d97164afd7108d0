#include "core/global.h"

#include "common/commonglobal.h"
#include "sys/pathprober.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace Core {

namespace {

const QString applicationName = QStringLiteral("Corvalis");
const QString configFolderName = QStringLiteral("Corvalis");
const QString backupFolderName = QStringLiteral("__backup__");

bool holdsAllSettingsFiles(const QString& dir)
{
    for (const QString& name : {UserSettingsFileName, AppSettingsFileName, TorrentSettingsFileName}) {
        if (!QFileInfo::exists(dir + QDir::separator() + name))
            return false;
    }
    return true;
}

} // namespace

QString Global::appName() const
{
    return applicationName;
}

QString Global::appConfigDirPath() const
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!QFileInfo(exeDir).isDir() && !QDir().mkpath(exeDir)) {
        qWarning("Unable to create application config directory");
        return QString();
    }
    if (holdsAllSettingsFiles(exeDir))
        return exeDir;
    return appOldConfigDirPath();
}

QString Global::appOldConfigDirPath() const
{
    bool ok = false;
    const QString dataPath = Sys::PathProber().appDataPath(&ok);
    if (!ok) {
        qWarning("Unable to retrieve app data path");
        return QString();
    }
    return dataPath + QDir::separator() + configFolderName;
}

QString Global::appVersionString() const
{
    return QStringLiteral("%1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionPatch);
}

QString Global::faqUrl() const
{
    return CommonGlobal::webBaseUrl() + QStringLiteral("/index.php?rqst=%1&mod=v2_user_faq");
}

QString Global::supportPageUrl() const
{
    return CommonGlobal::webBaseUrl() + QStringLiteral("/index.php?rqst=%1&mod=v2_support");
}

QUrl Global::supportDataUrl() const
{
    return QUrl(CommonGlobal::webBaseUrl() + QStringLiteral("/api/index.php?mod=support"));
}

QString Global::backupDirPath() const
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + backupFolderName;
}

QString Global::appLogFileName() const
{
    return QStringLiteral("applog.txt");
}

QString Global::libLogFileName() const
{
    return QStringLiteral("liblog.txt");
}

} // namespace Core
