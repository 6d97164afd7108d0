#include "core/statusconfigparser.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Core::StatusConfigParser;

namespace {

const QByteArray info = "[info]\nactual_ver=2.0.1\n";
const QByteArray files = "[files]\nfile1=qvclient\nfile2= lib/libhollowway.so \n";
const QByteArray exec = "[exec]\napp=qvclient\n";

} // namespace

class TestStatusConfigParser : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void ruleSectionWithTwoActions();
    void rulesThatWouldCollideStayApart();
    void missingFileKeepsPreviousValues();
    void hostileContent_data();
    void hostileContent();

private:
    QString write(const QByteArray& content);
    QTemporaryDir m_dir;
    int m_count = 0;
};

QString TestStatusConfigParser::write(const QByteArray& content)
{
    const QString path = m_dir.path() + QStringLiteral("/status%1.conf").arg(++m_count);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    return path;
}

void TestStatusConfigParser::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("postProc");

    const QStringList both{"qvclient", "lib/libhollowway.so"};
    QTest::newRow("complete") << info + files + exec << QString() << both << QString();
    QTest::newRow("with post_proc") << info + files + "[post_proc]\nrun=fix.sh\n" + exec
                                    << QString() << both << QString("fix.sh");
    QTest::newRow("info and files only") << info + files
                                         << QString("Invalid app file at exec section") << both
                                         << QString();
    QTest::newRow("empty app") << info + files + "[exec]\napp=\n"
                               << QString("Invalid app file at exec section") << both << QString();
    QTest::newRow("no actual version") << files + exec
                                       << QString("Unable to read \"Actual version\" field")
                                       << QStringList() << QString();
    QTest::newRow("empty actual version") << "[info]\nactual_ver=\n" + files + exec
                                          << QString("Unable to read \"Actual version\" field")
                                          << QStringList() << QString();
    QTest::newRow("no files section") << info + exec
                                      << QString("Files section does not contain files")
                                      << QStringList() << QString();
    QTest::newRow("blank file value") << info + "[files]\nfile1=\" \"\n" + exec
                                      << QString("Invalid file at file1") << QStringList()
                                      << QString();
    QTest::newRow("key without number") << info + "[files]\nsource=a\n" + exec
                                        << QString("Invalid file key \"source\"") << QStringList()
                                        << QString();
    QTest::newRow("file key inside a name") << info + "[files]\nmyfile12=a\n" + exec << QString()
                                            << QStringList{"a"} << QString();
    QTest::newRow("path with a comma") << info + "[files]\nfile1=a,b.dylib\n" + exec << QString()
                                       << QStringList{"a,b.dylib"} << QString();
    QTest::newRow("short rule section") << info + files + "[1.0->1.1]\nact1_add=a\n" + exec
                                        << QString("Invalid rule section format: \"1.0->1.1\"")
                                        << both << QString();
    QTest::newRow("empty rule section") << info + files + "[1.0.0->1.0.1]\n" + exec
                                        << QString("Update rule section \"1.0.0->1.0.1\" does not contain files")
                                        << both << QString();
    QTest::newRow("bad action key") << info + files + "[1.0.0->1.0.1]\nact1_mv=a\n" + exec
                                    << QString("Invalid update action \"act1_mv\"") << both
                                    << QString();
    QTest::newRow("empty action file") << info + files + "[1.0.0->1.0.1]\nact1_rm=\n" + exec
                                       << QString("Empty file field at action \"act1_rm\"")
                                       << both << QString();
    QTest::newRow("empty post_proc") << info + files + "[post_proc]\nrun=\n" + exec
                                     << QString("Invalid post proc exec file field") << both
                                     << QString();
    QTest::newRow("post_proc without keys") << info + files + "[post_proc]\n" + exec
                                            << QString("Invalid post proc exec file field") << both
                                            << QString();
    QTest::newRow("post_proc without run") << info + files + "[post_proc]\nother=x\n" + exec
                                           << QString("Invalid post proc exec file field")
                                           << both << QString();
    QTest::newRow("Post_proc is another section") << info + files + "[Post_proc]\nrun=\n" + exec
                                                  << QString() << both << QString();
    QTest::newRow("section news ignored") << info + files + "[news]\nx=1\n" + exec << QString()
                                          << both << QString();
}

