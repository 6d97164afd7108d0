#include "support/ftpfixture.h"

#include "support/waits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace TestSupport {

namespace {

constexpr char pamService[] = "corvalis-test-ftp";
constexpr char pamDenyService[] = "corvalis-test-ftp-deny";
constexpr QFile::Permissions readableDir = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions readableFile = QFile::ReadOwner | QFile::WriteOwner
    | QFile::ReadGroup | QFile::ReadOther;

} // namespace

FtpFixture::FtpFixture()
{
    if (m_dir.isValid()) {
        QFile::setPermissions(m_dir.path(), readableDir);
        QDir().mkpath(root());
        QFile::setPermissions(root(), readableDir);
    }
}

bool FtpFixture::runAsRoot(const QString& program, const QStringList& arguments,
                           const QByteArray& input)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) {
        m_error = program + ": " + process.errorString();
        return false;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        m_error = program + " failed: " + QString::fromLocal8Bit(process.readAll());
        return false;
    }
    return true;
}

bool FtpFixture::ensurePamService(const QString& name, const QByteArray& content)
{
    const QString pamFile = QStringLiteral("/etc/pam.d/") + name;
    if (QFileInfo::exists(pamFile))
        return true;
    QFile file(pamFile + QStringLiteral(".new%1").arg(QCoreApplication::applicationPid()));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) < 0) {
        m_error = "Unable to write the PAM service: " + file.errorString();
        return false;
    }
    file.close();
    QFile::rename(file.fileName(), pamFile); // whoever comes first wins; same content
    QFile::remove(file.fileName());
    return true;
}

bool FtpFixture::ensureAccount()
{
    if (!ensurePamService(QLatin1String(pamService),
                          "auth required pam_unix.so\naccount required pam_unix.so\n"
                          "session optional pam_permit.so\n")
        || !ensurePamService(QLatin1String(pamDenyService),
                             "auth required pam_deny.so\naccount required pam_deny.so\n"
                             "session optional pam_permit.so\n"))
        return false;
    // Several fixtures may run at once; useradd and chpasswd lock the account files, so a
    // collision is retried.
    for (int attempt = 0; attempt < 10; ++attempt) {
        QProcess id;
        id.start(QStringLiteral("id"), {QLatin1String(user)});
        id.waitForFinished(5000);
        const bool exists = id.exitStatus() == QProcess::NormalExit && id.exitCode() == 0;
        const bool ok = (exists
                         || runAsRoot(QStringLiteral("useradd"),
                                      {QStringLiteral("--system"), QStringLiteral("-M"),
                                       QStringLiteral("-d"), QStringLiteral("/"),
                                       QStringLiteral("-s"), QStringLiteral("/usr/sbin/nologin"),
                                       QLatin1String(user)}))
            && runAsRoot(QStringLiteral("chpasswd"), {},
                         QByteArray(user) + ':' + QByteArray(password) + '\n');
        if (ok)
            return true;
        QThread::msleep(300);
    }
    return false;
}

bool FtpFixture::start(quint16 port, qint64 maxRate, bool denyLogins)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("No temporary folder");
        return false;
    }
    if (!ensureAccount())
        return false;
    const QString vsftpd = QStandardPaths::findExecutable(QStringLiteral("vsftpd"),
                                                          {QStringLiteral("/usr/sbin")});
    if (vsftpd.isEmpty()) {
        m_error = QStringLiteral("vsftpd is not installed");
        return false;
    }
    const QString empty = m_dir.path() + QStringLiteral("/empty");
    QDir().mkpath(empty);
    QFile::setPermissions(empty, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                     | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    QString config = QStringLiteral(
        "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
        "background=NO\nanonymous_enable=NO\nlocal_enable=YES\nwrite_enable=NO\n"
        "local_root=%2\npam_service_name=%3\nuserlist_enable=NO\nsecure_chroot_dir=%4\n"
        "seccomp_sandbox=NO\nxferlog_enable=YES\nxferlog_std_format=NO\nvsftpd_log_file=%5\n"
        "dirmessage_enable=NO\ndelay_failed_login=0\n"
        "pasv_enable=YES\npasv_address=127.0.0.1\nmax_per_ip=0\nmax_clients=0\n")
                         .arg(port).arg(root(), QLatin1String(denyLogins ? pamDenyService : pamService), empty,
                              logPath());
    if (maxRate > 0)
        config += QStringLiteral("local_max_rate=%1\n").arg(maxRate);
    const QString configPath = m_dir.path() + QStringLiteral("/vsftpd.conf");
    QFile file(configPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        m_error = "Unable to write the server configuration: " + file.errorString();
        return false;
    }
    file.close();
    if (!waitUntil([port] { return !portAccepts(port); }, 10000)) {
        m_error = QStringLiteral("Port %1 is taken").arg(port);
        return false;
    }
    m_port = port;
    if (!m_server.start(vsftpd, {configPath}, port, 10000)) {
        m_error = m_server.errorString();
        return false;
    }
    return true;
}

void FtpFixture::stop()
{
    m_server.stop();
    if (m_port)
        waitUntil([this] { return !portAccepts(m_port); }, 10000);
}

int FtpFixture::connectionCount() const
{
    QFile log(logPath());
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return log.readAll().count("CONNECT: Client");
}

bool FtpFixture::addFolder(const QString& relativePath)
{
    QString path = root();
    for (const QString& part : relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        if (!QDir().mkpath(path) || !QFile::setPermissions(path, readableDir))
            return false;
    }
    return true;
}

bool FtpFixture::addFile(const QString& relativePath, const QByteArray& content)
{
    const QString folder = QFileInfo(relativePath).path();
    if (folder != QLatin1String(".") && !addFolder(folder))
        return false;
    QFile file(root() + QLatin1Char('/') + relativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        return false;
    file.close();
    return QFile::setPermissions(file.fileName(), readableFile);
}

} // namespace TestSupport
