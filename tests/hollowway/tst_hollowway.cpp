// The tunnel library through its C interface only, against a real sshd and SOCKS proxy.
#include "hollowway/hollowway.h"

#include "support/socksclient.h"
#include "support/sshfixture.h"
#include "support/waits.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <system_error>

using TestSupport::SshFixture;

namespace {

struct Event
{
    char kind; // 's' status, 'r' remote-forward started, 'x' remote-forward stopped
    int value;
    bool operator==(const Event& other) const { return kind == other.kind && value == other.value; }
};

QMutex g_mutex;
QList<Event> g_events;
QList<QByteArray> g_logLines;
quint16 g_targetPort = 0;
bool g_dataAtConnect = false;

void record(char kind, int value)
{
    QMutexLocker locker(&g_mutex);
    g_events.append({kind, value});
}

QList<Event> events()
{
    QMutexLocker locker(&g_mutex);
    return g_events;
}

void clearEvents()
{
    QMutexLocker locker(&g_mutex);
    g_events.clear();
    g_dataAtConnect = false;
}

void onStatus(hollowway_status status) { record('s', status); }

void onStarted(unsigned short port)
{
    // The host points its torrent client at the tunnel the moment it hears of it.
    if (port != 0 && g_targetPort != 0) {
        TestSupport::SocksClient client;
        QByteArray answer;
        const bool ok = client.connectThrough(26268, g_targetPort, 5000)
            && client.echo("through the tunnel", &answer, 5000) && answer == "through the tunnel";
        QMutexLocker locker(&g_mutex);
        g_dataAtConnect = ok;
    }
    record('r', port);
}

void onStopped(unsigned short code) { record('x', code); }

void onLog(const char* line)
{
    QMutexLocker locker(&g_mutex);
    g_logLines.append(line);
}

bool hasEvent(const Event& wanted)
{
    return events().contains(wanted);
}

// Every command line of every process on the machine.
QByteArray allCommandLines()
{
    QByteArray all;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly))
            all += cmdline.readAll() + '\n';
    }
    return all;
}

// The argument vectors of the running processes whose program is `program` and whose last
// argument is `last`.
QList<QByteArrayList> commandLinesOf(const QByteArray& program, const QByteArray& last)
{
    QList<QByteArrayList> found;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        QByteArray all = cmdline.readAll();
        if (all.endsWith('\0'))
            all.chop(1);
        const QByteArrayList args = all.split('\0');
        if (args.first() == program && args.last() == last)
            found.append(args);
    }
    return found;
}

} // namespace

class TestHollowway : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void setParamsRejects_data();
    void setParamsRejects();
    void lastErrorAfterSuccess();
    void remoteForwardNeedsCallback();
    void stopWithoutSessionSucceeds();
    void sessionThatCannotStartIsRefused();
    void trafficStats();
    void exportsOnlyCInterface();
    void unreachableServerEndsSession();
    void silentServerEndsSession();
    void connectedForwardCarriesData();
    void secondSessionAfterStop();
    void processesRunBesideTunnel();
    void wrongPasswordNeverConnects();
    void occupiedLocalPortNeverConnects();
    void serverDropEndsSession();
    void vanishedServerEndsSession();

private:
    // Starts a session the way the host does: the first through the local forward, later
    // ones through new parameters.
    bool startSession(const QByteArray& password);
    bool waitConnected();
    bool stopAndWait();

    SshFixture m_fixture;
    bool m_localForwardStarted = false;
};

void TestHollowway::initTestCase()
{
    QVERIFY2(m_fixture.start(), qPrintable(m_fixture.errorString()));
    g_targetPort = m_fixture.targetPort();
    hollowway_set_logger(onLog);
    hollowway_set_status_callback(onStatus);
}

void TestHollowway::cleanupTestCase()
{
    hollowway_stop_remote_forward(onStopped);
    TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 10000);
    hollowway_set_logger(nullptr);
}

void TestHollowway::setParamsRejects_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<bool>("nullHost");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("nullUser");
    QTest::addColumn<bool>("nullPassword");
    QTest::addColumn<QString>("message");

    QTest::newRow("port 0") << QByteArray("127.0.0.1") << false << 0 << false << false
                            << "Bad arguments";
    QTest::newRow("null host") << QByteArray() << true << 22 << false << false << "Bad arguments";
    QTest::newRow("null user") << QByteArray("127.0.0.1") << false << 22 << true << false
                               << "Bad arguments";
    QTest::newRow("null password") << QByteArray("127.0.0.1") << false << 22 << false << true
                                   << "Bad arguments";
    QTest::newRow("empty host") << QByteArray("") << false << 22 << false << false
                                << "Bad parameter values";
    // The host comes from the service's server list and becomes an ssh argument.
    QTest::newRow("option as host") << QByteArray("-oProxyCommand=touch /tmp/hw") << false << 22
                                    << false << false << "Bad parameter values";
    QTest::newRow("blank in host") << QByteArray("a b") << false << 22 << false << false
                                   << "Bad parameter values";
}

