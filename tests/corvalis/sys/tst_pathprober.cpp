#include "sys/pathprober.h"

#include "support/testenv.h"

#include <QTest>

using Sys::PathProber;

class TestPathProber : public QObject
{
    Q_OBJECT

private slots:
    void followsTheXdgFolders();
    void fallsBackToHome();
};

void TestPathProber::followsTheXdgFolders()
{
    TestSupport::TempHome home;
    bool ok = false;
    QCOMPARE(PathProber().appDataPath(&ok), home.dataHome());
    QVERIFY(ok);
    ok = false;
    QCOMPARE(PathProber().programDataPath(&ok), home.stateHome());
    QVERIFY(ok);
    QCOMPARE(PathProber().programDataPath(nullptr), home.stateHome()); // the flag is optional
}

void TestPathProber::fallsBackToHome()
{
    TestSupport::TempHome home;
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_STATE_HOME");
    QCOMPARE(PathProber().appDataPath(), home.path() + "/.local/share");
    QCOMPARE(PathProber().programDataPath(), home.path() + "/.local/state");
    qputenv("XDG_STATE_HOME", "relative/ignored"); // the base directory spec says: ignore
    QCOMPARE(PathProber().programDataPath(), home.path() + "/.local/state");
}

QTEST_GUILESS_MAIN(TestPathProber)
#include "tst_pathprober.moc"
