#pragma once

#include <QApplication>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

namespace Common {

// An application object of which one instance runs per user and identifier. Later starts
// hand a message to the running one over a local socket and learn whether it arrived.
class SingleApplication : public QApplication
{
    Q_OBJECT

public:
    SingleApplication(const QString& id, int& argc, char** argv);
    ~SingleApplication() override;

    QString id() const { return m_id; }
    // True when another process holds the identifier.
    bool isRunning() const { return m_running; }
    // Sends the message to the running instance; true once it confirmed receipt.
    bool sendMessage(const QString& message, int timeoutMs = 5000);

    void setActivationWindow(QWidget* window, bool activateOnMessage = true);
    QWidget* activationWindow() const;

public slots:
    void activateWindow();

signals:
    void messageReceived(const QString& message);

private:
    void listenOrDetectRunning();
    void handleConnection();

    QString m_id;
    QString m_socketPath;
    bool m_running = false;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_activationWindow;
    bool m_activateOnMessage = false;
};

} // namespace Common
