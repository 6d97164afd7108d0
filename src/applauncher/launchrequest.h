#pragma once

#include <QString>
#include <QStringList>

// The launcher's command line: --proc "name"... --app PATH [--args "arg"...]. Everything
// after --args belongs to the application. Names and arguments arrive wrapped in double
// quotes by the starting program; one such pair is removed.
class LaunchRequest
{
public:
    bool parse(const QStringList& arguments);

    QStringList processes() const { return m_processes; }
    QString application() const { return m_application; }
    QStringList applicationArguments() const { return m_arguments; }
    QString errorString() const { return m_error; }

    static QString usage(const QString& program);

private:
    bool fail(const QString& text);

    QStringList m_processes;
    QString m_application;
    QStringList m_arguments;
    QString m_error;
};
