#include "torrent/client/clientcreator.h"

#include "torrent/client/bittorrentconfig.h"
#include "torrent/client/bittorrenthelper.h"
#include "torrent/client/clienttype.h"
#include "torrent/client/utorrentconfig.h"
#include "torrent/client/utorrenthelper.h"
#include "torrent/client/vuzeconfig.h"
#include "torrent/client/vuzehelper.h"

namespace Torrent::Client {

std::unique_ptr<ClientHelper> ClientCreator::createClientHelper(int type, const QString& appConfigDirPath)
{
    switch (type) {
    case UTorrentClient: return std::make_unique<UTorrentHelper>(appConfigDirPath);
    case BitTorrentClient: return std::make_unique<BitTorrentHelper>(appConfigDirPath);
    case VuzeClient: return std::make_unique<VuzeHelper>(appConfigDirPath);
    }
    return nullptr;
}

std::unique_ptr<ClientConfig> ClientCreator::createClientConfig(int type)
{
    switch (type) {
    case UTorrentClient: return std::make_unique<UTorrentConfig>();
    case BitTorrentClient: return std::make_unique<BitTorrentConfig>();
    case VuzeClient: return std::make_unique<VuzeConfig>();
    }
    return nullptr;
}

} // namespace Torrent::Client
