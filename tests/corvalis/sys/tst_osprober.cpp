#include "sys/osprober.h"

#include <QFile>
#include <QTest>

using Sys::OsProber;

class TestOsProber : public QObject
{
    Q_OBJECT

private slots:
    void macintoshNames_data();
    void macintoshNames();
    void namesThisSystem();
};

void TestOsProber::macintoshNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("9") << 1 << "Mac OS 9";
    QTest::newRow("10.0") << 2 << "Mac OS X 10.0";
    QTest::newRow("10.4") << 6 << "Mac OS X 10.4";
    QTest::newRow("10.7") << 9 << "Mac OS X 10.7";
    QTest::newRow("later system") << 10 << "Mac OS X 10";
    QTest::newRow("unknown") << 0 << "Mac OS X 10";
    QTest::newRow("negative") << -5 << "Mac OS X 10";
}

void TestOsProber::macintoshNames()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(OsProber::macintoshName(code), name);
}

void TestOsProber::namesThisSystem()
{
    const QString name = OsProber().osName();
    QVERIFY(!name.isEmpty());
    // On a distribution with os-release, the name is its PRETTY_NAME.
    QFile osRelease("/etc/os-release");
    if (osRelease.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(osRelease.readAll());
        const auto match = QRegularExpression("PRETTY_NAME=\"?([^\"\n]+)").match(text);
        if (match.hasMatch())
            QCOMPARE(name, match.captured(1));
    }
    QCOMPARE(OsProber().servicePackNumber(), 0);
}

QTEST_GUILESS_MAIN(TestOsProber)
#include "tst_osprober.moc"
