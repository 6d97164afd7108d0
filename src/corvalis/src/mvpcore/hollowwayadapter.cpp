#include "mvpcore/hollowwayadapter.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QMutex>
#include <QThread>

namespace {

// Guards the singleton pointer against the library's session thread.
QMutex g_instanceMutex;
HollowwayAdapter* g_instance = nullptr;

} // namespace

HollowwayAdapter* HollowwayAdapter::instance()
{
    HollowwayAdapter* created = nullptr;
    {
        QMutexLocker locker(&g_instanceMutex);
        if (g_instance)
            return g_instance;
        created = g_instance = new HollowwayAdapter;
    }
    // Outside the instance lock: the library reports under its own lock and the report
    // takes the instance lock, so registering while holding it could deadlock.
    hollowway_set_status_callback(status_callback);
    return created;
}

void HollowwayAdapter::freeInstance()
{
    HollowwayAdapter* adapter = nullptr;
    {
        QMutexLocker locker(&g_instanceMutex);
        adapter = g_instance;
    }
    delete adapter;
}

HollowwayAdapter::HollowwayAdapter()
{
    qRegisterMetaType<HollowwayAdapter::Status>("HollowwayAdapter::Status");
    m_statusMap.insert(HOLLOWWAY_STATUS_DISCONNECTED, Disconnected);
    m_statusMap.insert(HOLLOWWAY_STATUS_CONNECTING, Connecting);
    m_statusMap.insert(HOLLOWWAY_STATUS_CONNECTED, Connected);
    m_statusMap.insert(HOLLOWWAY_STATUS_RESERVED, Reserved);
    // The status callback is registered by instance(), once this object is the singleton.
}

HollowwayAdapter::~HollowwayAdapter()
{
    {
        QMutexLocker locker(&g_instanceMutex);
        if (g_instance == this)
            g_instance = nullptr;
    }
    if (m_started) {
        // No stopped() at exit: nobody is left to hear it.
        m_emitStoppedOnCallback = false;
        hollowway_stop_remote_forward(stop_callback);
    }
}

bool HollowwayAdapter::setParams(const QString& host, int sshPort, int maxSessions,
                                 const QString& login, const QString& password)
{
    if (static_cast<unsigned int>(sshPort) >= 65536u) {
        m_errorString = QStringLiteral("setParams() : sshServerPort \"%1\" is not valid").arg(sshPort);
        return false;
    }
    m_host = host;
    m_sshPort = sshPort;
    m_maxSessions = maxSessions;
    m_login = login;
    m_password = password;
    return true;
}

void HollowwayAdapter::start()
{
    QHostAddress address;
    if (address.setAddress(m_host)) {
        continueStarting(m_host);
        return;
    }
    QHostInfo::lookupHost(m_host, this, &HollowwayAdapter::sshServerAddressLookedUp);
}

void HollowwayAdapter::sshServerAddressLookedUp(const QHostInfo& host)
{
    if (host.error() != QHostInfo::NoError || host.addresses().isEmpty()) {
        fail(tr("Ssh server address lookup failed: ") + host.errorString()
             + tr(", probably there is no internet connection."));
        return;
    }
    continueStarting(host.addresses().constFirst().toString());
}

void HollowwayAdapter::continueStarting(const QString& address)
{
    const QByteArray host = address.toLatin1();
    const QByteArray login = m_login.toLatin1();
    const QByteArray password = m_password.toLatin1();
    if (hollowway_set_params(host.constData(), static_cast<unsigned short>(m_sshPort),
                             static_cast<unsigned short>(m_maxSessions), login.constData(),
                             password.constData())
        != 0) {
        fail(QStringLiteral("setParams() : libhollowway internal error: ")
             + QString::fromLocal8Bit(hollowway_last_error()));
        return;
    }
    // Once the local forward exists, new parameters alone start the next SSH session.
    if (m_localForwardStarted) {
        hollowway_start_remote_forward(start_callback);
        m_started = true;
        return;
    }
    unsigned short port = 0;
    if (hollowway_start_local_forward(&port) != 0) {
        fail(QStringLiteral("start() : libhollowway internal error: ")
             + QString::fromLocal8Bit(hollowway_last_error()));
        return;
    }
    m_proxyPort = port;
    m_localForwardStarted = true;
    // Set before registering: an already connected tunnel answers inside this call.
    m_started = true;
    hollowway_start_remote_forward(start_callback);
}

bool HollowwayAdapter::stop(bool emitStopped)
{
    if (!m_started)
        return true;
    m_emitStoppedOnCallback = emitStopped;
    return hollowway_stop_remote_forward(stop_callback) != 0;
}

void HollowwayAdapter::fail(const QString& text)
{
    m_errorString = text;
    emit errorOccurred();
}

void HollowwayAdapter::requestStatistics(unsigned long long* incoming, unsigned long long* outgoing)
{
    hollowway_traffic_stats(incoming, outgoing);
}

void HollowwayAdapter::startStatisticsGathering()
{
    hollowway_enable_traffic_stats();
}

void HollowwayAdapter::stopStatisticsGathering()
{
    hollowway_disable_traffic_stats();
}

void HollowwayAdapter::resetStatistics()
{
    hollowway_reset_traffic_stats();
}

void HollowwayAdapter::onStatus(hollowway_status status)
{
    m_status = m_statusMap.value(status, Disconnected);
    emit statusChanged(m_status);
}

void HollowwayAdapter::onStart(unsigned short port)
{
    m_listenPort = port;
    if (port != 0) {
        emit started(m_proxyPort, port);
        return;
    }
    // The library reports port 0 at the end of every session, also after a drop.
    fail(tr("Unable to connect to server"));
}

void HollowwayAdapter::onStop()
{
    m_started = false;
    if (m_emitStoppedOnCallback)
        emit stopped();
}

template <typename Call>
void HollowwayAdapter::deliver(Call call)
{
    QMutexLocker locker(&g_instanceMutex);
    HollowwayAdapter* adapter = g_instance;
    if (!adapter)
        return;
    if (QThread::currentThread() == adapter->thread()) {
        locker.unlock();
        call(adapter);
        return;
    }
    // Queued to the adapter itself: dropped by Qt if the adapter is deleted meanwhile.
    QMetaObject::invokeMethod(adapter, [adapter, call] { call(adapter); }, Qt::QueuedConnection);
}

void HollowwayAdapter::status_callback(hollowway_status status)
{
    deliver([status](HollowwayAdapter* adapter) { adapter->onStatus(status); });
}

void HollowwayAdapter::start_callback(unsigned short port)
{
    deliver([port](HollowwayAdapter* adapter) { adapter->onStart(port); });
}

void HollowwayAdapter::stop_callback(unsigned short /*code*/)
{
    deliver([](HollowwayAdapter* adapter) { adapter->onStop(); });
}
