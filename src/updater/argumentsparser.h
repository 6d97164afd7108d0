#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The updater's command line: goal, current version and the optional "-s".
class ArgumentsParser
{
    Q_DECLARE_TR_FUNCTIONS(ArgumentsParser)

public:
    enum Goal { NoGoal = 0, CheckVersionGoal = 1, UpdateGoal = 2 };

    struct Arguments
    {
        int goal = NoGoal;
        QString version;
        bool silent = false;
    };

    bool parse(const QStringList& args);
    Arguments arguments() const { return m_arguments; }
    QString errorString() const { return m_errorString; }

private:
    Arguments m_arguments;
    QString m_errorString;
};
