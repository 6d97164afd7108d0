#include "support/waits.h"
#include "sys/processprober.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>

using Sys::ProcessProber;

namespace {

QStringList entries(const ProcessProber& prober)
{
    QStringList list;
    for (auto it = prober.processes().cbegin(); it != prober.processes().cend(); ++it)
        list << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
    return list;
}

bool alive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

} // namespace

class TestProcessProber : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void parseListing_data();
    void parseListing();
    void realListing();
    void realListingIgnoresTerminalWidth();
    void terminateLowerPidOfTwo();
    void ignoredInterruptReportsFailure();
    void invalidPids_data();
    void invalidPids();
    void unknownName();

private:
    QProcess* start(const QString& program, const QStringList& arguments);
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

void TestProcessProber::cleanup()
{
    for (const auto& process : m_processes) {
        process->kill();
        process->waitForFinished(5000);
    }
    m_processes.clear();
}

QProcess* TestProcessProber::start(const QString& program, const QStringList& arguments)
{
    m_processes.push_back(std::make_unique<QProcess>());
    QProcess* process = m_processes.back().get();
    process->start(program, arguments);
    return process->waitForStarted(5000) ? process : nullptr;
}

void TestProcessProber::parseListing_data()
{
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("expected");

    const QByteArray header("    PID TT           TIME COMMAND\n");
    const QByteArray own = "  900 pts/0    00:00:00 " + ProcessProber::listingCommandText().toLatin1() + "\n";
    QTest::newRow("typical") << header + "    1 ?        00:00:02 /sbin/init splash\n\n"
                                         "   42 ?        00:01:05 [kworker/0:1]\n" + own
                             << true << 0 << "" << QStringList{"1=/sbin/init splash", "42=[kworker/0:1]"};
    QTest::newRow("sorted by id") << header + "  300 ?  00:00:00 /b\n   20 ?  00:00:00 /a  \n" << true << 0 << ""
                                  << QStringList{"20=/a", "300=/b"};
    QTest::newRow("day count") << header + "    7 ?        3-04:05:06 /usr/bin/busy\n    8 ?  00:00:00 /x\n"
                               << true << 0 << "" << QStringList{"7=/usr/bin/busy", "8=/x"};
    QTest::newRow("time in command")
        << header + "   10 pts/1    00:00:01 /bin/at 12:30:00 now\n   11 ?  00:00:00 /y\n" << true << 0 << ""
        << QStringList{"10=/bin/at 12:30:00 now", "11=/y"};
    QTest::newRow("only the first listing entry dropped")
        << header + own + "  910 ?        00:00:00 " + ProcessProber::listingCommandText().toLatin1() + "\n   5 ?  00:00:00 /z\n" << true << 0 << ""
        << QStringList{"5=/z", "910=" + ProcessProber::listingCommandText()};
    QTest::newRow("header only") << header << false << 3 << "Empty process list: " << QStringList{};
    QTest::newRow("one line") << header + "    1 ?        00:00:02 /sbin/init\n\n" << false << 3
                              << "Empty process list: 1 ?        00:00:02 /sbin/init" << QStringList{};
    QTest::newRow("nothing") << QByteArray() << false << 3 << "Empty process list: " << QStringList{};
    QTest::newRow("unparsable line")
        << header + "    1 ?        00:00:02 /sbin/init\ngarbage here\n    3 ?  00:00:00 /c\n" << false << 3
        << "Failed to parse process line: garbage here" << QStringList{"1=/sbin/init"};
    QTest::newRow("id too large")
        << header + "    1 ?  00:00:02 /a\n 99999999999999999999 ?  00:00:00 /c\n" << false << 3
        << "Failed to parse process line:  99999999999999999999 ?  00:00:00 /c" << QStringList{"1=/a"};
}

void TestProcessProber::parseListing()
{
    QFETCH(QByteArray, listing);
    QFETCH(bool, ok);
    QFETCH(int, error);
    QFETCH(QString, message);
    QFETCH(QStringList, expected);

    ProcessProber prober;
    QCOMPARE(prober.parseListing(listing), ok);
    QCOMPARE(prober.error(), error);
    QCOMPARE(prober.errorString(), message);
    QCOMPARE(entries(prober), expected);
}

void TestProcessProber::realListing()
{
    ProcessProber prober;
    QVERIFY2(prober.refreshProcessList(), qPrintable(prober.errorString()));
    const int self = int(QCoreApplication::applicationPid());
    QVERIFY(prober.processes().contains(self));
    QCOMPARE(prober.processes().value(self), QCoreApplication::arguments().join(QLatin1Char(' ')));
    QCOMPARE(prober.pidByName(prober.processes().value(self)), prober.pidByName(prober.processes().value(self)));
    QVERIFY(prober.exists(prober.processes().value(self)));
    QVERIFY(prober.processes().size() > 2);

    // A program is listed under its whole command line.
    QProcess* sleeper = start(QStringLiteral("/bin/sleep"), {QStringLiteral("989.125")});
    QVERIFY(sleeper);
    QVERIFY(prober.refreshProcessList());
    QCOMPARE(prober.pidByName(QStringLiteral("/bin/sleep 989.125")), int(sleeper->processId()));
    QVERIFY(!prober.exists(QStringLiteral("/bin/sleep")));
}

