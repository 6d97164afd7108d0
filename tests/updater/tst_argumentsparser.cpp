#include "argumentsparser.h"

#include <QtTest>

class TestArgumentsParser : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestArgumentsParser::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("goal");
    QTest::addColumn<bool>("silent");

    QTest::newRow("check") << QStringList{"update-qv", "-c", "2.0.0"} << QString() << 1 << false;
    QTest::newRow("check long, silent") << QStringList{"update-qv", "--check-version", "2.0.0", "-s"}
                                        << QString() << 1 << true;
    QTest::newRow("update") << QStringList{"update-qv", "-u", "10.20.30"} << QString() << 2 << false;
    QTest::newRow("update long") << QStringList{"update-qv", "--update", "1.2.3", "-x"} << QString()
                                 << 2 << false;
    QTest::newRow("too few") << QStringList{"update-qv", "-c"} << QString("Invalid arguments count")
                             << 0 << false;
    QTest::newRow("bad goal") << QStringList{"update-qv", "-x", "2.0.0"}
                              << QString("Invalid goal param: \"-x\"") << 0 << false;
    QTest::newRow("short version") << QStringList{"update-qv", "-c", "2.0"}
                                   << QString("Invalid version param: \"2.0\"") << 0 << false;
    QTest::newRow("version with suffix") << QStringList{"update-qv", "-c", "2.0.0-beta"}
                                         << QString("Invalid version param: \"2.0.0-beta\"") << 0
                                         << false;
    QTest::newRow("non-ASCII digits") << QStringList{"update-qv", "-c", QString::fromUtf8("\u0662.0.0")}
                                      << QString::fromUtf8("Invalid version param: \"\u0662.0.0\"")
                                      << 0 << false;
}

void TestArgumentsParser::parse()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QFETCH(int, goal);
    QFETCH(bool, silent);

    ArgumentsParser parser;
    QCOMPARE(parser.arguments().goal, 0);
    QCOMPARE(parser.parse(args), error.isEmpty());
    QCOMPARE(parser.errorString(), error);
    QCOMPARE(parser.arguments().goal, goal);
    QCOMPARE(parser.arguments().silent, silent);
    if (error.isEmpty())
        QCOMPARE(parser.arguments().version, args.at(2));
}

QTEST_GUILESS_MAIN(TestArgumentsParser)
#include "tst_argumentsparser.moc"
