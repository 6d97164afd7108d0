#pragma once

#include <QIODevice>

namespace TestSupport {

// A device that opens but refuses every write, for testing write-error paths.
class FailingDevice : public QIODevice
{
public:
    using QIODevice::QIODevice;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

} // namespace TestSupport
