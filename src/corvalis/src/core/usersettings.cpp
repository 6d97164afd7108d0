#include "core/usersettings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

#include <limits>

namespace Core {

namespace {

const QString serversGroup = QStringLiteral("serversList");
const QString serverPrefix = QStringLiteral("server");
const QString serviceGroup = QStringLiteral("service");
const QString accountGroup = QStringLiteral("account");

const QString addressKey = QStringLiteral("address");
const QString nameKey = QStringLiteral("name");
const QString portKey = QStringLiteral("port");
const QString proxyPortKey = QStringLiteral("proxy_port");
const QString maxSessionsKey = QStringLiteral("max_sessions");
const QString updateServerKey = QStringLiteral("update_server");
const QString verifyServerKey = QStringLiteral("verify_server");
const QString loginKey = QStringLiteral("login");
const QString passwordKey = QStringLiteral("password");
const QString qvLoginKey = QStringLiteral("qv_login");
const QString qvPasswordKey = QStringLiteral("qv_password");

constexpr int defaultProxyPort = 1080;
constexpr int defaultMaxSessions = 5;

bool isPort(int value)
{
    return value > 0 && value <= 65535;
}

bool isUsableUrl(const QUrl& url)
{
    return !url.isEmpty() && url.isValid();
}

// An unquoted value with a comma comes back from the INI parser as a list; a hand-edited
// "name=Frankfurt, Germany" is still one name.
QString textValue(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

int intValue(const QSettings& settings, const QString& key, bool* ok)
{
    const QVariant value = settings.value(key);
    if (!value.isValid() || value.typeId() == QMetaType::QStringList) {
        *ok = false;
        return 0;
    }
    // The variant's own int conversion wraps values beyond the int range (4294967318
    // would become 22); go through 64 bits and check the range.
    const qlonglong number = value.toLongLong(ok);
    if (*ok && (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()))
        *ok = false;
    return *ok ? int(number) : 0;
}

// Closes the file to everyone but its owner; with create, a missing file is made so,
// empty, before anything is written into it.
bool restrictToOwner(const QString& path, bool create)
{
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!create)
            return true;
        if (!QDir().mkpath(info.absolutePath()))
            return false;
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly);
    }
    return QFile::setPermissions(path, ownerOnly);
}

} // namespace

UserSettings* UserSettings::s_instance = nullptr;

UserSettings* UserSettings::instance()
{
    if (!s_instance)
        s_instance = new UserSettings;
    return s_instance;
}

void UserSettings::freeInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

UserSettings::UserSettings() = default;

UserSettings::~UserSettings()
{
    clearSubscriptions();
}

bool UserSettings::open(const QString& path)
{
    if (m_settings) {
        m_settings.reset();
        m_errorString.clear();
        m_servers.clear();
        m_service = Service();
        const QString authKey = m_account.authKey;
        m_account = Account();
        m_account.authKey = authKey;
    }
    // The file holds the SSH password in clear text: an older, readable copy is closed
    // to other users as soon as it is opened.
    if (!restrictToOwner(path, false))
        qWarning("Unable to restrict the permissions of the user settings file");
    // Qt 6 reads and writes INI files as UTF-8.
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    return true;
}

bool UserSettings::read()
{
    m_errorString.clear();
    if (!m_settings) {
        m_errorString = QStringLiteral("User settings file is not open");
        return false;
    }
    m_servers.clear();
    if (!readServers() || !readService())
        return false;
    readAccount();
    return true;
}

