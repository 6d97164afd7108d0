#pragma once

#include "torrent/client/ubittorrenthelperbase.h"

namespace Torrent::Client {

// uTorrent, whose initial settings file ships with this application, so that a uTorrent
// that has never run can still be set up.
class UTorrentHelper : public UBitTorrentHelperBase
{
public:
    // An empty `initialConfigFilePath` means the file inside this application's own
    // bundle: <bundle>/Contents/SharedSupport/utorrentconfig/settings.dat.
    explicit UTorrentHelper(const QString& appConfigDirPath, const QString& initialConfigFilePath = QString());

    QString initialConfigFilePath() const { return m_initialConfigFilePath; }

protected:
    bool checkConfigFile() override;

private:
    QString m_initialConfigFilePath;
};

} // namespace Torrent::Client
