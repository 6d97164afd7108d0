#pragma once

#include "torrent/client/clienttype.h"

#include <QList>
#include <QPair>
#include <QString>

namespace Torrent::Client {

// The external clients whose bundle and settings file both exist.
class ClientProber
{
public:
    // A client type with its bundle path.
    using InstalledClient = QPair<ClientType, QString>;

    explicit ClientProber(const QString& appConfigDirPath) : m_appConfigDirPath(appConfigDirPath) {}

    QList<InstalledClient> installedClients() const;

private:
    QString m_appConfigDirPath;
};

} // namespace Torrent::Client