void TestHollowway::setParamsRejects()
{
    QFETCH(QByteArray, host);
    QFETCH(bool, nullHost);
    QFETCH(int, port);
    QFETCH(bool, nullUser);
    QFETCH(bool, nullPassword);
    QFETCH(QString, message);

    clearEvents();
    const int result = hollowway_set_params(nullHost ? nullptr : host.constData(),
                                            static_cast<unsigned short>(port), 1,
                                            nullUser ? nullptr : "user",
                                            nullPassword ? nullptr : "secret");
    QCOMPARE(result, 1);
    QCOMPARE(QString::fromUtf8(hollowway_last_error()), message);
    QTest::qWait(200);
    QVERIFY(events().isEmpty());
}

void TestHollowway::lastErrorAfterSuccess()
{
    hollowway_set_params(nullptr, 22, 1, "u", "p");
    QCOMPARE(QString::fromUtf8(hollowway_last_error()), QString("Bad arguments"));
    hollowway_stop_local_forward();
    QCOMPARE(QString::fromUtf8(hollowway_last_error()),
             QString::fromStdString(std::system_category().message(0)));
}

void TestHollowway::remoteForwardNeedsCallback()
{
    hollowway_stop_local_forward();
    QCOMPARE(hollowway_start_remote_forward(nullptr), 1);
    QCOMPARE(QString::fromUtf8(hollowway_last_error()), QString("Bad arguments"));
}

void TestHollowway::stopWithoutSessionSucceeds()
{
    clearEvents();
    QCOMPARE(hollowway_stop_remote_forward(onStopped), 1);
    QTest::qWait(200);
    QVERIFY(events().isEmpty());
}

void TestHollowway::sessionThatCannotStartIsRefused()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer runtime probes memory through a pipe; with no descriptor left it reports
    // every object as inaccessible.
    QSKIP("needs free descriptors under the address sanitizer");
#endif
    QVERIFY(!m_localForwardStarted);
    const QByteArray user = SshFixture::user().toLatin1();
    QCOMPARE(hollowway_set_params("127.0.0.1", m_fixture.sshPort(), 1, user.constData(), "x"), 0);
    clearEvents();

    // With every descriptor in use no pseudo-terminal can be opened.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 256;
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &tight), 0);
    const int spare = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    QList<int> fillers;
    for (int fd = spare; fd >= 0; fd = ::dup(spare))
        fillers << fd;
    unsigned short port = 0;
    const int result = hollowway_start_local_forward(&port);
    const QString error = QString::fromUtf8(hollowway_last_error());
    for (const int fd : fillers)
        ::close(fd);
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &saved), 0);

    QCOMPARE(result, 1);
    QCOMPARE(error, QString("Failed to open port"));
    QCOMPARE(port, (unsigned short)0);
    QTest::qWait(300);
    QVERIFY(events().isEmpty());
}

void TestHollowway::trafficStats()
{
    unsigned long long in = 7, out = 7;
    hollowway_traffic_stats(nullptr, &out);
    QCOMPARE(out, 0ull);
    hollowway_disable_traffic_stats();
    hollowway_reset_traffic_stats();
    hollowway_traffic_stats(&in, &out);
    QCOMPARE(in, 0ull);
    QCOMPARE(out, 0ull);
    hollowway_enable_traffic_stats();
}

void TestHollowway::exportsOnlyCInterface()
{
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", CORVALIS_BIN_DIR "/libhollowway.so.1"});
    QVERIFY(nm.waitForFinished(15000));
    QCOMPARE(nm.exitCode(), 0);
    QStringList symbols;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 3)
            symbols.append(QString::fromLatin1(fields.at(2)));
    }
    symbols.sort();
    QCOMPARE(symbols, (QStringList{"hollowway_disable_traffic_stats",
                                   "hollowway_enable_traffic_stats", "hollowway_last_error",
                                   "hollowway_reset_traffic_stats", "hollowway_set_logger",
                                   "hollowway_set_params", "hollowway_set_status_callback",
                                   "hollowway_start_local_forward",
                                   "hollowway_start_remote_forward",
                                   "hollowway_stop_local_forward",
                                   "hollowway_stop_remote_forward", "hollowway_traffic_stats"}));
}

