#include "torrent/client/bencodeconfig.h"

#include <QFile>
#include <QSaveFile>

namespace Torrent::Client {

bool BencodeConfig::readFile()
{
    m_haveContent = false;
    QFile file(m_path);
    if (!file.exists()) {
        setError(2, QStringLiteral("File not exists: \"%1\"").arg(m_path));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setError(2, QStringLiteral("Error when opening file: \"%1\"").arg(m_path));
        return false;
    }
    const QByteArray content = file.readAll();
    if (content.isEmpty()) {
        setError(2, QStringLiteral("Error when reading file: empty content. QFile error: ") + file.errorString());
        return false;
    }
    if (!m_parser.parse(content)) {
        setError(2, QStringLiteral("Error when parsing file: \"%1\"").arg(m_parser.errorString()));
        return false;
    }
    m_haveContent = true;
    return true;
}

bool BencodeConfig::parseParams()
{
    return parseListenPort() && parseProxyType() && parseProxyAddress() && parseProxyPort()
        && parseDownloadPath();
}

bool BencodeConfig::writeParams()
{
    return writeListenPort() && writeProxyType() && writeProxyAddress() && writeProxyPort()
        && writeDownloadPath();
}

bool BencodeConfig::writeFile()
{
    // Writing what little the steps added would replace the client's settings, which could
    // not be read, with nearly nothing.
    if (!m_haveContent) {
        setError(3, QStringLiteral("No settings read from \"%1\" to write back").arg(m_path));
        return false;
    }
    bool ok = false;
    const QByteArray content = m_writer.makeContent(m_parser.dictionary(), &ok);
    if (!ok) {
        setError(3, QStringLiteral("Error when making content for bencode-file"));
        return false;
    }
    if (content.isEmpty()) {
        setError(3, QStringLiteral("Empty content for write"));
        return false;
    }
    // Written beside the file and renamed over it, so a failed write leaves the client's
    // settings as they were.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(3, QStringLiteral("Error open file in write mode: \"%1\"; QFile error: %2")
                        .arg(m_path, file.errorString()));
        return false;
    }
    if (file.write(content) != content.size() || !file.commit()) {
        setError(3, QStringLiteral("Writing file error; QFile error: ") + file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

void BencodeConfig::applyFields(const QList<QPair<QByteArray, QVariant>>& fields)
{
    for (const auto& field : fields) {
        if (field.second.isValid())
            values().insert(field.first, field.second);
        else
            values().remove(field.first);
    }
}

bool BencodeConfig::isInteger(const QVariant& value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int;
}

} // namespace Torrent::Client
