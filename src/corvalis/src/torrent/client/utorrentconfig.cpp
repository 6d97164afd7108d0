#include "torrent/client/utorrentconfig.h"

namespace Torrent::Client {

namespace {

// The client's own default, which it keeps when the key is absent.
constexpr int DefaultProxyPort = 8080;

const QByteArray ProxyAuthKey("proxy.auth");
const QByteArray ProxyUserKey("proxy.username");
const QByteArray ProxyPasswordKey("proxy.password");
const QByteArray ProxyResolveKey("proxy.resolve");

} // namespace

const QByteArray UTorrentConfig::ListenPortKey("bind_port");
const QByteArray UTorrentConfig::ProxyTypeKey("proxy.type");
const QByteArray UTorrentConfig::ProxyAddressKey("proxy.proxy");
const QByteArray UTorrentConfig::ProxyPortKey("proxy.port");
const QByteArray UTorrentConfig::DownloadPathKey("dir_active_download");
const QByteArray UTorrentConfig::DownloadFlagKey("dir_active_download_flag");

const QList<QPair<QByteArray, QVariant>> UTorrentConfig::SetupFields = {
    {"proxy.p2p", qlonglong(1)},
    {"proxy.resolve", qlonglong(1)},
    {"no_local_dns", qlonglong(1)},
    {"private_ip", qlonglong(1)},
    {"only_proxied_conns", qlonglong(1)},
    {"rand_port_on_start", QVariant()},
    {"bt.transp_disposition", qlonglong(21)},
    {"autostart", QVariant()},
    {"dht", qlonglong(1)},
    {"dht_per_torrent", qlonglong(0)},
    {"lsd", qlonglong(1)},
    {"pex", qlonglong(1)},
    {"use_udp_trackers", qlonglong(1)},
    {"encryption_mode", qlonglong(2)},
    {"net.max_halfopen", qlonglong(10)},
};

bool UTorrentConfig::processConstParams()
{
    applyFields(SetupFields);
    return true;
}

bool UTorrentConfig::processFirstRunParams(bool /*firstRun*/)
{
    // Runs on every write, so a changed account reaches the file too.
    if (hasCredentials()) {
        values().insert(ProxyAuthKey, qlonglong(1));
        values().insert(ProxyUserKey, login().toUtf8());
        values().insert(ProxyPasswordKey, password().toUtf8());
        values().insert(ProxyResolveKey, qlonglong(1));
    } else {
        values().remove(ProxyAuthKey);
        values().remove(ProxyUserKey);
        values().remove(ProxyPasswordKey);
        values().remove(ProxyResolveKey);
    }
    return true;
}

bool UTorrentConfig::parseListenPort()
{
    const QVariant value = values().value(ListenPortKey);
    if (!value.isValid()) {
        m_listenPort = -1;
        setError(4, QStringLiteral("\"Bind port\" value is null; try to restart uTorrent/BitTorrent"));
        return false;
    }
    if (!isInteger(value)) {
        m_listenPort = -1;
        setError(4, QStringLiteral("Failed converting \"bind port\" value from variant to int"));
        return false;
    }
    m_listenPort = int(value.toLongLong());
    return true;
}

bool UTorrentConfig::parseProxyType()
{
    const QVariant value = values().value(ProxyTypeKey);
    if (!value.isValid()) {
        m_proxyType = ProxyDisabled;
        return true;
    }
    if (!isInteger(value)) {
        m_proxyType = UndefinedProxy;
        setError(4, QStringLiteral("Failed converting \"proxy type\" value from variant to int"));
        return false;
    }
    const qlonglong stored = value.toLongLong();
    switch (stored) {
    case 1: m_proxyType = Socks4; return true;
    case 2: m_proxyType = Socks5; return true;
    case 3: m_proxyType = Https; return true;
    case 4: m_proxyType = Http; return true;
    default: break;
    }
    m_proxyType = UndefinedProxy;
    setError(4, QStringLiteral("Proxy type number %1 is not supported").arg(stored));
    return false;
}

bool UTorrentConfig::parseProxyAddress()
{
    m_proxyAddress = values().value(ProxyAddressKey).toByteArray();
    return true;
}

bool UTorrentConfig::parseProxyPort()
{
    const QVariant value = values().value(ProxyPortKey);
    if (!value.isValid()) {
        m_proxyPort = DefaultProxyPort;
        return true;
    }
    if (!isInteger(value)) {
        m_proxyPort = -1;
        setError(4, QStringLiteral("Failed converting \"proxy port\" value from variant to int"));
        return false;
    }
    m_proxyPort = int(value.toLongLong());
    return true;
}

bool UTorrentConfig::parseDownloadPath()
{
    m_downloadPath.clear();
    const QVariant flag = values().value(DownloadFlagKey);
    if (!flag.isValid())
        return true;
    if (!isInteger(flag)) {
        setError(4, QStringLiteral("Failed converting \"download flag\" value from variant to int"));
        return false;
    }
    const QVariant path = values().value(DownloadPathKey);
    // One character per byte, so the bytes of the path survive a read and a write.
    if (flag.toLongLong() == 1 && path.typeId() == QMetaType::QByteArray)
        m_downloadPath = QString::fromLatin1(path.toByteArray());
    return true;
}

bool UTorrentConfig::writeListenPort()
{
    if (m_listenPort < 0)
        values().remove(ListenPortKey);
    else
        values().insert(ListenPortKey, qlonglong(m_listenPort));
    return true;
}

bool UTorrentConfig::writeProxyType()
{
    qlonglong stored = 0;
    switch (m_proxyType) {
    case UndefinedProxy:
    case ProxyDisabled:
        values().remove(ProxyTypeKey);
        return true;
    case Socks4: stored = 1; break;
    case Socks5: stored = 2; break;
    case Http: stored = 4; break;
    case Https: stored = 3; break;
    default:
        setError(3, QStringLiteral("Error setting proxy type: unknown type value %1").arg(m_proxyType));
        return false;
    }
    values().insert(ProxyTypeKey, stored);
    return true;
}

bool UTorrentConfig::writeProxyAddress()
{
    values().insert(ProxyAddressKey, m_proxyAddress);
    return true;
}

bool UTorrentConfig::writeProxyPort()
{
    if (m_proxyPort < 0 || m_proxyPort == DefaultProxyPort)
        values().remove(ProxyPortKey);
    else
        values().insert(ProxyPortKey, qlonglong(m_proxyPort));
    return true;
}

bool UTorrentConfig::writeDownloadPath()
{
    if (m_downloadPath.isEmpty()) {
        values().remove(DownloadFlagKey);
        values().remove(DownloadPathKey);
    } else {
        values().insert(DownloadFlagKey, qlonglong(1));
        values().insert(DownloadPathKey, m_downloadPath.toLatin1());
    }
    return true;
}

} // namespace Torrent::Client
