#pragma once

#include <QList>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QUrl>

#include <memory>

class QSettings;

namespace Core {

// The account, the service addresses and the tunnel servers, kept in user.conf.
// The authorisation key and the subscriptions of the last login live in memory only.
class UserSettings
{
public:
    struct Server
    {
        QMap<QLocale::Language, QString> names; // QLocale::C holds the neutral name
        QUrl address;
        int port = -1;
        int proxyPort = 1080;
        int maxSessions = 5;
    };

    struct Service
    {
        QUrl updateServer;
        QUrl verifyServer;
    };

    struct Account
    {
        QString login;      // SSH login
        QString password;   // SSH password
        QString qvLogin;    // account name at the service
        QString qvPassword; // MD5 digest of the account password
        QString authKey;    // never stored in the file
    };

    struct Subscription
    {
        int type = 0;
        int status = 0;
        QString creationDate;
        QString nextPaymentDate;
        QString cancellationDate;
    };

    static UserSettings* instance();
    static void freeInstance();

    UserSettings();
    ~UserSettings();
    UserSettings(const UserSettings&) = delete;
    UserSettings& operator=(const UserSettings&) = delete;

    bool open(const QString& path);
    bool read();
    bool write();

    QString errorString() const { return m_errorString; }
    bool errorOccurred() const { return !m_errorString.isEmpty(); }

    QList<Server> serverList() const { return m_servers; }
    void setServerList(const QList<Server>& servers) { m_servers = servers; }
    Service service() const { return m_service; }
    void setService(const Service& service) { m_service = service; }
    Account account() const { return m_account; }
    void setAccount(const Account& account) { m_account = account; }
    void setAuthKey(const QString& key) { m_account.authKey = key; }

    // The list owns its records: records no longer in the list are deleted.
    const QList<Subscription*>& subscriptions() const { return m_subscriptions; }
    void setSubscriptions(const QList<Subscription*>& subscriptions);

private:
    bool readServers();
    bool readServer(int index, Server* server);
    bool readService();
    void readAccount();
    bool writeServers();
    bool writeService();
    void writeAccount();
    void clearSubscriptions();

    std::unique_ptr<QSettings> m_settings;
    QString m_errorString;
    QList<Server> m_servers;
    Service m_service;
    Account m_account;
    QList<Subscription*> m_subscriptions;

    static UserSettings* s_instance;
};

} // namespace Core
