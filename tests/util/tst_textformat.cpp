#include "util/math.h"
#include "util/time.h"

#include <QCoreApplication>
#include <QTest>

using Util::Math;
using Util::Time;

class TestTextFormat : public QObject
{
    Q_OBJECT

private slots:
    void capacityString_data();
    void capacityString();
    void speedString();
    void stringFromFloat_data();
    void stringFromFloat();
    void formatTime_data();
    void formatTime();
};

void TestTextFormat::capacityString_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << quint64(0) << "0 B";
    QTest::newRow("below a KiB") << quint64(1023) << "1023 B";
    QTest::newRow("one KiB") << quint64(1024) << "1 KiB";
    QTest::newRow("one and a half KiB") << quint64(1536) << "1.5 KiB";
    QTest::newRow("rounds before the unit is reconsidered") << quint64(1048575) << "1024 KiB";
    QTest::newRow("one MiB") << (quint64(1) << 20) << "1 MiB";
    QTest::newRow("one TiB") << (quint64(1) << 40) << "1 TiB";
    QTest::newRow("beyond the largest unit") << (quint64(1) << 50) << "1024 TiB";
    QTest::newRow("largest value") << ~quint64(0) << "16777216 TiB";
}

void TestTextFormat::capacityString()
{
    QFETCH(quint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(Math::capacityString(bytes), text);
}

void TestTextFormat::speedString()
{
    QCOMPARE(Math::speedString(2048), QStringLiteral("2 KiB/s"));
    QCOMPARE(Math::speedString(0), QStringLiteral("0 B/s"));
}

void TestTextFormat::stringFromFloat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("trailing zero") << 1.50 << 2 << "1.5";
    QTest::newRow("whole number") << 2.00 << 2 << "2";
    QTest::newRow("rounds up") << 1023.999 << 2 << "1024";
    QTest::newRow("no decimals") << 7.0 << 0 << "7";
    QTest::newRow("zeros before the point stay") << 100.0 << 2 << "100";
    QTest::newRow("keeps significant") << 3.14159 << 3 << "3.142";
}

void TestTextFormat::stringFromFloat()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(Math::stringFromFloat(value, decimals), text);
}

void TestTextFormat::formatTime_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << qint64(0) << "0 sec";
    QTest::newRow("seconds") << qint64(59) << "59 sec";
    QTest::newRow("a minute") << qint64(60) << "1 min";
    QTest::newRow("an hour") << qint64(3600) << "1 hours";
    QTest::newRow("a day") << qint64(86400) << "1 days";
    QTest::newRow("all fields") << qint64(90061) << "1 days 1 hours 1 min 1 sec";
    QTest::newRow("gap in the middle") << qint64(86401) << "1 days 1 sec";
    QTest::newRow("a year wraps") << qint64(365) * 86400 << "0 sec";
}

void TestTextFormat::formatTime()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(Time::formatTime(std::time_t(seconds)), text);
}

QTEST_GUILESS_MAIN(TestTextFormat)
#include "tst_textformat.moc"
