#include "argumentsparser.h"

#include <QRegularExpression>

bool ArgumentsParser::parse(const QStringList& args)
{
    if (args.size() < 3) {
        m_errorString = tr("Invalid arguments count");
        return false;
    }
    const QString& goal = args.at(1);
    int parsedGoal = NoGoal;
    if (goal == QLatin1String("--check-version") || goal == QLatin1String("-c")) {
        parsedGoal = CheckVersionGoal;
    } else if (goal == QLatin1String("--update") || goal == QLatin1String("-u")) {
        parsedGoal = UpdateGoal;
    } else {
        m_errorString = tr("Invalid goal param: ") + QLatin1Char('"') + goal + QLatin1Char('"');
        return false;
    }
    static const QRegularExpression versionPattern(
        QRegularExpression::anchoredPattern(QStringLiteral("\\d+\\.\\d+\\.\\d+")));
    const QString& version = args.at(2);
    if (!versionPattern.match(version).hasMatch()) {
        m_errorString = tr("Invalid version param: ") + QLatin1Char('"') + version + QLatin1Char('"');
        return false;
    }
    m_arguments.goal = parsedGoal;
    m_arguments.version = version;
    m_arguments.silent = args.size() > 3 && args.at(3) == QLatin1String("-s");
    return true;
}
