#pragma once

#include <QList>
#include <QString>

namespace Torrent::Client {

// The external clients. 0 means none (pages that offer a choice use it for the built-in one).
enum ClientType : int { UndefinedClient = 0, UTorrentClient = 1, BitTorrentClient = 2, VuzeClient = 3 };

// Every loop over the external clients goes through this list, in this order.
inline const QList<ClientType> ClientTypeArray = {UTorrentClient, BitTorrentClient, VuzeClient};

// Which settings file of a client is in place.
enum ConfigType : int { UndefinedConfig = 0, UserConfig = 1, PrivacyConfig = 2 };

QString clientNameString(int type);
// Exact, case-sensitive; anything unknown gives UndefinedClient.
ClientType clientTypeByName(const QString& name);

} // namespace Torrent::Client
