#pragma once

#include <QByteArray>
#include <QString>

namespace Torrent::Client {

// The settings of an external client that are read and changed, the error state, and the
// fixed order of reading and writing. The file format lives in the subclasses.
class ClientConfig
{
public:
    enum ProxyType : int {
        UndefinedProxy = 0,
        ProxyDisabled = 1,
        Socks4 = 2,
        Socks4a = 3,
        Socks5 = 4,
        Http = 5,
        Https = 6,
    };

    ClientConfig() = default;
    virtual ~ClientConfig() = default;
    ClientConfig(const ClientConfig&) = delete;
    ClientConfig& operator=(const ClientConfig&) = delete;

    // Reads and interprets the file; true when every setting could be interpreted.
    virtual bool open(const QString& path);
    // Applies the account credentials, the fixed privacy settings and the fields, then
    // writes the working copy back to the file given to open().
    virtual bool write(bool firstRun);

    virtual int listenPort() const { return m_listenPort; }
    virtual void setListenPort(int port) { m_listenPort = port; }
    virtual int proxyType() const { return m_proxyType; }
    virtual QString proxyTypeString() const;
    virtual void setProxyType(int type) { m_proxyType = type; }
    virtual QByteArray proxyAddress() const { return m_proxyAddress; }
    virtual void setProxyAddress(const QByteArray& address) { m_proxyAddress = address; }
    virtual int proxyPort() const { return m_proxyPort; }
    virtual void setProxyPort(int port) { m_proxyPort = port; }
    virtual QString downloadPath() const { return m_downloadPath; }
    virtual void setDownloadPath(const QString& path) { m_downloadPath = path; }
    virtual bool autoStart() const { return m_autoStart; }
    virtual void setAutoStart(bool on) { m_autoStart = on; }
    virtual int error() const { return m_error; }
    virtual QString errorString() const { return m_errorString; }

    // The service account whose credentials the proxy uses; the owner fills it from the
    // user settings before write(). Never logged.
    void setAccount(const QString& login, const QString& password);
    QString path() const { return m_path; }

protected:
    virtual bool readFile() = 0;
    virtual bool parseParams() = 0;
    virtual bool writeParams() = 0;
    virtual bool writeFile() = 0;
    virtual bool processConstParams() = 0;
    virtual bool processFirstRunParams(bool firstRun) = 0;

    void setError(int code, const QString& message);
    bool hasCredentials() const { return !m_login.isEmpty() && !m_password.isEmpty(); }
    QString login() const { return m_login; }
    QString password() const { return m_password; }

    int m_error = 0;
    QString m_errorString;
    QString m_path;
    int m_listenPort = -1;
    int m_proxyType = UndefinedProxy;
    QByteArray m_proxyAddress;
    int m_proxyPort = -1;
    QString m_downloadPath;
    bool m_autoStart = false;

private:
    QString m_login;
    QString m_password;
};

} // namespace Torrent::Client
