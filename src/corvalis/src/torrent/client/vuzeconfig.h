#pragma once

#include "torrent/client/bencodeconfig.h"

#include <QList>
#include <QPair>

namespace Torrent::Client {

// Vuze's "azureus.config".
class VuzeConfig : public BencodeConfig
{
public:
    static const QByteArray TcpListenPortKey;
    static const QByteArray UdpListenPortKey;
    static const QByteArray UdpNonDataListenPortKey;
    static const QByteArray ProxyVersionKey;
    static const QByteArray ProxyAddressKey;
    static const QByteArray ProxyPortKey;
    static const QByteArray DownloadPathKey;
    // The stored SOCKS versions and the proxy types they stand for.
    static const QList<QPair<QByteArray, int>> ProxyValues;
    // The privacy settings every write imposes, in order; an invalid value removes the key.
    static const QList<QPair<QByteArray, QVariant>> SetupFields;

protected:
    bool processConstParams() override;
    bool processFirstRunParams(bool firstRun) override;
    bool parseListenPort() override;
    bool parseProxyType() override;
    bool parseProxyAddress() override;
    bool parseProxyPort() override;
    bool parseDownloadPath() override;
    bool writeListenPort() override;
    bool writeProxyType() override;
    bool writeProxyAddress() override;
    bool writeProxyPort() override;
    bool writeDownloadPath() override;
};

} // namespace Torrent::Client
