#include "torrent/client/clientprober.h"

#include "torrent/client/clientcreator.h"

namespace Torrent::Client {

QList<ClientProber::InstalledClient> ClientProber::installedClients() const
{
    QList<InstalledClient> clients;
    for (const ClientType type : ClientTypeArray) {
        const std::unique_ptr<ClientHelper> helper = ClientCreator::createClientHelper(type, m_appConfigDirPath);
        // init() may supply uTorrent's initial settings file; its own failure only means
        // that the client does not count as installed.
        if (!helper->init())
            continue;
        if (helper->isAppInstalled())
            clients.append({type, helper->appFilePath()});
    }
    return clients;
}

} // namespace Torrent::Client
