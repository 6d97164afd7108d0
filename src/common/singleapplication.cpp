#include "common/singleapplication.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

namespace Common {

namespace {

constexpr char ackByte = '\x06';
constexpr int connectProbeMs = 1000;

bool canConnect(const QString& socketPath)
{
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    return probe.waitForConnected(connectProbeMs);
}

} // namespace

SingleApplication::SingleApplication(const QString& id, int& argc, char** argv)
    : QApplication(argc, argv), m_id(id)
{
    // The socket lives in the per-user runtime folder, so each user (and each test
    // environment with its own XDG_RUNTIME_DIR) has its own instance.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_socketPath = dir + QLatin1Char('/') + id + QLatin1String(".instance");
    listenOrDetectRunning();
}

SingleApplication::~SingleApplication() = default;

void SingleApplication::listenOrDetectRunning()
{
    // Serialise the check-and-listen step: two starts at the same moment must not both
    // think they are first, nor remove each other's socket.
    QLockFile lock(m_socketPath + QLatin1String(".lock"));
    lock.setStaleLockTime(10000);
    lock.tryLock(5000);

    if (canConnect(m_socketPath)) {
        m_running = true;
        return;
    }
    QLocalServer::removeServer(m_socketPath); // stale socket of a crashed instance
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        qWarning() << "Unable to listen for other instances:" << m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleApplication::handleConnection);
}

bool SingleApplication::sendMessage(const QString& message, int timeoutMs)
{
    if (!m_running)
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << message;
    socket.write(payload);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char ack = 0;
    return socket.getChar(&ack) && ack == ackByte;
}

void SingleApplication::handleConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QString message;
            in >> message;
            if (!in.commitTransaction())
                return; // wait for the rest
            socket->putChar(ackByte);
            socket->flush();
            emit messageReceived(message);
            if (m_activateOnMessage)
                activateWindow();
        });
    }
}

void SingleApplication::setActivationWindow(QWidget* window, bool activateOnMessage)
{
    m_activationWindow = window;
    m_activateOnMessage = activateOnMessage;
}

QWidget* SingleApplication::activationWindow() const
{
    return m_activationWindow;
}

void SingleApplication::activateWindow()
{
    if (!m_activationWindow)
        return;
    m_activationWindow->setWindowState(m_activationWindow->windowState() & ~Qt::WindowMinimized);
    m_activationWindow->raise();
    m_activationWindow->activateWindow();
}

} // namespace Common
