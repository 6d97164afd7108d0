#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

// A throw-away HOME with its own XDG folders, so a test never touches the user's files.
// The previous environment comes back on destruction.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString dataHome() const { return path() + "/.local/share"; }
    QString configHome() const { return path() + "/.config"; }
    QString stateHome() const { return path() + "/.local/state"; }
    QString runtimeDir() const { return path() + "/run"; }

private:
    void setVariable(const char* name, const QString& value);

    QTemporaryDir m_dir;
    QMap<QByteArray, QByteArray> m_saved;
    QList<QByteArray> m_unset;
};

} // namespace TestSupport
