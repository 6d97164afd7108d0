#pragma once

#include <QString>
#include <QUrl>

namespace Core {

inline const QString UserSettingsFileName = QStringLiteral("user.conf");
inline const QString AppSettingsFileName = QStringLiteral("app.conf");
inline const QString TorrentSettingsFileName = QStringLiteral("clients.conf");

// Names, folders, addresses and version of the main program.
class Global
{
public:
    QString appName() const;
    // The folder of the three settings files: next to the executable when all three are
    // there, otherwise the per-user folder. Empty on failure.
    QString appConfigDirPath() const;
    QString appOldConfigDirPath() const;
    QString appVersionString() const;
    QString faqUrl() const;
    QString supportPageUrl() const;
    QUrl supportDataUrl() const;
    QString backupDirPath() const;
    QString appLogFileName() const;
    QString libLogFileName() const;

    static constexpr int versionMajor = 3;
    static constexpr int versionMinor = 1;
    static constexpr int versionPatch = 0;
};

} // namespace Core
