// The tunnel adapter against the real library, sshd and SOCKS proxy.
#include "mvpcore/hollowwayadapter.h"

#include "support/serviceprocess.h"
#include "support/sshfixture.h"
#include "support/waits.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using TestSupport::SshFixture;

namespace {

QMutex g_logMutex;
QStringList g_logLines;
QtMessageHandler g_previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    {
        QMutexLocker locker(&g_logMutex);
        g_logLines.append(message);
    }
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void captureLibLine(const char* line)
{
    QMutexLocker locker(&g_logMutex);
    g_logLines.append(QString::fromLocal8Bit(line));
}

QByteArray allCommandLines()
{
    QByteArray all;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly))
            all += cmdline.readAll() + '\n';
    }
    return all;
}

// Every signal of the adapter in arrival order, with the thread it arrived on.
class SignalLog : public QObject
{
public:
    explicit SignalLog(HollowwayAdapter* adapter)
    {
        connect(adapter, &HollowwayAdapter::started, this, [this](int proxy, int listen) {
            add(QStringLiteral("started %1 %2").arg(proxy).arg(listen));
        });
        connect(adapter, &HollowwayAdapter::stopped, this, [this] { add("stopped"); });
        connect(adapter, &HollowwayAdapter::errorOccurred, this, [this, adapter] {
            add("error " + adapter->errorString());
        });
        connect(adapter, &HollowwayAdapter::statusChanged, this,
                [this](HollowwayAdapter::Status status) {
                    add(QStringLiteral("status %1").arg(int(status)));
                });
    }
    QStringList entries;
    bool allOnMainThread = true;
    bool has(const QString& entry) const { return entries.contains(entry); }

private:
    void add(const QString& entry)
    {
        allOnMainThread = allOnMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        entries.append(entry);
    }
};

} // namespace

class TestHollowwayAdapter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void setParamsChecksPort_data();
    void setParamsChecksPort();
    void stopWhileNotStartedEmitsNothing();
    void unresolvedHostMakesNoLibraryCall();
    void libraryRejectionIsReported();
    void startConnectsAndServerDropDisconnects();
    void restartAfterStop();
    void destroyWhileStartedStopsSilently();
    void recreateWhileSessionReports();

private:
    bool startTunnel(SignalLog& log, HollowwayAdapter* adapter);

    SshFixture m_fixture;
};

void TestHollowwayAdapter::initTestCase()
{
    QVERIFY2(m_fixture.start(), qPrintable(m_fixture.errorString()));
    g_previousHandler = qInstallMessageHandler(captureMessage);
    hollowway_set_logger(captureLibLine);
}

void TestHollowwayAdapter::cleanupTestCase()
{
    HollowwayAdapter::freeInstance();
    hollowway_set_logger(nullptr);
    qInstallMessageHandler(g_previousHandler);
    const QString password = SshFixture::password();
    QMutexLocker locker(&g_logMutex);
    for (const QString& line : std::as_const(g_logLines))
        QVERIFY2(!line.contains(password), qPrintable(line));
}

void TestHollowwayAdapter::setParamsChecksPort_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("22") << 22 << true;
    QTest::newRow("65535") << 65535 << true;
    QTest::newRow("65536") << 65536 << false;
    QTest::newRow("negative") << -1 << false;
}

void TestHollowwayAdapter::setParamsChecksPort()
{
    QFETCH(int, port);
    QFETCH(bool, accepted);
    HollowwayAdapter* adapter = HollowwayAdapter::instance();
    SignalLog log(adapter);
    QCOMPARE(adapter->setParams("127.0.0.1", port, 1, "user", "secret"), accepted);
    if (!accepted) {
        QCOMPARE(adapter->errorString(),
                 QStringLiteral("setParams() : sshServerPort \"%1\" is not valid").arg(port));
    }
    QTest::qWait(50);
    QVERIFY(log.entries.isEmpty());
}

