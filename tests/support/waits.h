#pragma once

#include <QSignalSpy>

#include <functional>

namespace TestSupport {

// Processes events until the spy holds `count` signals; false after `timeoutMs`.
bool waitForCount(QSignalSpy& spy, int count, int timeoutMs);
// Processes events until the condition holds; false after `timeoutMs`.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

} // namespace TestSupport