void TestStatusConfigParser::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    QFETCH(QStringList, files);
    QFETCH(QString, postProc);

    StatusConfigParser parser;
    const QString path = write(content);
    QVERIFY(!path.isEmpty());
    QCOMPARE(parser.read(path), error.isEmpty());
    QCOMPARE(parser.errorString(), error);
    QCOMPARE(parser.files(), files);
    QCOMPARE(parser.postProcExecFile(), postProc);
    if (error.isEmpty()) {
        QCOMPARE(parser.actualVersion(), QString("2.0.1"));
        QCOMPARE(parser.appExecFile(), QString("qvclient"));
    }
}

void TestStatusConfigParser::ruleSectionWithTwoActions()
{
    StatusConfigParser parser;
    QVERIFY(parser.read(write(info + files + "[1.0.0->1.0.1]\nact1_add=a.dylib\nact2_rm=b.dylib\n"
                              + "[1.0.1->2.0.1]\nact1_add= c \n" + exec)));
    const StatusConfigParser::UpdateRuleMap rules = parser.updateRuleMap();
    QCOMPARE(rules.size(), 2);
    const StatusConfigParser::UpdateRuleKey first{"1.0.0", "1.0.1"};
    QCOMPARE(rules.firstKey(), first);
    QCOMPARE(first.groupName(), QString("1.0.0->1.0.1"));
    const QList<StatusConfigParser::UpdateAction> actions = rules.value(first);
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions.at(0).mode, int(StatusConfigParser::UpdateAction::Add));
    QCOMPARE(actions.at(0).file, QString("a.dylib"));
    QCOMPARE(actions.at(1).mode, int(StatusConfigParser::UpdateAction::Remove));
    QCOMPARE(actions.at(1).file, QString("b.dylib"));
}

void TestStatusConfigParser::rulesThatWouldCollideStayApart()
{
    // Both sections spell "1.0.011.0.0" when their versions are written together.
    StatusConfigParser parser;
    QVERIFY(parser.read(write(info + files + "[1.0.0->11.0.0]\nact1_add=x\n"
                              + "[1.0.01->1.0.0]\nact1_rm=y\n" + exec)));
    const StatusConfigParser::UpdateRuleMap rules = parser.updateRuleMap();
    QCOMPARE(rules.size(), 2);
    QCOMPARE(rules.value({"1.0.0", "11.0.0"}).value(0).file, QString("x"));
    QCOMPARE(rules.value({"1.0.01", "1.0.0"}).value(0).file, QString("y"));
}

void TestStatusConfigParser::missingFileKeepsPreviousValues()
{
    StatusConfigParser parser;
    QVERIFY(parser.read(write(info + files + exec)));
    const QString missing = m_dir.path() + "/none.conf";
    QVERIFY(!parser.read(missing));
    QCOMPARE(parser.errorString(), QString("File \"%1\" does not exist").arg(missing));
    QCOMPARE(parser.actualVersion(), QString("2.0.1"));
    QCOMPARE(parser.files().size(), 2);
}

void TestStatusConfigParser::hostileContent_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 131) % 256);
    QTest::newRow("binary") << binary;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("unterminated section") << QByteArray("[info\nactual_ver=1.0.0\n");
    QTest::newRow("variant value") << info + "[files]\nfile1=@Variant(\\0\\0\\0\\x7f)\n" + exec;
    QTest::newRow("huge key") << info + "[files]\n" + QByteArray(200000, 'f') + "1=x\n[exec\n";
}

void TestStatusConfigParser::hostileContent()
{
    QFETCH(QByteArray, content);
    StatusConfigParser parser;
    QVERIFY(!parser.read(write(content)));
    QVERIFY(!parser.errorString().isEmpty());
}

QTEST_GUILESS_MAIN(TestStatusConfigParser)
#include "tst_statusconfigparser.moc"
