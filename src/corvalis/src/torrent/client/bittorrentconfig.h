#pragma once

#include "torrent/client/utorrentconfig.h"

namespace Torrent::Client {

// BitTorrent's "settings.dat": the same format, keys and values as uTorrent's.
class BitTorrentConfig : public UTorrentConfig
{
};

} // namespace Torrent::Client
