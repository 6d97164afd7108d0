#pragma once

#include <QPoint>
#include <QString>

class QApplication;
class QWidget;

namespace Util {

class Graphics
{
public:
    // Applies a UTF-8 style sheet from a file or resource; a missing one is only a warning.
    static bool setStyleSheet(const QString& path, QWidget* target);
    static bool setStyleSheet(const QString& path, QApplication* target);
    static void moveWindowToCenter(QWidget* widget);
    static void moveWindowToCenter(QWidget* widget, const QPoint& offset);
    static void setWidgetUnderlined(QWidget* widget, bool underlined);
};

} // namespace Util
