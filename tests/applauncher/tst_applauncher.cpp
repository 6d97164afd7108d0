#include "common/applauncher.h"
#include "support/waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Common::AppLauncher;

class TestAppLauncher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void launcherArguments();
    void waitsForNamedProcess();
    void startsAnywayAfterTheWaitLimit();
    void passesArgumentsUnchanged();
    void startWithoutArgumentsPassesNone();
    void badArguments_data();
    void badArguments();

private:
    // A program that records its arguments, one per line, and whether `watchPid` was gone.
    QString makeRecorder(const QString& name, qint64 watchPid = 0);
    QStringList recorded(const QString& name) const;
    int runLauncher(const QStringList& arguments, QByteArray* errors = nullptr);

    QTemporaryDir m_dir;
    const QString m_launcher = QStringLiteral(CORVALIS_BIN_DIR "/applauncher");
};

void TestAppLauncher::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::exists(m_launcher));
}

QString TestAppLauncher::makeRecorder(const QString& name, qint64 watchPid)
{
    const QString path = m_dir.path() + "/" + name;
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return QString();
    QByteArray body = "#!/bin/sh\nout=\"" + path.toUtf8() + ".out\"\n";
    if (watchPid)
        body += "ps -o stat= -p " + QByteArray::number(watchPid) + " > \"$out.state\"\n";
    body += "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n";
    script.write(body);
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList TestAppLauncher::recorded(const QString& name) const
{
    QFile file(m_dir.path() + "/" + name + ".out");
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<not started>")};
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    lines.removeLast(); // after the final line break
    return lines;
}

int TestAppLauncher::runLauncher(const QStringList& arguments, QByteArray* errors)
{
    QProcess launcher;
    launcher.start(m_launcher, arguments);
    if (!launcher.waitForFinished(90000))
        return -1;
    if (errors)
        *errors = launcher.readAllStandardError();
    return launcher.exitStatus() == QProcess::NormalExit ? launcher.exitCode() : -1;
}

void TestAppLauncher::launcherArguments()
{
    QCOMPARE(AppLauncher::launcherArguments({"a b", "/usr/bin/c"}, "/opt/app", {"-u", "x y"}),
             (QStringList{"--proc", "\"a b\"", "\"/usr/bin/c\"", "--app", "/opt/app", "--args",
                          "\"-u\"", "\"x y\""}));
    QCOMPARE(AppLauncher::launcherArguments({"p"}, "/opt/app", {}),
             (QStringList{"--proc", "\"p\"", "--app", "/opt/app"}));
}

void TestAppLauncher::waitsForNamedProcess()
{
    QProcess sleeper;
    sleeper.start("sleep", {"2"});
    QVERIFY(sleeper.waitForStarted());
    QProcess ps;
    ps.start("ps", {"-o", "args=", "-p", QString::number(sleeper.processId())});
    QVERIFY(ps.waitForFinished());
    const QString name = QString::fromLocal8Bit(ps.readAllStandardOutput()).trimmed();
    QVERIFY(!name.isEmpty());

    const QString app = makeRecorder("waiter", sleeper.processId());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(runLauncher(AppLauncher::launcherArguments({"not-running-anywhere", name}, app,
                                                        {"-wu"})), 0);
    QVERIFY(TestSupport::waitUntil([&] { return QFile::exists(m_dir.path() + "/waiter.out"); },
                                   10000));
    QCOMPARE(recorded("waiter"), QStringList{"-wu"});
    // When the application started, the process was gone (or only a zombie left to reap).
    QFile state(m_dir.path() + "/waiter.out.state");
    QVERIFY(state.open(QIODevice::ReadOnly));
    const QByteArray stat = state.readAll().trimmed();
    QVERIFY2(stat.isEmpty() || stat.startsWith('Z'), stat.constData());
    QVERIFY(clock.elapsed() >= 1000);
    sleeper.waitForFinished();
}

void TestAppLauncher::startsAnywayAfterTheWaitLimit()
{
    // A process that outlives the limit must not keep the application from starting.
    QProcess sleeper;
    sleeper.start("sleep", {"150"});
    QVERIFY(sleeper.waitForStarted());
    QProcess ps;
    ps.start("ps", {"-o", "args=", "-p", QString::number(sleeper.processId())});
    QVERIFY(ps.waitForFinished());
    const QString name = QString::fromLocal8Bit(ps.readAllStandardOutput()).trimmed();

    const QString app = makeRecorder("latecomer", sleeper.processId());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(runLauncher(AppLauncher::launcherArguments({name}, app, {})), 0);
    const qint64 waited = clock.elapsed();
    QVERIFY(TestSupport::waitUntil([&] { return QFile::exists(m_dir.path() + "/latecomer.out"); },
                                   10000));
    QVERIFY2(waited >= 59000 && waited < 80000, qPrintable(QString::number(waited)));
    QFile state(m_dir.path() + "/latecomer.out.state");
    QVERIFY(state.open(QIODevice::ReadOnly));
    QVERIFY(!state.readAll().trimmed().isEmpty()); // still running when the app started
    sleeper.kill();
    sleeper.waitForFinished();
}

void TestAppLauncher::passesArgumentsUnchanged()
{
    const QString app = makeRecorder("echoer");
    const QStringList args{"-u", "two words", "--app", "\"already quoted\"", "semi;colon $HOME",
                           QString::fromUtf8("\u00e9t\u00e9"), "--args"};
    QCOMPARE(runLauncher(AppLauncher::launcherArguments({}, app, args)), 0);
    QVERIFY(TestSupport::waitUntil([&] { return QFile::exists(m_dir.path() + "/echoer.out"); },
                                   10000));
    QCOMPARE(recorded("echoer"), args);
}

void TestAppLauncher::startWithoutArgumentsPassesNone()
{
    // start() runs the launcher next to the running program; this test is built beside it.
    QCOMPARE(QCoreApplication::applicationDirPath() + "/applauncher", m_launcher);
    const QString app = makeRecorder("bare");
    QVERIFY(AppLauncher::start({"nothing-by-this-name"}, app, {}));
    QVERIFY(TestSupport::waitUntil([&] { return QFile::exists(m_dir.path() + "/bare.out"); },
                                   10000));
    QCOMPARE(recorded("bare"), QStringList());
}

void TestAppLauncher::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("none") << QStringList();
    QTest::newRow("no app") << QStringList{"--proc", "\"x\""};
    QTest::newRow("app without path") << QStringList{"--proc", "\"x\"", "--app"};
    QTest::newRow("unknown option") << QStringList{"--proc", "\"x\"", "--wait", "--app", "/bin/true"};
    QTest::newRow("stray word") << QStringList{"stray", "--app", "/bin/true"};
    QTest::newRow("two apps") << QStringList{"--app", "/bin/true", "--app", "/bin/false"};
}

void TestAppLauncher::badArguments()
{
    QFETCH(QStringList, arguments);
    QByteArray errors;
    QCOMPARE(runLauncher(arguments, &errors), 2);
    QVERIFY2(errors.contains("Usage: applauncher --proc"), errors.constData());
}

QTEST_GUILESS_MAIN(TestAppLauncher)
#include "tst_applauncher.moc"
