#pragma once

#include <QObject>
#include <QString>

#include <atomic>

class QFile;

namespace Network {

// One queued FTP command as the worker runs it. An Open command covers both the connect
// (id) and the login (loginId), since they happen on one connection attempt.
struct FtpCommand
{
    enum Kind { Open, Cd, Get, Close };

    Kind kind = Open;
    int id = 0;
    int loginId = 0;
    QString host;
    int port = 21;
    QString user;
    QString password;
    QString path;           // Cd: the folder; Get: the remote file name
    QFile* file = nullptr;  // Get: the open local file, owned by the getter
};

// Runs FtpGetter's commands on its own thread with one libcurl handle, whose connection
// cache keeps the control connection open between commands.
class FtpGetterWorker : public QObject
{
    Q_OBJECT

public:
    FtpGetterWorker();
    ~FtpGetterWorker() override;

    // Thread-safe: makes a running command give up as soon as libcurl calls back.
    void abort() { m_abort = true; }

public slots:
    void run(const Network::FtpCommand& command);
    // Ends the session (QUIT) on the worker's thread before it stops.
    void shutdown();

signals:
    void commandStarted(int id);
    void commandFinished(int id, bool failed, const QString& errorText);
    void progressChanged(qint64 done, qint64 total);

private:
    bool perform(const QString& path, bool directory, QFile* file, QString* errorText);
    void runOpen(const FtpCommand& command);
    void runCd(const FtpCommand& command);
    void runGet(const FtpCommand& command);
    void runClose(const FtpCommand& command);
    QByteArray urlFor(const QString& path, bool directory) const;
    QString resolve(const QString& folder) const;

    static size_t headerCallback(char* data, size_t size, size_t count, void* self);
    static size_t writeCallback(char* data, size_t size, size_t count, void* self);
    static int progressCallback(void* self, long long dlTotal, long long dlNow, long long,
                                long long);

    void* m_curl = nullptr;
    std::atomic<bool> m_abort{false};
    long m_responseTimeoutS = 0; // a server reply's time limit, set by the constructor
    bool m_loggedIn = false;
    QString m_host;
    int m_port = 21;
    QString m_user;
    QString m_password;
    QString m_remoteDir;

    // State of the command that is running.
    QString m_lastReply;
    int m_greetingId = 0;   // connect id waiting for the server's greeting
    int m_pendingLoginId = 0;
    QFile* m_file = nullptr;
    QString m_writeError;
    qint64 m_lastEmitMs = 0;
    long long m_lastDone = -1;
};

} // namespace Network

Q_DECLARE_METATYPE(Network::FtpCommand)
