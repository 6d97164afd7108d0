#pragma once

#include "torrent/client/clienthelper.h"

namespace Torrent::Client {

// uTorrent and BitTorrent: the same bundle layout and settings file, told apart by the
// constants their subclasses give.
class UBitTorrentHelperBase : public ClientHelper
{
protected:
    // `clientName` is also the settings folder name and the bundle's executable name.
    UBitTorrentHelperBase(const QString& appConfigDirPath, const QString& clientName);

    bool populateData() override;

    const QString m_settingsFileName;
    const QString m_settingsFolderName;
    const QString m_constClientName;
    const QString m_applicationsFolder;
    const QString m_bundlePath;
    const QString m_executablePath;
};

} // namespace Torrent::Client
