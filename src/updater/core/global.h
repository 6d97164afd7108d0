#pragma once

#include <QString>
#include <QStringList>

namespace Core {

// The updater's names and folders, and the restart of the client next to it.
class Global
{
public:
    static constexpr char ClientAppFile[] = "qvclient";

    static QString statusFileName();
    // The folder of the update account that holds the status file.
    static QString qvRootDir();
    static QString appTempDirPath();
    static QString appTempRepoPath();
    static QString statusFilePath();
    // Empties and re-creates the temporary folder and its repository folder.
    static bool prepareTempStorage();
    static bool runClientApp(const QStringList& args);
    // Starts the client with "-wu", so it does not look for an update again.
    static bool runClientAppWoUpdate();
};

} // namespace Core
