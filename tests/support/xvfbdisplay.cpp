#include "support/xvfbdisplay.h"

#include "support/waits.h"

#include <QDeadlineTimer>
#include <QThread>

namespace TestSupport {

namespace {

void stopProcess(std::unique_ptr<QProcess>& process)
{
    if (!process)
        return;
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
    process.reset();
}

} // namespace

XvfbDisplay::~XvfbDisplay()
{
    stop();
}

bool XvfbDisplay::start(int timeoutMs)
{
    m_xvfb = std::make_unique<QProcess>();
    // -displayfd: Xvfb picks a free display and prints its number once it accepts clients;
    // -noreset keeps it from resetting (and refusing connections) whenever the last program ends.
    m_xvfb->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                          QStringLiteral("-noreset"),
                                          QStringLiteral("-screen"), QStringLiteral("0"),
                                          QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                          QStringLiteral("tcp")});
    if (!m_xvfb->waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("Xvfb did not start: ") + m_xvfb->errorString();
        return false;
    }
    QByteArray number;
    QDeadlineTimer deadline(timeoutMs);
    while (!number.contains('\n') && !deadline.hasExpired() && m_xvfb->state() == QProcess::Running) {
        m_xvfb->waitForReadyRead(100);
        number += m_xvfb->readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_error = QStringLiteral("Xvfb gave no display: ") + QString::fromLocal8Bit(m_xvfb->readAllStandardError());
        stop();
        return false;
    }
    m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

bool XvfbDisplay::startTray(int timeoutMs)
{
    m_tray = std::make_unique<QProcess>();
    m_tray->setProcessEnvironment(environment());
    m_tray->start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top"),
                                            QStringLiteral("--widthtype"), QStringLiteral("request")});
    if (!m_tray->waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("trayer did not start: ") + m_tray->errorString();
        return false;
    }
    // trayer maps its window once it has taken the tray selection.
    const bool owned = waitUntil([this] {
        QByteArray out;
        return m_tray->state() == QProcess::Running
               && runTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--class"), QStringLiteral("trayer")}, &out)
               && !out.trimmed().isEmpty();
    }, timeoutMs);
    if (!owned)
        m_error = QStringLiteral("trayer did not come up");
    // Give the selection owner a moment after its window appears.
    QThread::msleep(300);
    return owned;
}

void XvfbDisplay::stopTray()
{
    stopProcess(m_tray);
}

void XvfbDisplay::stop()
{
    stopProcess(m_tray);
    stopProcess(m_xvfb);
}

QProcessEnvironment XvfbDisplay::environment(QProcessEnvironment base) const
{
    base.insert(QStringLiteral("DISPLAY"), m_name);
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return base;
}

bool XvfbDisplay::runTool(const QString& program, const QStringList& arguments, QByteArray* output,
                          int timeoutMs) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = tool.readAllStandardOutput();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QString XvfbDisplay::waitForWindow(const QString& titlePattern, int timeoutMs) const
{
    QString id;
    waitUntil([&] {
        QByteArray out;
        if (!runTool(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titlePattern},
                     &out))
            return false;
        id = QString::fromLatin1(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0);
        return !id.isEmpty();
    }, timeoutMs);
    return id;
}

bool XvfbDisplay::windowVisible(const QString& titlePattern) const
{
    QByteArray out;
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titlePattern}, &out);
    return !out.trimmed().isEmpty();
}

bool XvfbDisplay::answer(const QString& windowId, const QString& key) const
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        pressKey(windowId, key);
        QByteArray out;
        runTool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QStringLiteral(".")},
                &out);
        bool stillThere = false;
        for (const QByteArray& id : out.split('\n'))
            stillThere = stillThere || QString::fromLatin1(id.trimmed()) == windowId;
        if (!stillThere)
            return true;
        QThread::msleep(250);
    }
    return false;
}

bool XvfbDisplay::pressKey(const QString& windowId, const QString& key) const
{
    // No window manager runs here: focus the window ourselves, then type through XTEST.
    runTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    return runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
}

} // namespace TestSupport
