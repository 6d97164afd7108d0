#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// A private Xvfb display for running the real updater, and the user's moves on it.
class XSession
{
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts Xvfb on a display number it picks itself; bounded wait.
    bool start(int timeoutMs = 10000);
    QString display() const { return m_display; }
    QString errorString() const { return m_error; }
    QProcessEnvironment environment() const;

    // The id of a visible window whose title matches the pattern, or empty after timeoutMs.
    QString waitForWindow(const QString& titlePattern, int timeoutMs) const;
    bool windowVisible(const QString& titlePattern) const;
    // Focuses the window and presses the key until the window goes away (bounded).
    bool answer(const QString& windowId, const QString& key = QStringLiteral("Return")) const;

private:
    QByteArray xdotool(const QStringList& arguments, bool* ok = nullptr) const;

    QProcess m_xvfb;
    QString m_display;
    QString m_error;
};
