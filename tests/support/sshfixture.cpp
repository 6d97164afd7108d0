#include "support/sshfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <pwd.h>
#include <sys/prctl.h>

namespace TestSupport {

namespace {

// Direct and indirect children of `root`, from /proc.
QList<qint64> descendants(qint64 root)
{
    QMap<qint64, qint64> parents;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // The command name may hold blanks; the fields after its closing bracket do not.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parents.insert(pid, fields.at(1).toLongLong());
    }
    QList<qint64> found;
    QList<qint64> pending{root};
    while (!pending.isEmpty()) {
        const qint64 parent = pending.takeFirst();
        for (auto it = parents.cbegin(); it != parents.cend(); ++it) {
            if (it.value() == parent && !found.contains(it.key())) {
                found.append(it.key());
                pending.append(it.key());
            }
        }
    }
    return found;
}

// A test that dies must not leave its servers holding the fixed ports for the next one.
void dieWithParent(ServiceProcess& service)
{
    service.process().setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

} // namespace

SshFixture::~SshFixture()
{
    stop();
}

QString SshFixture::user()
{
    return QStringLiteral("corvalis-tunnel");
}

QString SshFixture::password()
{
    return QStringLiteral("Hw-tunnel-test-7319");
}

bool SshFixture::writeConfig()
{
    const QString dir = m_dir.path();
    QProcess keygen;
    keygen.start("/usr/bin/ssh-keygen",
                 {"-q", "-t", "ed25519", "-N", "", "-f", dir + "/host_key"});
    if (!keygen.waitForFinished(15000) || keygen.exitCode() != 0) {
        m_error = "ssh-keygen failed: " + QString::fromLocal8Bit(keygen.readAllStandardError());
        return false;
    }
    QFile config(dir + "/sshd_config");
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = "cannot write " + config.fileName();
        return false;
    }
    const QString text = QStringLiteral(
        "Port %1\n"
        "ListenAddress 127.0.0.1\n"
        "HostKey %2/host_key\n"
        "PidFile %2/sshd.pid\n"
        "AllowUsers %3\n"
        "PasswordAuthentication yes\n"
        "KbdInteractiveAuthentication no\n"
        "PubkeyAuthentication no\n"
        "AuthorizedKeysFile none\n"
        // Password checked against the shadow file; needs no PAM service set-up.
        "UsePAM no\n"
        "PermitRootLogin no\n"
        "AllowTcpForwarding yes\n"
        "PermitTTY yes\n"
        "StrictModes no\n"
        "UseDNS no\n"
        "MaxStartups 50\n"
        "MaxAuthTries 6\n"
        "LogLevel VERBOSE\n")
        .arg(m_sshPort).arg(dir, user());
    config.write(text.toUtf8());
    return config.flush();
}

bool SshFixture::start()
{
    m_error.clear();
    if (!getpwnam(user().toLocal8Bit().constData())) {
        m_error = "test user " + user() + " missing: run scripts/prepare-test-host.sh as root";
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = "no temporary folder";
        return false;
    }
    if (!QDir("/run/sshd").exists()) {
        m_error = "/run/sshd missing: run scripts/prepare-test-host.sh as root";
        return false;
    }
    m_sshPort = freeTcpPort();
    if (m_sshPort == 0 || !writeConfig())
        return false;
    dieWithParent(m_sshd);
    dieWithParent(m_socks);
    if (!m_sshd.start("/usr/sbin/sshd", {"-D", "-e", "-f", m_dir.path() + "/sshd_config"},
                      m_sshPort)) {
        m_error = m_sshd.errorString();
        return false;
    }
    if (!m_socks.start("/usr/bin/microsocks", {"-i", "127.0.0.1", "-p", QString::number(socksPort)},
                       socksPort)) {
        m_error = m_socks.errorString();
        stop();
        return false;
    }
    if (!m_echo.start()) {
        m_error = "echo server failed";
        stop();
        return false;
    }
    return true;
}

void SshFixture::stop()
{
    if (m_sshd.isRunning())
        dropConnections();
    m_echo.stop();
    m_socks.stop();
    m_sshd.stop();
}

QByteArray SshFixture::sshdLog()
{
    if (m_sshd.isRunning())
        m_log += m_sshd.process().readAll();
    return m_log;
}

int SshFixture::dropConnections()
{
    return signalConnections(SIGKILL);
}

int SshFixture::freezeConnections()
{
    return signalConnections(SIGSTOP);
}

int SshFixture::signalConnections(int signalNumber)
{
    const qint64 root = m_sshd.pid();
    if (root <= 0)
        return 0;
    const QList<qint64> children = descendants(root);
    for (const qint64 pid : children)
        ::kill(pid_t(pid), signalNumber);
    return int(children.size());
}

} // namespace TestSupport