// A terminal width in the environment must not cut the command texts short.
void TestProcessProber::realListingIgnoresTerminalWidth()
{
    const bool hadColumns = qEnvironmentVariableIsSet("COLUMNS");
    const QByteArray columns = qgetenv("COLUMNS");
    qputenv("COLUMNS", "40");
    const QString name = QStringLiteral("/bin/sleep 984.00000000000000000000000000000000000000000001");
    QProcess* sleeper = start(QStringLiteral("/bin/sleep"), {name.section(QLatin1Char(' '), 1)});
    ProcessProber prober;
    const bool listed = prober.refreshProcessList();
    if (hadColumns)
        qputenv("COLUMNS", columns);
    else
        qunsetenv("COLUMNS");
    QVERIFY(sleeper);
    QVERIFY2(listed, qPrintable(prober.errorString()));
    QCOMPARE(prober.pidByName(name), int(sleeper->processId()));
    const int self = int(QCoreApplication::applicationPid());
    QCOMPARE(prober.processes().value(self), QCoreApplication::arguments().join(QLatin1Char(' ')));
}

void TestProcessProber::terminateLowerPidOfTwo()
{
    const QString name = QStringLiteral("/bin/sleep 987.25");
    QProcess* first = start(QStringLiteral("/bin/sleep"), {QStringLiteral("987.25")});
    QProcess* second = start(QStringLiteral("/bin/sleep"), {QStringLiteral("987.25")});
    QVERIFY(first && second);
    QProcess* lower = first->processId() < second->processId() ? first : second;
    QProcess* higher = lower == first ? second : first;

    ProcessProber prober;
    QVERIFY(prober.refreshProcessList());
    QCOMPARE(prober.pidByName(name), int(lower->processId()));
    QVERIFY2(prober.terminateByName(name), qPrintable(prober.errorString()));
    QVERIFY(lower->waitForFinished(5000));
    QCOMPARE(lower->exitStatus(), QProcess::CrashExit);
    QVERIFY(alive(higher->processId()));
    QVERIFY(prober.refreshProcessList());
    QCOMPARE(prober.pidByName(name), int(higher->processId()));
}

// A process that ignores the interrupt signal gives a bounded wait and an honest false.
void TestProcessProber::ignoredInterruptReportsFailure()
{
    const QString name = QStringLiteral("/bin/sleep 986.5");
    QProcess* stubborn = start(QStringLiteral("/bin/bash"),
                               {QStringLiteral("-c"), QStringLiteral("trap '' INT; exec /bin/sleep 986.5")});
    QVERIFY(stubborn);
    ProcessProber prober(500);
    QVERIFY(TestSupport::waitUntil([&] { return prober.refreshProcessList() && prober.exists(name); }, 5000));

    QElapsedTimer timer;
    timer.start();
    QVERIFY(!prober.terminateByName(name));
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(prober.error(), 6);
    QCOMPARE(prober.errorString(),
             QStringLiteral("Process %1 did not end within 500 ms of the interrupt signal").arg(stubborn->processId()));
    QVERIFY(alive(stubborn->processId()));
    QCOMPARE(stubborn->state(), QProcess::Running);
}

void TestProcessProber::invalidPids_data()
{
    QTest::addColumn<int>("pid");
    QTest::newRow("zero") << 0;
    QTest::newRow("minus one") << -1;
    QTest::newRow("negative") << -12345;
}

void TestProcessProber::invalidPids()
{
    QFETCH(int, pid);
    // These would signal whole process groups, this test among them.
    ProcessProber prober;
    QVERIFY(!prober.terminateByPid(pid));
    QCOMPARE(prober.error(), 5);
    QCOMPARE(prober.errorString(), QStringLiteral("Invalid process id %1").arg(pid));
}

void TestProcessProber::unknownName()
{
    ProcessProber prober;
    QVERIFY(prober.refreshProcessList());
    QVERIFY(!prober.terminateByName(QStringLiteral("/no/such/program")));
    QCOMPARE(prober.error(), 4);
    QCOMPARE(prober.errorString(), QStringLiteral("Unable to find process by name \"/no/such/program\""));
    QCOMPARE(prober.pidByName(QStringLiteral("/no/such/program")), -1);

    // An ended process that is gone: the signal cannot be sent.
    QProcess* gone = start(QStringLiteral("/bin/true"), {});
    QVERIFY(gone);
    const int pid = int(gone->processId());
    QVERIFY(gone->waitForFinished(5000));
    QVERIFY(!prober.terminateByPid(pid));
    QCOMPARE(prober.error(), 5);
    QVERIFY(prober.errorString().startsWith(QStringLiteral("Unable to send the interrupt signal to process %1: ").arg(pid)));
}

QTEST_GUILESS_MAIN(TestProcessProber)
#include "tst_processprober.moc"
