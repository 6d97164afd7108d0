#pragma once

#include <QMap>
#include <QString>

namespace Sys {

// The running processes by id (ordered), and termination by name or id.
class ProcessProberBase
{
public:
    ProcessProberBase() = default;
    virtual ~ProcessProberBase() = default;
    ProcessProberBase(const ProcessProberBase&) = delete;
    ProcessProberBase& operator=(const ProcessProberBase&) = delete;

    // Rebuilds the list from nothing.
    virtual bool refreshProcessList() = 0;
    // Ends the process with the lowest id whose command text is exactly `name`.
    virtual bool terminateByName(const QString& name);
    virtual bool terminateByPid(int pid) = 0;

    // Names are whole command texts: a program listed with arguments does not match its path.
    bool exists(const QString& name) const { return pidByName(name) >= 0; }
    int pidByName(const QString& name) const;
    const QMap<int, QString>& processes() const { return m_processes; }

    int error() const { return m_error; }
    QString errorString() const { return m_errorString; }

protected:
    void setError(int code, const QString& message);

    QMap<int, QString> m_processes;
    int m_error = 0;
    QString m_errorString;
};

} // namespace Sys
