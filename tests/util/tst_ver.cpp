#include "util/ver.h"

#include <QTest>

using Util::Ver;

class TestVer : public QObject
{
    Q_OBJECT

private slots:
    void fromString_data();
    void fromString();
    void isNewerVer_data();
    void isNewerVer();
    void comparison();
};

void TestVer::fromString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("bugfix");

    QTest::newRow("plain") << "3.1.0" << true << 3 << 1 << 0;
    QTest::newRow("prefix and suffix") << "v1.2.3-beta" << true << 1 << 2 << 3;
    QTest::newRow("four parts") << "1.2.3.4" << true << 1 << 2 << 3;
    QTest::newRow("two parts") << "10.0" << false << 0 << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0 << 0;
    QTest::newRow("letters") << "a.b.c" << false << 0 << 0 << 0;
    QTest::newRow("first match counts") << "x 2.0.1 and 9.9.9" << true << 2 << 0 << 1;
    QTest::newRow("too large for int") << "99999999999.1.1" << false << 0 << 0 << 0;
}

void TestVer::fromString()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    bool parsed = !ok;
    const Ver v = Ver::fromString(text, &parsed);
    QCOMPARE(parsed, ok);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, bugfix);
    QCOMPARE(v.major(), major);
    QCOMPARE(v.minor(), minor);
    QCOMPARE(v.bugfix(), bugfix);
    QVERIFY(Ver(text) == v); // the string constructor parses alike
    QCOMPARE(Ver::fromString(text).major(), major); // the flag is optional
}

void TestVer::isNewerVer_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("newer");
    QTest::addColumn<bool>("ok");

    QTest::newRow("numeric, not textual") << "1.10.0" << "1.9.9" << true << true;
    QTest::newRow("equal") << "1.2.3" << "1.2.3" << false << true;
    QTest::newRow("older") << "1.9.9" << "2.0.0" << false << true;
    QTest::newRow("bugfix decides") << "2.0.1" << "2.0.0" << true << true;
    QTest::newRow("major decides") << "3.0.0" << "2.99.99" << true << true;
    QTest::newRow("first unparsable") << "2.0" << "1.0.0" << false << false;
    QTest::newRow("second unparsable") << "2.0.0" << "junk" << false << false;
}

void TestVer::isNewerVer()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, newer);
    QFETCH(bool, ok);
    bool parsed = !ok;
    QCOMPARE(Ver::isNewerVer(a, b, &parsed), newer);
    QCOMPARE(parsed, ok);
}

void TestVer::comparison()
{
    QVERIFY(Ver(1, 0, 0) > Ver(0, 9, 9));
    QVERIFY(!(Ver(1, 0, 0) > Ver(1, 0, 0)));
    QVERIFY(Ver(1, 2, 3) == Ver(1, 2, 3));
    QVERIFY(!(Ver(1, 2, 3) == Ver(1, 2, 4)));
    const Ver zero;
    QVERIFY(zero == Ver(0, 0, 0));
    Ver v;
    v.setMajor(4);
    v.setMinor(5);
    v.setBugfix(6);
    QVERIFY(v == Ver(4, 5, 6));
}

QTEST_APPLESS_MAIN(TestVer)
#include "tst_ver.moc"
