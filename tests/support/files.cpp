#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace TestSupport {

QByteArray readFile(const QString& path, const QByteArray& fallback)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : fallback;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace TestSupport
