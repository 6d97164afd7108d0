#include "sys/startupprovider.h"

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTest>

using Sys::StartupProvider;

class TestStartupProvider : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void registersOnceAndStartsHidden();
    void recognisesEntriesMadeElsewhere_data();
    void recognisesEntriesMadeElsewhere();
    void removesEveryMatchOnly();
    void keepsForeignEntryOfTheSameName();

private:
    QString autostart() const { return m_home->configHome() + "/autostart"; }
    void writeEntry(const QString& name, const QString& body);
    std::unique_ptr<TestSupport::TempHome> m_home;
    const QString m_app = "/opt/Corvalis apps/qvclient";
};

void TestStartupProvider::init()
{
    m_home = std::make_unique<TestSupport::TempHome>();
}

void TestStartupProvider::cleanup()
{
    m_home.reset();
}

void TestStartupProvider::writeEntry(const QString& name, const QString& body)
{
    QDir().mkpath(autostart());
    QFile file(autostart() + "/" + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(body.toUtf8());
}

void TestStartupProvider::registersOnceAndStartsHidden()
{
    StartupProvider provider("Corvalis", m_app);
    bool ok = false;
    QVERIFY(!provider.isAppRegistered(&ok));
    QVERIFY(ok); // a missing folder is an empty list, not a failure
    QVERIFY(provider.registerApp());
    QVERIFY(provider.isAppRegistered(&ok));
    QVERIFY(ok);

    const QStringList entries = QDir(autostart()).entryList(QDir::Files);
    QCOMPARE(entries, QStringList{"Corvalis.desktop"});
    QFile file(autostart() + "/Corvalis.desktop");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains("Exec=\"/opt/Corvalis apps/qvclient\"\n"));
    QVERIFY(text.contains("X-Corvalis-HideOnLaunch=true"));
}

void TestStartupProvider::recognisesEntriesMadeElsewhere_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("registered");

    QTest::newRow("quoted path") << "[Desktop Entry]\nExec=\"/opt/Corvalis apps/qvclient\"\n" << true;
    QTest::newRow("quoted path with arguments")
        << "[Desktop Entry]\nType=Application\nExec=\"/opt/Corvalis apps/qvclient\" --debug\n" << true;
    QTest::newRow("escaped characters")
        << "[Desktop Entry]\nExec=\"/opt/Corvalis\\ apps/qvclient\"\n" << true;
    QTest::newRow("letter case differs")
        << "[Desktop Entry]\nExec=\"/opt/corvalis apps/qvclient\"\n" << false;
    QTest::newRow("other group only") << "[Other]\nExec=\"/opt/Corvalis apps/qvclient\"\n" << false;
    QTest::newRow("unterminated quote") << "[Desktop Entry]\nExec=\"/opt/Corvalis apps/qvclient\n" << false;
    QTest::newRow("key with a suffix") << "[Desktop Entry]\nExecX=\"/opt/Corvalis apps/qvclient\"\n" << false;
    static const char junk[] = "\x01\xff[Desktop Entry\n\x00Exec=\"/opt/Corvalis apps/qvclient\"";
    QTest::newRow("binary junk") << QString::fromLatin1(junk, sizeof junk - 1) << false;
}

void TestStartupProvider::recognisesEntriesMadeElsewhere()
{
    QFETCH(QString, body);
    QFETCH(bool, registered);
    writeEntry("made-by-user.desktop", body);
    QCOMPARE(StartupProvider("Corvalis", m_app).isAppRegistered(), registered);
}

void TestStartupProvider::removesEveryMatchOnly()
{
    writeEntry("one.desktop", "[Desktop Entry]\nExec=\"/opt/Corvalis apps/qvclient\"\n");
    writeEntry("two.desktop", "[Desktop Entry]\nExec=\"/opt/Corvalis apps/qvclient\" -x\n");
    writeEntry("other.desktop", "[Desktop Entry]\nExec=/usr/bin/other\n");
    StartupProvider provider("Corvalis", m_app);
    QVERIFY(provider.removeApp());
    QVERIFY(!provider.isAppRegistered());
    QCOMPARE(QDir(autostart()).entryList(QDir::Files), QStringList{"other.desktop"});
}

void TestStartupProvider::keepsForeignEntryOfTheSameName()
{
    writeEntry("Corvalis.desktop", "[Desktop Entry]\nExec=/usr/bin/someone-else\n");
    StartupProvider provider("Corvalis", m_app);
    QVERIFY(provider.registerApp());
    QVERIFY(provider.isAppRegistered());
    QCOMPARE(QDir(autostart()).entryList(QDir::Files).size(), 2);
    QFile foreign(autostart() + "/Corvalis.desktop");
    QVERIFY(foreign.open(QIODevice::ReadOnly));
    QVERIFY(foreign.readAll().contains("someone-else"));
}

QTEST_GUILESS_MAIN(TestStartupProvider)
#include "tst_startupprovider.moc"
