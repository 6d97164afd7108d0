#include "support/waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

namespace TestSupport {

bool waitForCount(QSignalSpy& spy, int count, int timeoutMs)
{
    return waitUntil([&] { return spy.count() >= count; }, timeoutMs);
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace TestSupport
