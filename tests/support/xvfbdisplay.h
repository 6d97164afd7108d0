#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <memory>

namespace TestSupport {

// A private X display (Xvfb) for tests that run the real GUI programs, optionally with a
// tray host, plus the user's moves on it (find a window, press a key in it).
class XvfbDisplay
{
public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // Starts Xvfb on a free display number; bounded wait.
    bool start(int timeoutMs = 10000);
    // Starts a tray host on the display and waits until it owns the tray selection.
    bool startTray(int timeoutMs = 10000);
    void stopTray();
    void stop();

    QString name() const { return m_name; }
    QString display() const { return m_name; }
    QString errorString() const { return m_error; }
    // The environment of a program started on this display (xcb, not offscreen).
    QProcessEnvironment environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

    // The id of a mapped window whose title matches the regular expression, waiting up to timeoutMs.
    QString waitForWindow(const QString& titlePattern, int timeoutMs = 15000) const;
    bool windowVisible(const QString& titlePattern) const;
    // Focuses the window and presses the key there, as a user would.
    bool pressKey(const QString& windowId, const QString& key) const;
    // Presses the key in the window until the window is gone (bounded).
    bool answer(const QString& windowId, const QString& key = QStringLiteral("Return")) const;

private:
    bool runTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
                 int timeoutMs = 5000) const;

    QString m_name;
    QString m_error;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_tray;
};

} // namespace TestSupport
