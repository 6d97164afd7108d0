#include "core/global.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestUpdaterGlobal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void names();
    void prepareEmptiesTheFolder();
    void preparedFolderIsNeverALink();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void TestUpdaterGlobal::init()
{
    m_tmp.reset();
    qunsetenv("TMPDIR"); // the next folder must not be made inside the previous one
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    qputenv("TMPDIR", m_tmp->path().toLocal8Bit());
}

void TestUpdaterGlobal::names()
{
    QCOMPARE(Core::Global::statusFileName(), QString("status_linux.conf"));
    QCOMPARE(Core::Global::qvRootDir(), QString("qv"));
    QCOMPARE(Core::Global::appTempDirPath(), QDir::tempPath() + "/Corvalis");
    QCOMPARE(Core::Global::appTempRepoPath(), QDir::tempPath() + "/Corvalis/__repo__");
    QCOMPARE(Core::Global::statusFilePath(), QDir::tempPath() + "/Corvalis/status_linux.conf");
}

void TestUpdaterGlobal::prepareEmptiesTheFolder()
{
    const QString base = Core::Global::appTempDirPath();
    QVERIFY(QDir().mkpath(base + "/old/deeper"));
    QFile stale(base + "/old/deeper/stale.conf");
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    QVERIFY(Core::Global::prepareTempStorage());
    QCOMPARE(QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"__repo__"});
    QVERIFY(QFileInfo(Core::Global::appTempRepoPath()).isDir());
}

void TestUpdaterGlobal::preparedFolderIsNeverALink()
{
    // A link planted under the shared temporary folder's name must not lead the removal
    // into the folder it points at.
    QTemporaryDir victim;
    QFile precious(victim.path() + "/precious.txt");
    QVERIFY(precious.open(QIODevice::WriteOnly));
    precious.write("keep");
    precious.close();
    QVERIFY(QFile::link(victim.path(), Core::Global::appTempDirPath()));

    QVERIFY(Core::Global::prepareTempStorage());
    QVERIFY(QFile::exists(victim.path() + "/precious.txt"));
    QVERIFY(!QFileInfo(Core::Global::appTempDirPath()).isSymLink());
    QVERIFY(QFileInfo(Core::Global::appTempRepoPath()).isDir());
    QVERIFY(!QFile::exists(victim.path() + "/__repo__"));
    // Both folders are the updater's own and closed to others.
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const QString& folder : {Core::Global::appTempDirPath(), Core::Global::appTempRepoPath()}) {
        QCOMPARE(QFileInfo(folder).ownerId(), uint(::geteuid()));
        QCOMPARE(QFile::permissions(folder) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), ownerOnly);
    }
}

QTEST_GUILESS_MAIN(TestUpdaterGlobal)
#include "tst_updaterglobal.moc"
