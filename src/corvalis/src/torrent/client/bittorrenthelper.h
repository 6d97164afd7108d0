#pragma once

#include "torrent/client/ubittorrenthelperbase.h"

namespace Torrent::Client {

class BitTorrentHelper : public UBitTorrentHelperBase
{
public:
    explicit BitTorrentHelper(const QString& appConfigDirPath)
        : UBitTorrentHelperBase(appConfigDirPath, QStringLiteral("BitTorrent"))
    {
    }
};

} // namespace Torrent::Client
