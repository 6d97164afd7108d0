#include "launchrequest.h"

namespace {

QString unquoted(const QString& text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

} // namespace

bool LaunchRequest::fail(const QString& text)
{
    m_error = text;
    return false;
}

bool LaunchRequest::parse(const QStringList& arguments)
{
    m_processes.clear();
    m_application.clear();
    m_arguments.clear();
    bool inProcesses = false;
    bool haveApp = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--proc")) {
            inProcesses = true;
        } else if (arg == QLatin1String("--app")) {
            inProcesses = false;
            if (haveApp)
                return fail(QStringLiteral("--app given twice"));
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return fail(QStringLiteral("--app needs the path of the program to start"));
            m_application = arguments.at(++i);
            haveApp = true;
        } else if (arg == QLatin1String("--args")) {
            for (++i; i < arguments.size(); ++i)
                m_arguments << unquoted(arguments.at(i));
            break;
        } else if (inProcesses && !arg.startsWith(QLatin1String("--"))) {
            m_processes << unquoted(arg);
        } else {
            return fail(QStringLiteral("Unexpected argument: ") + arg);
        }
    }
    if (!haveApp)
        return fail(QStringLiteral("--app is missing"));
    return true;
}

QString LaunchRequest::usage(const QString& program)
{
    return QStringLiteral(
               "Usage: %1 --proc \"name\"... --app PATH [--args \"arg\"...]\n"
               "Waits until no process listed under one of the names is running (at most\n"
               "60 seconds), then starts PATH with the arguments and exits.\n")
        .arg(program);
}
