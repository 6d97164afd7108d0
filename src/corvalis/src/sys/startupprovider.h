#pragma once

#include <QString>

namespace Sys {

// Registers the application to start (hidden) when the user logs in.
class StartupProvider
{
public:
    StartupProvider(const QString& appName, const QString& appPath);

    bool isAppRegistered(bool* ok = nullptr) const;
    bool registerApp();
    // Removes every entry for the application path.
    bool removeApp();

private:
    QString m_appName;
    QString m_appPath;
};

} // namespace Sys
