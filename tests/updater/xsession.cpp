#include "xsession.h"

#include "support/waits.h"

#include <QFile>

XSession::~XSession()
{
    if (m_xvfb.state() != QProcess::NotRunning) {
        m_xvfb.terminate();
        if (!m_xvfb.waitForFinished(3000)) {
            m_xvfb.kill();
            m_xvfb.waitForFinished(3000);
        }
    }
}

bool XSession::start(int timeoutMs)
{
    // -displayfd lets the server choose a free display and tell us its number; -noreset
    // keeps it from resetting (and refusing connections) whenever the last program ends.
    m_xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                         QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                         QStringLiteral("-noreset"),
                                         QStringLiteral("-screen"), QStringLiteral("0"),
                                         QStringLiteral("1280x800x24")});
    if (!m_xvfb.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("Xvfb: ") + m_xvfb.errorString();
        return false;
    }
    QByteArray number;
    const bool ready = TestSupport::waitUntil([&] {
        number += m_xvfb.readAllStandardOutput();
        return number.contains('\n') || m_xvfb.state() == QProcess::NotRunning;
    }, timeoutMs);
    if (!ready || m_xvfb.state() == QProcess::NotRunning) {
        m_error = QStringLiteral("Xvfb did not start: ")
            + QString::fromLocal8Bit(m_xvfb.readAllStandardError());
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

QByteArray XSession::xdotool(const QStringList& arguments, bool* ok) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(QStringLiteral("xdotool"), arguments);
    const bool finished = tool.waitForStarted(5000) && tool.waitForFinished(5000);
    if (!finished)
        tool.kill();
    if (ok)
        *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return tool.readAllStandardOutput();
}

bool XSession::windowVisible(const QString& titlePattern) const
{
    return !xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--name"), titlePattern}).trimmed().isEmpty();
}

QString XSession::waitForWindow(const QString& titlePattern, int timeoutMs) const
{
    QString id;
    TestSupport::waitUntil([&] {
        const QByteArray out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), titlePattern});
        id = QString::fromLatin1(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0);
        return !id.isEmpty();
    }, timeoutMs);
    return id;
}

bool XSession::answer(const QString& windowId, const QString& key) const
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId,
                 QStringLiteral("key"), key});
        bool stillThere = false;
        const QByteArray out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral(".")});
        for (const QByteArray& id : out.split('\n'))
            stillThere = stillThere || QString::fromLatin1(id.trimmed()) == windowId;
        if (!stillThere)
            return true;
        TestSupport::waitUntil([] { return false; }, 250);
    }
    return false;
}
