#pragma once

#include <QCoreApplication>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace Core {

// Reads and validates the update server's status file: the newest version, the release's
// files, the update rules between versions, post-processing and the executable.
class StatusConfigParser
{
    Q_DECLARE_TR_FUNCTIONS(StatusConfigParser)

public:
    // A rule section "from->to".
    struct UpdateRuleKey
    {
        QString from;
        QString to;

        QString groupName() const { return from + QLatin1String("->") + to; }
        // Ordered by the two versions written one after the other; the first version breaks
        // the rare tie (1.0.0->11.0.0 against 1.0.01->1.0.0), which would otherwise merge
        // two different rules.
        bool operator<(const UpdateRuleKey& other) const
        {
            const QString mine = from + to;
            const QString theirs = other.from + other.to;
            return mine != theirs ? mine < theirs : from < other.from;
        }
        bool operator==(const UpdateRuleKey& other) const
        {
            return from == other.from && to == other.to;
        }
    };

    struct UpdateAction
    {
        enum Mode { Add = 1, Remove = 2 };

        int mode = 0;
        QString file;

        bool operator==(const UpdateAction& other) const
        {
            return mode == other.mode && file == other.file;
        }
    };

    using UpdateRuleMap = QMap<UpdateRuleKey, QList<UpdateAction>>;

    StatusConfigParser();
    ~StatusConfigParser();
    StatusConfigParser(const StatusConfigParser&) = delete;
    StatusConfigParser& operator=(const StatusConfigParser&) = delete;

    bool read(const QString& path);

    QString actualVersion() const { return m_actualVersion; }
    QStringList files() const { return m_files; }
    UpdateRuleMap updateRuleMap() const { return m_updateRuleMap; }
    QString postProcExecFile() const { return m_postProcExecFile; }
    QString appExecFile() const { return m_appExecFile; }
    QString errorString() const { return m_errorString; }

private:
    bool fail(const QString& text);
    bool readFiles();
    bool readRules(const QStringList& sections);
    QString text(const QString& key) const;

    QString m_actualVersion;
    QStringList m_files;
    UpdateRuleMap m_updateRuleMap;
    QString m_postProcExecFile;
    QString m_appExecFile;
    QString m_errorString;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace Core
