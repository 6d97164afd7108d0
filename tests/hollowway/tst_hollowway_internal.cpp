// The tunnel library's internal pieces: prompt matching, error texts, counters, log hook.
#include "hollowway/log.h"
#include "hollowway/prompt_matcher.h"
#include "hollowway/traffic_stats.h"
#include "hollowway/tunnel_error.h"

#include <QTest>

#include <cstdio>
#include <unistd.h>

namespace {

QList<QByteArray> g_lines;
void onLog(const char* line) { g_lines.append(line); }

} // namespace

class TestHollowwayInternal : public QObject
{
    Q_OBJECT

private slots:
    void promptMatch_data();
    void promptMatch();
    void errorCategory_data();
    void errorCategory();
    void countersFollowEnabledFlag();
    void logGoesToLoggerExactly();
    void logWithoutLoggerIsTimeStamped();
};

void TestHollowwayInternal::promptMatch_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<int>("completedInChunk"); // -1: never

    QTest::newRow("whole") << QByteArrayList{"user@host's password: "} << 0;
    QTest::newRow("split across reads") << QByteArrayList{"user@host's pas", "sword: "} << 1;
    QTest::newRow("colon alone in next read") << QByteArrayList{"Password", ":"} << 1;
    QTest::newRow("upper-case P") << QByteArrayList{"Password:"} << 0;
    QTest::newRow("restart after a near miss") << QByteArrayList{"aassword:"} << 0;
    QTest::newRow("no colon") << QByteArrayList{"password is wrong", "password."} << -1;
    QTest::newRow("other text") << QByteArrayList{"Welcome\r\n", "Last login"} << -1;
}

void TestHollowwayInternal::promptMatch()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(int, completedInChunk);

    hollowway::prompt_matcher matcher("assword:");
    int completed = -1;
    for (int i = 0; i < chunks.size() && completed < 0; ++i) {
        if (matcher.feed(chunks.at(i).constData(), std::size_t(chunks.at(i).size())))
            completed = i;
    }
    QCOMPARE(completed, completedInChunk);
}

void TestHollowwayInternal::errorCategory_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("1") << 1 << "Bad arguments";
    QTest::newRow("2") << 2 << "Bad parameter values";
    QTest::newRow("3") << 3 << "Tunnel already started";
    QTest::newRow("4") << 4 << "Failed to open port";
    QTest::newRow("5") << 5 << "Remote port forward failed";
    QTest::newRow("0") << 0 << "Unknown error";
    QTest::newRow("6") << 6 << "Unknown error";
    QTest::newRow("-1") << -1 << "Unknown error";
}

void TestHollowwayInternal::errorCategory()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    const std::error_code error(code, hollowway::tunnel_error::instance());
    QCOMPARE(QString::fromStdString(error.message()), message);
    QCOMPARE(QString(error.category().name()), QString("Tunnel error"));
}

void TestHollowwayInternal::countersFollowEnabledFlag()
{
    auto& stats = network::utils::traffic_stats::instance();
    stats.reset();
    stats.add_incoming_traffic(100);
    stats.add_outgoing_traffic(7);
    unsigned long long in = 0, out = 0;
    stats.read(&in, &out);
    QCOMPARE(in, 100ull);
    QCOMPARE(out, 7ull);

    stats.set_enabled(0);
    stats.add_incoming_traffic(50);
    stats.read(&in, nullptr);
    QCOMPARE(in, 100ull);
    stats.reset();
    stats.read(&in, &out);
    QCOMPARE(in + out, 0ull);
    // Re-enabling does not bring back what was missed.
    stats.set_enabled(1);
    stats.add_incoming_traffic(1);
    stats.read(&in, nullptr);
    QCOMPARE(in, 1ull);
}

void TestHollowwayInternal::logGoesToLoggerExactly()
{
    g_lines.clear();
    utils::log::instance().set_logger(onLog);
    utils::write_log("SSH session started");
    utils::log::instance().set_logger(nullptr);
    utils::write_log("not for the logger");
    QCOMPARE(g_lines, QList<QByteArray>{"SSH session started"});
}

void TestHollowwayInternal::logWithoutLoggerIsTimeStamped()
{
    char path[] = "/tmp/hwlogXXXXXX";
    const int fd = mkstemp(path);
    QVERIFY(fd >= 0);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(fd, STDERR_FILENO);
    utils::log::instance().set_logger(nullptr);
    utils::write_log("line one");
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(fd);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.remove();
    static const QRegularExpression stamp(
        "^\\[\\d{4}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\\d{2} "
        "\\d{2}:\\d{2}:\\d{2}\\] line one\\n$");
    QVERIFY2(stamp.match(text).hasMatch(), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestHollowwayInternal)
#include "tst_hollowway_internal.moc"