bool UserSettings::write()
{
    m_errorString.clear();
    if (!m_settings) {
        m_errorString = QStringLiteral("User settings file is not open");
        return false;
    }
    // Created private before anything is handed to the settings class: it replaces the
    // file by a copy that takes over the permissions of the one in place, and values it
    // holds may be stored by it later (a fresh object below, the end of the program).
    const QString path = m_settings->fileName();
    if (!restrictToOwner(path, true)) {
        m_errorString = QStringLiteral("Unable to create user settings file");
        return false;
    }
    // The settings class keeps its first error for good; after a failed flush a fresh
    // object tells whether this one succeeds (every key is set again from memory).
    if (m_settings->status() == QSettings::AccessError)
        m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    bool ok = writeServers() && writeService();
    writeAccount();

    m_settings->sync();
    // Left queued, the settings class would store again from the event loop on its own,
    // after a failed flush too, past the permission handling here.
    QCoreApplication::removePostedEvents(m_settings.get(), QEvent::UpdateRequest);
    if (m_settings->status() == QSettings::AccessError) {
        m_errorString = QStringLiteral("Unable to write user settings file");
        ok = false;
    }
    if (!restrictToOwner(path, false)) {
        m_errorString = QStringLiteral("Unable to restrict the permissions of the user settings file");
        ok = false;
    }
    return ok;
}

void UserSettings::setSubscriptions(const QList<Subscription*>& subscriptions)
{
    // A copy first: the list handed in may be this object's own.
    const QList<Subscription*> incoming = subscriptions;
    for (Subscription* old : std::as_const(m_subscriptions)) {
        if (!incoming.contains(old))
            delete old;
    }
    m_subscriptions = incoming;
}

void UserSettings::clearSubscriptions()
{
    qDeleteAll(m_subscriptions);
    m_subscriptions.clear();
}

bool UserSettings::readServers()
{
    m_settings->beginGroup(serversGroup);
    const int count = m_settings->childGroups().size();
    m_settings->endGroup();
    if (count == 0) {
        m_errorString = QStringLiteral("Server sections not found");
        return false;
    }
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        Server server;
        if (readServer(i, &server))
            m_servers << server;
        else
            ok = false;
    }
    return ok;
}

bool UserSettings::readServer(int index, Server* server)
{
    const QString section = QString::number(index);
    m_settings->beginGroup(serversGroup + QLatin1Char('/') + serverPrefix + section);
    struct GroupGuard
    {
        QSettings* settings;
        ~GroupGuard() { settings->endGroup(); }
    } guard{m_settings.get()};

    server->address = QUrl(textValue(*m_settings, addressKey));
    if (!isUsableUrl(server->address)) {
        m_errorString = QStringLiteral("Server address at section #") + section + QStringLiteral(" not found");
        return false;
    }
    const QString neutralName = textValue(*m_settings, nameKey);
    if (neutralName.isEmpty()) {
        m_errorString = QStringLiteral("Server C-name at section #") + section + QStringLiteral(" not found");
        return false;
    }
    server->names.insert(QLocale::C, neutralName);

    bool ok = false;
    server->port = intValue(*m_settings, portKey, &ok);
    if (!ok || !isPort(server->port)) {
        server->port = -1;
        m_errorString = QStringLiteral("Server port at section #") + section + QStringLiteral(" not found");
        return false;
    }
    server->proxyPort = intValue(*m_settings, proxyPortKey, &ok);
    if (!ok || !isPort(server->proxyPort))
        server->proxyPort = defaultProxyPort;
    server->maxSessions = intValue(*m_settings, maxSessionsKey, &ok);
    if (!ok)
        server->maxSessions = defaultMaxSessions;

    static const QRegularExpression localizedName(QStringLiteral("name_(\\w{2})"));
    const QStringList keys = m_settings->childKeys();
    for (const QString& key : keys) {
        const QRegularExpressionMatch match = localizedName.match(key);
        if (!match.hasMatch())
            continue;
        // An unknown code must not land on the neutral name.
        const QLocale::Language language = QLocale::codeToLanguage(match.capturedView(1));
        if (language == QLocale::AnyLanguage || language == QLocale::C)
            continue;
        server->names.insert(language, textValue(*m_settings, key));
    }
    return true;
}

