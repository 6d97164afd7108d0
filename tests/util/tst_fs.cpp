#include "util/fs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using Util::Fs;

class TestFs : public QObject
{
    Q_OBJECT

private slots:
    void removesNestedTreeWithReadOnlyAndHiddenEntries();
    void missingDirectoryFailsWithWarning();
    void undeletableEntryStopsAndKeepsTheRest();

private:
    static void touch(const QString& path);
};

void TestFs::touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

void TestFs::removesNestedTreeWithReadOnlyAndHiddenEntries()
{
    QTemporaryDir tmp;
    const QString root = tmp.filePath("tree");
    QVERIFY(QDir().mkpath(root + "/a/b/.hidden"));
    touch(root + "/top.txt");
    touch(root + "/a/b/deep.txt");
    touch(root + "/a/b/.hidden/.dotfile");
    QVERIFY(QFile::setPermissions(root + "/top.txt", QFile::ReadOwner));

    QVERIFY(Fs::rmrf(root));
    QVERIFY(!QFileInfo::exists(root));
}

void TestFs::missingDirectoryFailsWithWarning()
{
    QTemporaryDir tmp;
    const QString missing = tmp.filePath("nothing-here");
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Unable to remove directory\"?.*nothing-here"));
    QVERIFY(!Fs::rmrf(missing));
}

void TestFs::undeletableEntryStopsAndKeepsTheRest()
{
    if (geteuid() == 0)
        QSKIP("root may remove entries of a read-only folder");
    QTemporaryDir tmp;
    const QString root = tmp.filePath("locked");
    QVERIFY(QDir().mkpath(root + "/sub"));
    touch(root + "/sub/kept.txt");
    QVERIFY(QFile::setPermissions(root + "/sub", QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(!Fs::rmrf(root));
    QVERIFY(QFileInfo::exists(root + "/sub/kept.txt"));
    QFile::setPermissions(root + "/sub", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_GUILESS_MAIN(TestFs)
#include "tst_fs.moc"