void TestHollowwayAdapter::stopWhileNotStartedEmitsNothing()
{
    HollowwayAdapter* adapter = HollowwayAdapter::instance();
    SignalLog log(adapter);
    QVERIFY(!adapter->isStarted());
    QVERIFY(adapter->stop(true));
    QTest::qWait(300);
    QVERIFY(log.entries.isEmpty());
}

void TestHollowwayAdapter::unresolvedHostMakesNoLibraryCall()
{
    HollowwayAdapter* adapter = HollowwayAdapter::instance();
    SignalLog log(adapter);
    // Leaves a known last error behind: any later library call would replace it.
    QCOMPARE(hollowway_set_params(nullptr, 0, 0, nullptr, nullptr), 1);
    // An impossible name is refused without asking any name server.
    QVERIFY(adapter->setParams("no..such..host", m_fixture.sshPort(), 1, SshFixture::user(),
                               SshFixture::password()));
    adapter->start();
    QVERIFY(TestSupport::waitUntil([&] { return !log.entries.isEmpty(); }, 20000));
    QCOMPARE(log.entries.size(), 1);
    QVERIFY2(log.entries.first().startsWith("error Ssh server address lookup failed: "),
             qPrintable(log.entries.first()));
    QVERIFY(log.entries.first().endsWith(", probably there is no internet connection."));
    QVERIFY(adapter->errorString().size() > QString("Ssh server address lookup failed: , "
                                                     "probably there is no internet connection.")
                                                .size());
    QCOMPARE(QString::fromUtf8(hollowway_last_error()), QString("Bad arguments"));
    QVERIFY(!adapter->isStarted());
}

void TestHollowwayAdapter::libraryRejectionIsReported()
{
    HollowwayAdapter* adapter = HollowwayAdapter::instance();
    SignalLog log(adapter);
    QVERIFY(adapter->setParams("127.0.0.1", 0, 1, SshFixture::user(), SshFixture::password()));
    adapter->start();
    QCOMPARE(log.entries,
             QStringList{"error setParams() : libhollowway internal error: Bad arguments"});
    QVERIFY(!adapter->isStarted());
}

bool TestHollowwayAdapter::startTunnel(SignalLog& log, HollowwayAdapter* adapter)
{
    if (!adapter->setParams("127.0.0.1", m_fixture.sshPort(), 1, SshFixture::user(),
                            SshFixture::password()))
        return false;
    adapter->start();
    return TestSupport::waitUntil(
        [&] { return log.has("started 26268 45679") || !log.entries.filter("error").isEmpty(); },
        30000)
        && log.has("started 26268 45679");
}

void TestHollowwayAdapter::startConnectsAndServerDropDisconnects()
{
    HollowwayAdapter* adapter = HollowwayAdapter::instance();
    SignalLog log(adapter);
    QVERIFY2(startTunnel(log, adapter), qPrintable(log.entries.join("; ")));
    QCOMPARE(log.entries, (QStringList{"status 2", "started 26268 45679"}));
    QVERIFY(log.allOnMainThread);
    QVERIFY(adapter->isStarted());
    QCOMPARE(adapter->status(), HollowwayAdapter::Connected);
    QCOMPARE(adapter->proxyPort(), 26268);
    QCOMPARE(adapter->listenPort(), 45679);
    QVERIFY(TestSupport::portAccepts(26268));
    QVERIFY(!allCommandLines().contains(SshFixture::password().toLatin1()));

    log.entries.clear();
    QVERIFY(m_fixture.dropConnections() > 0);
    QVERIFY(TestSupport::waitUntil([&] { return log.entries.size() >= 2; }, 45000));
    QTest::qWait(300);
    QCOMPARE(log.entries, (QStringList{"status 0", "error Unable to connect to server"}));
    QVERIFY(log.allOnMainThread);
    QCOMPARE(adapter->status(), HollowwayAdapter::Disconnected);
    QCOMPARE(adapter->listenPort(), 0);
}