bool UserSettings::readService()
{
    m_settings->beginGroup(serviceGroup);
    const bool complete = m_settings->contains(updateServerKey) && m_settings->contains(verifyServerKey);
    if (complete) {
        m_service.updateServer = QUrl(textValue(*m_settings, updateServerKey));
        m_service.verifyServer = QUrl(textValue(*m_settings, verifyServerKey));
    }
    m_settings->endGroup();
    if (!complete) {
        m_errorString = QStringLiteral("Invalid service section");
        return false;
    }
    return true;
}

void UserSettings::readAccount()
{
    m_settings->beginGroup(accountGroup);
    if (m_settings->contains(loginKey) && m_settings->contains(passwordKey)) {
        m_account.login = textValue(*m_settings, loginKey);
        m_account.password = textValue(*m_settings, passwordKey);
    }
    if (m_settings->contains(qvLoginKey) && m_settings->contains(qvPasswordKey)) {
        m_account.qvLogin = textValue(*m_settings, qvLoginKey);
        m_account.qvPassword = textValue(*m_settings, qvPasswordKey);
    }
    m_settings->endGroup();
}

bool UserSettings::writeServers()
{
    bool ok = true;
    if (m_servers.isEmpty()) {
        m_errorString = QStringLiteral("Server list is empty; nothing to write");
        ok = false;
    }
    QList<const Server*> valid;
    for (const Server& server : std::as_const(m_servers)) {
        if (server.names.isEmpty() || !isUsableUrl(server.address)) {
            m_errorString = QStringLiteral("Error when writing server params; empty field occurred");
            ok = false;
        } else if (server.names.value(QLocale::C).isEmpty()) {
            m_errorString = QStringLiteral("Server entry must contains at least name for \"C\" locale");
            ok = false;
        } else if (!isPort(server.port)) {
            m_errorString = QStringLiteral("Invalid port value");
            ok = false;
        } else {
            valid << &server;
        }
    }
    // Sections are numbered without gaps, or the next read fails at the gap. With nothing
    // valid to write, the servers in the file stay as they are.
    if (valid.isEmpty())
        return false;

    m_settings->beginGroup(serversGroup);
    m_settings->remove(QString());
    for (int i = 0; i < valid.size(); ++i) {
        const Server& server = *valid.at(i);
        m_settings->beginGroup(serverPrefix + QString::number(i));
        m_settings->setValue(addressKey, server.address.toString());
        m_settings->setValue(portKey, server.port);
        m_settings->setValue(proxyPortKey, server.proxyPort);
        m_settings->setValue(nameKey, server.names.value(QLocale::C));
        for (auto it = server.names.cbegin(); it != server.names.cend(); ++it) {
            if (it.key() == QLocale::C || it.key() == QLocale::AnyLanguage)
                continue;
            // Only two-letter codes can be read back.
            const QString code = QLocale::languageToCode(it.key(), QLocale::ISO639Part1);
            if (code.size() == 2)
                m_settings->setValue(nameKey + QLatin1Char('_') + code, it.value());
        }
        m_settings->endGroup();
    }
    m_settings->endGroup();
    return ok;
}

bool UserSettings::writeService()
{
    if (!isUsableUrl(m_service.updateServer) || !isUsableUrl(m_service.verifyServer)) {
        m_errorString = QStringLiteral("Error when writing: invalid service section");
        return false;
    }
    m_settings->beginGroup(serviceGroup);
    m_settings->setValue(updateServerKey, m_service.updateServer.toString());
    m_settings->setValue(verifyServerKey, m_service.verifyServer.toString());
    m_settings->endGroup();
    return true;
}

void UserSettings::writeAccount()
{
    m_settings->beginGroup(accountGroup);
    if (!m_account.login.isEmpty() && !m_account.password.isEmpty()) {
        m_settings->setValue(loginKey, m_account.login);
        m_settings->setValue(passwordKey, m_account.password);
        m_settings->setValue(qvLoginKey, m_account.qvLogin);
        m_settings->setValue(qvPasswordKey, m_account.qvPassword);
    } else {
        m_settings->remove(QString());
    }
    m_settings->endGroup();
}

} // namespace Core
