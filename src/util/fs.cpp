#include "util/fs.h"

#include <QDebug>
#include <QDir>
#include <QFile>

namespace Util {

bool Fs::rmrf(const QString& dirPath)
{
    const QDir dir(dirPath);
    const QStringList subDirs = dir.entryList(
        QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);

    for (const QString& name : files) {
        const QString path = dir.absolutePath() + "/" + name;
        // A read-only file would refuse removal on some systems; make it writable first.
        QFile::setPermissions(path, QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup
                                        | QFile::WriteOther);
        if (!QFile::remove(path))
            return false;
    }
    for (const QString& name : subDirs) {
        if (!rmrf(dir.absolutePath() + "/" + name))
            return false;
    }
    if (!dir.rmdir(dir.absolutePath())) {
        qWarning().nospace() << "Unable to remove directory" << dir.absolutePath();
        return false;
    }
    return true;
}

} // namespace Util
