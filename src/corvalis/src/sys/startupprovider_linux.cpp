#include "sys/startupprovider.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

// Login items are freedesktop autostart entries: ~/.config/autostart/*.desktop.

namespace Sys {

namespace {

QString autostartDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart");
}

// The program of an Exec value: its first argument, with the entry format's quoting undone.
QString execProgram(const QString& exec)
{
    const QString text = exec.trimmed();
    if (!text.startsWith(QLatin1Char('"')))
        return text.section(QLatin1Char(' '), 0, 0);
    QString program;
    for (int i = 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            program += text.at(++i);
        } else if (c == QLatin1Char('"')) {
            return program;
        } else {
            program += c;
        }
    }
    return QString(); // unterminated quote: not a valid entry
}

// The Exec value of the [Desktop Entry] group, empty when there is none.
QString entryExec(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    bool inMainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        } else if (inMainGroup && line.startsWith(QLatin1String("Exec"))) {
            const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
            if (key == QLatin1String("Exec"))
                return line.section(QLatin1Char('='), 1);
        }
    }
    return QString();
}

QString quotedArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QStringList matchingEntries(const QString& appPath)
{
    QStringList matches;
    const QDir dir(autostartDir());
    for (const QString& name : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files)) {
        const QString path = dir.filePath(name);
        if (execProgram(entryExec(path)) == appPath)
            matches << path;
    }
    return matches;
}

} // namespace

StartupProvider::StartupProvider(const QString& appName, const QString& appPath)
    : m_appName(appName), m_appPath(appPath)
{
}

bool StartupProvider::isAppRegistered(bool* ok) const
{
    if (ok)
        *ok = true;
    return !matchingEntries(m_appPath).isEmpty();
}

bool StartupProvider::registerApp()
{
    QDir dir(autostartDir());
    if (!dir.mkpath(QStringLiteral(".")))
        return false;
    // Never overwrite an entry of someone else's that happens to share our name.
    QString path = dir.filePath(m_appName + QStringLiteral(".desktop"));
    for (int n = 2; QFile::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.desktop").arg(m_appName).arg(n));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << m_appName << "\n"
        << "Exec=" << quotedArgument(m_appPath) << "\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n"
        // Start in the tray, without showing the main window.
        << "X-Corvalis-HideOnLaunch=true\n";
    out.flush();
    return file.commit();
}

bool StartupProvider::removeApp()
{
    const QDir dir(autostartDir());
    if (!dir.exists())
        return true; // no list, nothing to remove
    for (const QString& path : matchingEntries(m_appPath))
        QFile::remove(path);
    return true;
}

} // namespace Sys
