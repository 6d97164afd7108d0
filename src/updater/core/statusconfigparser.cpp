#include "core/statusconfigparser.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace Core {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The INI reader lists no section without keys, yet an empty rule or post_proc section is an
// error; so the section headers are also taken from the text itself.
QStringList sectionNames(const QString& path, const QStringList& known)
{
    QStringList names = known;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return names;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(64 * 1024)).trimmed();
        if (!line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']')))
            continue;
        const QString name = line.mid(1, line.size() - 2).trimmed().section(QLatin1Char('/'), 0, 0);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

} // namespace

StatusConfigParser::StatusConfigParser() = default;
StatusConfigParser::~StatusConfigParser() = default;

bool StatusConfigParser::fail(const QString& text)
{
    m_errorString = text;
    return false;
}

QString StatusConfigParser::text(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    // The INI reader splits an unquoted value at commas; a path with a comma in it is
    // still one path.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool StatusConfigParser::read(const QString& path)
{
    if (!QFileInfo::exists(path))
        return fail(tr("File %1 does not exist").arg(quoted(path)));

    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    m_actualVersion.clear();
    m_files.clear();
    m_updateRuleMap.clear();
    m_postProcExecFile.clear();
    m_appExecFile.clear();
    m_errorString.clear();

    m_actualVersion = text(QStringLiteral("info/actual_ver"));
    if (m_actualVersion.isEmpty())
        return fail(tr("Unable to read \"Actual version\" field"));

    const QStringList sections = sectionNames(path, m_settings->childGroups());
    if (!readFiles() || !readRules(sections))
        return false;

    if (sections.contains(QStringLiteral("post_proc"))) {
        m_postProcExecFile = text(QStringLiteral("post_proc/run"));
        if (m_postProcExecFile.isEmpty())
            return fail(tr("Invalid post proc exec file field"));
    }

    m_appExecFile = text(QStringLiteral("exec/app"));
    if (m_appExecFile.isEmpty())
        return fail(tr("Invalid app file at exec section"));
    return true;
}

bool StatusConfigParser::readFiles()
{
    static const QRegularExpression fileKey(QStringLiteral("file\\d+"));
    m_settings->beginGroup(QStringLiteral("files"));
    const QStringList keys = m_settings->childKeys();
    m_settings->endGroup();
    if (keys.isEmpty())
        return fail(tr("Files section does not contain files"));
    for (const QString& key : keys) {
        if (!fileKey.match(key).hasMatch())
            return fail(tr("Invalid file key %1").arg(quoted(key)));
        const QString file = text(QStringLiteral("files/") + key).trimmed();
        if (file.isEmpty())
            return fail(tr("Invalid file at %1").arg(key));
        m_files << file;
    }
    if (m_files.isEmpty())
        return fail(tr("File list is empty"));
    return true;
}

bool StatusConfigParser::readRules(const QStringList& groups)
{
    static const QRegularExpression ruleSection(
        QStringLiteral("(\\d+\\.\\d+\\.\\d+)->(\\d+\\.\\d+\\.\\d+)"));
    static const QRegularExpression actionKey(QStringLiteral("act\\d+_(add|rm)"));

    for (const QString& group : groups) {
        if (group.isEmpty() || !group.at(0).isDigit())
            continue;
        const QRegularExpressionMatch match = ruleSection.match(group);
        if (!match.hasMatch())
            return fail(tr("Invalid rule section format: %1").arg(quoted(group)));
        m_updateRuleMap.insert(UpdateRuleKey{match.captured(1), match.captured(2)}, {});
    }

    for (auto it = m_updateRuleMap.begin(); it != m_updateRuleMap.end(); ++it) {
        const QString group = it.key().groupName();
        m_settings->beginGroup(group);
        const QStringList keys = m_settings->childKeys();
        m_settings->endGroup();
        if (keys.isEmpty())
            return fail(tr("Update rule section %1 does not contain files").arg(quoted(group)));
        for (const QString& key : keys) {
            const QRegularExpressionMatch match = actionKey.match(key);
            if (!match.hasMatch())
                return fail(tr("Invalid update action %1").arg(quoted(key)));
            UpdateAction action;
            const QString word = match.captured(1);
            if (word == QLatin1String("add"))
                action.mode = UpdateAction::Add;
            else if (word == QLatin1String("rm"))
                action.mode = UpdateAction::Remove;
            else
                return fail(tr("Unknown action at %1").arg(quoted(key)));
            action.file = text(group + QLatin1Char('/') + key);
            if (action.file.isEmpty())
                return fail(tr("Empty file field at action %1").arg(quoted(key)));
            it.value() << action;
        }
    }
    return true;
}

} // namespace Core
