#pragma once

#include "hollowway/hollowway.h"

#include <QHostInfo>
#include <QMap>
#include <QObject>
#include <QString>

// The main program's only gateway to the tunnel library: keeps the parameters of the next
// start, resolves the server's host, drives the library's C interface and turns its
// callbacks, which come on the library's session thread, into signals on this object's
// (the GUI) thread.
class HollowwayAdapter : public QObject
{
    Q_OBJECT

public:
    enum Status { Disconnected = 0, Connecting = 1, Connected = 2, Reserved = 3 };
    Q_ENUM(Status)

    static HollowwayAdapter* instance();
    static void freeInstance();
    ~HollowwayAdapter() override;

    void init() {}
    bool setParams(const QString& host, int sshPort, int maxSessions, const QString& login,
                   const QString& password);
    // Returns before the tunnel is up; the outcome comes as signals.
    void start();
    bool stop(bool emitStopped);

    QString errorString() const { return m_errorString; }
    bool isStarted() const { return m_started; }
    int proxyPort() const { return m_proxyPort; }
    int listenPort() const { return m_listenPort; }
    Status status() const { return m_status; }

    void requestStatistics(unsigned long long* incoming, unsigned long long* outgoing);
    void startStatisticsGathering();
    void stopStatisticsGathering();
    void resetStatistics();

signals:
    void started(int proxyPort, int listenPort);
    void stopped();
    void errorOccurred();
    void statusChanged(HollowwayAdapter::Status status);

private slots:
    void sshServerAddressLookedUp(const QHostInfo& host);

private:
    HollowwayAdapter();

    void continueStarting(const QString& address);
    void fail(const QString& text);
    void onStatus(hollowway_status status);
    void onStart(unsigned short port);
    void onStop();

    static void status_callback(hollowway_status status);
    static void start_callback(unsigned short port);
    static void stop_callback(unsigned short code);
    // Runs `call` on the adapter's thread: at once when already there, else queued. Does
    // nothing once the adapter is gone, so a late callback never creates a new one.
    template <typename Call>
    static void deliver(Call call);

    Status m_status = Disconnected;
    QString m_host;
    int m_sshPort = 0;
    int m_maxSessions = 0;
    QString m_login;
    QString m_password;
    QMap<hollowway_status, Status> m_statusMap;
    bool m_started = false;
    QString m_errorString;
    int m_proxyPort = 26268;
    int m_listenPort = 0;
    bool m_localForwardStarted = false;
    bool m_emitStoppedOnCallback = false;
};

Q_DECLARE_METATYPE(HollowwayAdapter::Status)