void TestHollowway::unreachableServerEndsSession()
{
    clearEvents();
    hollowway_stop_remote_forward(onStopped);
    clearEvents();
    const quint16 closedPort = TestSupport::freeTcpPort();
    QVERIFY(hollowway_set_params("127.0.0.1", closedPort, 1, "nobody", "secret") == 0);
    unsigned short port = 0;
    QCOMPARE(hollowway_start_local_forward(&port), 0);
    QCOMPARE(port, (unsigned short)26268);
    m_localForwardStarted = true;
    QCOMPARE(hollowway_start_remote_forward(onStarted), 0);
    QVERIFY(TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 20000));
    QCOMPARE(events(), (QList<Event>{{'r', 0}, {'x', 0}}));
}

void TestHollowway::silentServerEndsSession()
{
    // Takes the connection and never says a word: only the connect time-out ends the wait.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    // No session runs: this only registers the stop callback.
    QCOMPARE(hollowway_stop_remote_forward(onStopped), 1);
    clearEvents();
    QVERIFY(hollowway_set_params("127.0.0.1", silent.serverPort(), 1, "nobody", "secret") == 0);
    if (!m_localForwardStarted) {
        unsigned short port = 0;
        QCOMPARE(hollowway_start_local_forward(&port), 0);
        m_localForwardStarted = true;
    }
    QCOMPARE(hollowway_start_remote_forward(onStarted), 0);
    QVERIFY(TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 45000));
    QCOMPARE(events(), (QList<Event>{{'r', 0}, {'x', 0}}));
}

bool TestHollowway::startSession(const QByteArray& password)
{
    const QByteArray user = SshFixture::user().toLatin1();
    if (hollowway_set_params("127.0.0.1", m_fixture.sshPort(), 1, user.constData(),
                             password.constData())
        != 0) {
        qWarning() << "set_params:" << hollowway_last_error();
        return false;
    }
    if (!m_localForwardStarted) {
        unsigned short port = 0;
        if (hollowway_start_local_forward(&port) != 0 || port != 26268) {
            qWarning() << "start_local_forward:" << hollowway_last_error() << port;
            return false;
        }
        m_localForwardStarted = true;
    }
    return hollowway_start_remote_forward(onStarted) == 0;
}

bool TestHollowway::waitConnected()
{
    return TestSupport::waitUntil([] { return hasEvent({'r', 45679}) || hasEvent({'r', 0}); },
                                  30000)
        && hasEvent({'r', 45679});
}

bool TestHollowway::stopAndWait()
{
    clearEvents();
    if (hollowway_stop_remote_forward(onStopped) != 1)
        return false;
    return TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 15000);
}

void TestHollowway::connectedForwardCarriesData()
{
    clearEvents();
    const QByteArray password = SshFixture::password().toLatin1();
    QVERIFY(startSession(password));
    QVERIFY2(waitConnected(), qPrintable(QString::fromLocal8Bit(m_fixture.sshdLog())));
    {
        const QList<Event> seen = events();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen.at(0), (Event{'s', HOLLOWWAY_STATUS_CONNECTED}));
        QCOMPARE(seen.at(1), (Event{'r', 45679}));
    }
    QVERIFY(g_dataAtConnect);

    // Registering again while connected answers at once, on this thread.
    clearEvents();
    QCOMPARE(hollowway_start_remote_forward(onStarted), 0);
    QCOMPARE(events(), (QList<Event>{{'r', 45679}}));

    // One client per port: no second session while this one runs.
    const QByteArray user = SshFixture::user().toLatin1();
    QCOMPARE(hollowway_set_params("127.0.0.1", m_fixture.sshPort(), 1, user.constData(),
                                  password.constData()),
             1);
    QCOMPARE(QString::fromUtf8(hollowway_last_error()), QString("Tunnel already started"));

    QVERIFY(!allCommandLines().contains(password));
    QVERIFY(!m_fixture.sshdLog().contains(password));
    const QByteArrayList expected{"/usr/bin/ssh", "-o", "UserKnownHostsFile=/dev/null", "-o",
                                  "StrictHostKeyChecking=no", "-o", "ExitOnForwardFailure=yes",
                                  "-o", "ServerAliveInterval=10", "-o", "ServerAliveCountMax=3",
                                  "-o", "ConnectTimeout=15", "-t", "-N", "-L",
                                  "26268:127.0.0.1:1080", "-l", SshFixture::user().toLatin1(),
                                  "127.0.0.1", "-p", QByteArray::number(m_fixture.sshPort())};
    QCOMPARE(commandLinesOf("/usr/bin/ssh", expected.last()), QList<QByteArrayList>{expected});
    {
        QMutexLocker locker(&g_mutex);
        QVERIFY(!g_logLines.isEmpty());
        for (const QByteArray& line : std::as_const(g_logLines))
            QVERIFY2(!line.contains(password), line.constData());
    }

    QVERIFY(stopAndWait());
    const QList<Event> seen = events();
    QCOMPARE(seen, (QList<Event>{{'s', HOLLOWWAY_STATUS_DISCONNECTED}, {'r', 0}, {'x', 0}}));
}

