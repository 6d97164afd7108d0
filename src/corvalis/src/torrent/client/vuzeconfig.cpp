#include "torrent/client/vuzeconfig.h"

namespace Torrent::Client {

namespace {

const QByteArray ProxyUserKey("Proxy.Username");
const QByteArray ProxyPasswordKey("Proxy.Password");

} // namespace

const QByteArray VuzeConfig::TcpListenPortKey("TCP.Listen.Port");
const QByteArray VuzeConfig::UdpListenPortKey("UDP.Listen.Port");
const QByteArray VuzeConfig::UdpNonDataListenPortKey("UDP.NonData.Listen.Port");
const QByteArray VuzeConfig::ProxyVersionKey("Proxy.Data.SOCKS.version");
const QByteArray VuzeConfig::ProxyAddressKey("Proxy.Host");
const QByteArray VuzeConfig::ProxyPortKey("Proxy.Port");
const QByteArray VuzeConfig::DownloadPathKey("Default save path");

const QList<QPair<QByteArray, int>> VuzeConfig::ProxyValues = {
    {"V4", Socks4},
    {"V4a", Socks4a},
    {"V5", Socks5},
};

const QList<QPair<QByteArray, QVariant>> VuzeConfig::SetupFields = {
    {"User Mode", qlonglong(2)},
    {"Enable.Proxy", qlonglong(1)},
    {"Enable.SOCKS", qlonglong(1)},
    {"Proxy.Data.Enable", qlonglong(1)},
    {"Proxy.Data.SOCKS.inform", qlonglong(1)},
    {"Proxy.Data.Same", qlonglong(1)},
    {"Start On Login", QVariant()},
    {"Peer Source Selection Default.DHT", qlonglong(1)},
    {"Peer Source Selection Default.Plugin", qlonglong(0)},
    {"Peer Source Selection Default.PeerExchange", qlonglong(1)},
    {"Sharing Permit DHT", qlonglong(0)},
    {"Server Enable UDP", qlonglong(1)},
    {"Plugin.DHT.dht.enabled", qlonglong(0)},
    {"Tracker Port UDP Enable", qlonglong(1)},
    {"peercontrol.prefer.udp", qlonglong(0)},
    {"network.transport.encrypted.require", qlonglong(1)},
    {"network.transport.encrypted.min_level", QByteArray("Plain")},
    {"network.transport.encrypted.fallback.incoming", qlonglong(1)},
    {"network.transport.encrypted.fallback.outgoing", qlonglong(0)},
};

bool VuzeConfig::processConstParams()
{
    applyFields(SetupFields);
    return true;
}

bool VuzeConfig::processFirstRunParams(bool /*firstRun*/)
{
    if (hasCredentials()) {
        values().insert(ProxyUserKey, login().toUtf8());
        values().insert(ProxyPasswordKey, password().toUtf8());
    } else {
        values().remove(ProxyUserKey);
        values().remove(ProxyPasswordKey);
    }
    return true;
}

bool VuzeConfig::parseListenPort()
{
    const QVariant value = values().value(TcpListenPortKey);
    if (!value.isValid()) {
        m_listenPort = -1;
        setError(4, QStringLiteral("\"TCP listen port\" value is null"));
        return false;
    }
    if (!isInteger(value)) {
        m_listenPort = -1;
        setError(4, QStringLiteral("Failed converting \"TCP listen port\" value from variant to int"));
        return false;
    }
    m_listenPort = int(value.toLongLong());
    return true;
}

bool VuzeConfig::parseProxyType()
{
    const QVariant value = values().value(ProxyVersionKey);
    if (!value.isValid()) {
        m_proxyType = ProxyDisabled;
        return true;
    }
    const QByteArray stored = value.toByteArray();
    for (const auto& known : ProxyValues) {
        if (value.typeId() == QMetaType::QByteArray && stored == known.first) {
            m_proxyType = known.second;
            return true;
        }
    }
    m_proxyType = UndefinedProxy;
    setError(4, QStringLiteral("Unknown proxy type ") + QString::fromLatin1(stored));
    return false;
}

bool VuzeConfig::parseProxyAddress()
{
    m_proxyAddress = values().value(ProxyAddressKey).toByteArray();
    return true;
}

bool VuzeConfig::parseProxyPort()
{
    const QVariant value = values().value(ProxyPortKey);
    if (!value.isValid()) {
        m_proxyPort = -1;
        return true;
    }
    // The file may hold the number as text or as an integer.
    bool ok = false;
    int port = -1;
    if (isInteger(value)) {
        port = int(value.toLongLong());
        ok = true;
    } else if (value.typeId() == QMetaType::QByteArray) {
        port = value.toByteArray().trimmed().toInt(&ok);
    }
    if (!ok) {
        m_proxyPort = -1;
        setError(4, QStringLiteral("Failed converting \"proxy port\" value from variant to int"));
        return false;
    }
    m_proxyPort = port;
    return true;
}

bool VuzeConfig::parseDownloadPath()
{
    const QVariant value = values().value(DownloadPathKey);
    m_downloadPath = value.typeId() == QMetaType::QByteArray ? QString::fromLatin1(value.toByteArray())
                                                              : QString();
    return true;
}

bool VuzeConfig::writeListenPort()
{
    // The UDP ports always follow the TCP port.
    for (const QByteArray& key : {TcpListenPortKey, UdpListenPortKey, UdpNonDataListenPortKey}) {
        if (m_listenPort < 0)
            values().remove(key);
        else
            values().insert(key, qlonglong(m_listenPort));
    }
    return true;
}

bool VuzeConfig::writeProxyType()
{
    for (const auto& known : ProxyValues) {
        if (known.second == m_proxyType) {
            values().insert(ProxyVersionKey, known.first);
            return true;
        }
    }
    setError(3, QStringLiteral("Error setting proxy type: unknown type value %1").arg(m_proxyType));
    return false;
}

bool VuzeConfig::writeProxyAddress()
{
    values().insert(ProxyAddressKey, m_proxyAddress);
    return true;
}

bool VuzeConfig::writeProxyPort()
{
    if (m_proxyPort < 0)
        values().remove(ProxyPortKey);
    else
        values().insert(ProxyPortKey, QByteArray::number(m_proxyPort));
    return true;
}

bool VuzeConfig::writeDownloadPath()
{
    if (m_downloadPath.isEmpty())
        values().remove(DownloadPathKey);
    else
        values().insert(DownloadPathKey, m_downloadPath.toLatin1());
    return true;
}

} // namespace Torrent::Client
