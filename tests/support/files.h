#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// The whole file, or `fallback` when it cannot be read.
QByteArray readFile(const QString& path, const QByteArray& fallback = QByteArray());
// Replaces the file with `bytes`, creating missing parent folders; true when all was written.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace TestSupport