void TestHollowwayAdapter::restartAfterStop()
{
    HollowwayAdapter* adapter = HollowwayAdapter::instance();
    SignalLog log(adapter);
    // Later starts go through new parameters: the proxy port stays the first one's.
    QVERIFY2(startTunnel(log, adapter), qPrintable(log.entries.join("; ")));
    log.entries.clear();
    QVERIFY(adapter->stop(true));
    QVERIFY(TestSupport::waitUntil([&] { return log.has("stopped"); }, 15000));
    QCOMPARE(log.entries,
             (QStringList{"status 0", "error Unable to connect to server", "stopped"}));
    QVERIFY(!adapter->isStarted());

    log.entries.clear();
    QVERIFY2(startTunnel(log, adapter), qPrintable(log.entries.join("; ")));
    QCOMPARE(log.entries, (QStringList{"status 2", "started 26268 45679"}));
    log.entries.clear();
    QVERIFY(adapter->stop(true));
    QVERIFY(TestSupport::waitUntil([&] { return log.has("stopped"); }, 15000));
}

void TestHollowwayAdapter::destroyWhileStartedStopsSilently()
{
    HollowwayAdapter* adapter = HollowwayAdapter::instance();
    {
        SignalLog log(adapter);
        QVERIFY2(startTunnel(log, adapter), qPrintable(log.entries.join("; ")));
    }
    // A stop(true) earlier would otherwise make the end of this session emit stopped().
    QSignalSpy stoppedSpy(adapter, &HollowwayAdapter::stopped);
    HollowwayAdapter::freeInstance();
    QVERIFY(TestSupport::waitUntil([] { return !TestSupport::portAccepts(26268); }, 15000));
    QVERIFY(!allCommandLines().contains("26268:127.0.0.1:1080"));

    // The late callbacks of the ended session reach no adapter, not even a new one.
    HollowwayAdapter* fresh = HollowwayAdapter::instance();
    SignalLog log(fresh);
    QTest::qWait(1000);
    QVERIFY2(log.entries.isEmpty() || !log.has("stopped"), qPrintable(log.entries.join("; ")));
    QVERIFY(!fresh->isStarted());
    QCOMPARE(stoppedSpy.count(), 0);
}

namespace {

// A hang would block the whole test run: the watchdog ends it with a message instead.
class Watchdog
{
public:
    explicit Watchdog(int seconds)
        : m_thread([this, seconds] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_over; })) {
                  std::fprintf(stderr, "watchdog: the main thread hangs\n");
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_over = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_over = false;
    std::thread m_thread;
};

} // namespace

// Makes and frees adapters until `done` holds, and 300 ms longer; false after `timeoutMs`.
static bool churnAdaptersUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    qint64 doneAt = -1;
    while (timer.elapsed() < timeoutMs) {
        for (int i = 0; i < 200; ++i) {
            HollowwayAdapter::instance();
            HollowwayAdapter::freeInstance();
        }
        if (doneAt < 0 && done())
            doneAt = timer.elapsed();
        if (doneAt >= 0 && timer.elapsed() - doneAt > 300)
            return true;
    }
    return false;
}

void TestHollowwayAdapter::recreateWhileSessionReports()
{
    // The library reports connects and ends under its own lock; an adapter made at that
    // moment must not wait for that lock while holding what the report needs.
    const QByteArray user = SshFixture::user().toLatin1();
    const QByteArray password = SshFixture::password().toLatin1();
    for (int round = 0; round < 3; ++round) {
        Watchdog watchdog(90);
        // No session runs here: this only makes the next start go through the local forward.
        hollowway_stop_local_forward();
        QCOMPARE(hollowway_set_params("127.0.0.1", m_fixture.sshPort(), 1, user.constData(),
                                      password.constData()),
                 0);
        unsigned short port = 0;
        QCOMPARE(hollowway_start_local_forward(&port), 0);
        QVERIFY(churnAdaptersUntil([] { return TestSupport::portAccepts(26268, 50); }, 30000));
        hollowway_stop_local_forward();
        QVERIFY(churnAdaptersUntil([] { return !TestSupport::portAccepts(26268, 50); }, 20000));
        QCoreApplication::processEvents();
    }
}

QTEST_GUILESS_MAIN(TestHollowwayAdapter)
#include "tst_hollowwayadapter.moc"
