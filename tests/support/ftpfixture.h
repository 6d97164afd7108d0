#pragma once

#include "support/serviceprocess.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

// vsftpd on 127.0.0.1 serving a temporary folder as the login folder of the update
// account ("qvd"). The local system user is created when missing (tests run as root) and
// authenticated through a PAM service of the fixture's own, so no login shell is needed.
class FtpFixture
{
public:
    static constexpr char user[] = "qvd";
    static constexpr char password[] = "qa58wk2rn71tz6xe";

    FtpFixture();
    FtpFixture(const FtpFixture&) = delete;
    FtpFixture& operator=(const FtpFixture&) = delete;

    // Starts the server and waits (bounded) until it accepts; maxRate limits the transfer
    // speed in bytes per second (0: unlimited); denyLogins makes every login fail as a
    // wrong password does.
    bool start(quint16 port, qint64 maxRate = 0, bool denyLogins = false);
    // Stops the server and waits (bounded) until its port is free again, since a session
    // process of the old server may hold the listening socket for a moment.
    void stop();
    quint16 port() const { return m_port; }

    // The folder served as the account's login folder.
    QString root() const { return m_dir.path() + QStringLiteral("/root"); }
    // Writes a file below root(), creating its folders readable for the account.
    bool addFile(const QString& relativePath, const QByteArray& content);
    bool addFolder(const QString& relativePath);
    QString errorString() const { return m_error; }
    // How many control connections the server has accepted so far.
    int connectionCount() const;

private:
    QString logPath() const { return m_dir.path() + QStringLiteral("/vsftpd.log"); }
    bool ensureAccount();
    bool ensurePamService(const QString& name, const QByteArray& content);
    bool runAsRoot(const QString& program, const QStringList& arguments,
                   const QByteArray& input = QByteArray());

    QTemporaryDir m_dir;
    ServiceProcess m_server;
    quint16 m_port = 0;
    QString m_error;
};

} // namespace TestSupport