void TestHollowway::secondSessionAfterStop()
{
    const int descriptorsBefore = QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size();
    clearEvents();
    QVERIFY(startSession(SshFixture::password().toLatin1()));
    QVERIFY(waitConnected());
    QCOMPARE(events().first(), (Event{'s', HOLLOWWAY_STATUS_CONNECTED}));
    QVERIFY(g_dataAtConnect);
    QVERIFY(stopAndWait());
    // Terminal, process and wake-up descriptors go with their session.
    QCOMPARE(QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(), descriptorsBefore);
}

void TestHollowway::processesRunBesideTunnel()
{
    clearEvents();
    QVERIFY(startSession(SshFixture::password().toLatin1()));
    QVERIFY(waitConnected());
    for (int i = 0; i < 3; ++i) {
        QProcess ps;
        ps.start("/bin/ps", {"-A"});
        QVERIFY(ps.waitForFinished(10000));
        QCOMPARE(ps.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ps.exitCode(), 0);
        QVERIFY(ps.readAllStandardOutput().contains("ssh"));
    }
    // The tunnel is untouched by the other children coming and going.
    QVERIFY(!hasEvent({'r', 0}));
    TestSupport::SocksClient client;
    QByteArray answer;
    QVERIFY2(client.connectThrough(26268, m_fixture.targetPort(), 5000), qPrintable(client.errorString()));
    QVERIFY(client.echo("still there", &answer, 5000));
    QCOMPARE(answer, QByteArray("still there"));
    QVERIFY(stopAndWait());
    QCOMPARE(events().first(), (Event{'s', HOLLOWWAY_STATUS_DISCONNECTED}));
}

void TestHollowway::wrongPasswordNeverConnects()
{
    clearEvents();
    QVERIFY(startSession("not-the-password"));
    QVERIFY(TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 60000));
    const QList<Event> seen = events();
    QCOMPARE(seen, (QList<Event>{{'r', 0}, {'x', 0}}));
}

void TestHollowway::occupiedLocalPortNeverConnects()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::LocalHost, 26268));
    clearEvents();
    QVERIFY(startSession(SshFixture::password().toLatin1()));
    QVERIFY(TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 60000));
    const QList<Event> seen = events();
    QCOMPARE(seen, (QList<Event>{{'r', 0}, {'x', 0}}));
}

void TestHollowway::serverDropEndsSession()
{
    clearEvents();
    QVERIFY(startSession(SshFixture::password().toLatin1()));
    QVERIFY(waitConnected());
    clearEvents();
    QVERIFY(m_fixture.dropConnections() > 0);
    QVERIFY(TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 45000));
    const QList<Event> seen = events();
    QCOMPARE(seen, (QList<Event>{{'s', HOLLOWWAY_STATUS_DISCONNECTED}, {'r', 0}, {'x', 0}}));
}

void TestHollowway::vanishedServerEndsSession()
{
    clearEvents();
    QVERIFY(startSession(SshFixture::password().toLatin1()));
    QVERIFY(waitConnected());
    clearEvents();
    // Nothing is closed: only the keep-alives can tell that the server is gone.
    QVERIFY(m_fixture.freezeConnections() > 0);
    const bool ended = TestSupport::waitUntil([] { return hasEvent({'x', 0}); }, 60000);
    m_fixture.dropConnections();
    QVERIFY(ended);
    QCOMPARE(events(), (QList<Event>{{'s', HOLLOWWAY_STATUS_DISCONNECTED}, {'r', 0}, {'x', 0}}));
}

QTEST_GUILESS_MAIN(TestHollowway)
#include "tst_hollowway.moc"
