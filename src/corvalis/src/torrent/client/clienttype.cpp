#include "torrent/client/clienttype.h"

#include <QDebug>

namespace Torrent::Client {

QString clientNameString(int type)
{
    switch (type) {
    case UndefinedClient: return QStringLiteral("Undefined client");
    case UTorrentClient: return QStringLiteral("uTorrent");
    case BitTorrentClient: return QStringLiteral("BitTorrent");
    case VuzeClient: return QStringLiteral("Vuze");
    }
    qWarning().nospace() << "Warning: There is no string for client type #" << type;
    return QString();
}

ClientType clientTypeByName(const QString& name)
{
    for (const ClientType type : ClientTypeArray) {
        if (name == clientNameString(type))
            return type;
    }
    return UndefinedClient;
}

} // namespace Torrent::Client
