#include "torrent/client/clientconfig.h"

#include <QDebug>
#include <QFileInfo>

namespace Torrent::Client {

bool ClientConfig::open(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        qWarning().nospace() << "Torrent client config file doesn't exist; " << path
                             << "; try to start and then close torrent client manually to create initialconfig";
        return false;
    }
    m_path = path;
    return readFile() && parseParams();
}

bool ClientConfig::write(bool firstRun)
{
    // Fixed settings come after the credentials, so a key in both ends with the fixed value.
    return processFirstRunParams(firstRun) && processConstParams() && writeParams() && writeFile();
}

QString ClientConfig::proxyTypeString() const
{
    switch (m_proxyType) {
    case UndefinedProxy: return QStringLiteral("Undefined proxy type");
    case ProxyDisabled: return QStringLiteral("Proxy disabled");
    case Socks4: return QStringLiteral("Socks4");
    case Socks4a: return QStringLiteral("Socks4a");
    case Socks5: return QStringLiteral("Socks5");
    case Http: return QStringLiteral("HTTP");
    case Https: return QStringLiteral("HTTPS");
    }
    return QStringLiteral("Unknown proxy type");
}

void ClientConfig::setAccount(const QString& login, const QString& password)
{
    m_login = login;
    m_password = password;
}

void ClientConfig::setError(int code, const QString& message)
{
    m_error = code;
    m_errorString = message;
}

} // namespace Torrent::Client
