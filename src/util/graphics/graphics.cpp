#include "util/graphics/graphics.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <optional>

namespace Util {

namespace {

std::optional<QString> readStyleSheet(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "src/util/graphics" << "setStyleSheet():"
                   << qPrintable(QStringLiteral("qss file \"%1\" not found!").arg(path));
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

bool Graphics::setStyleSheet(const QString& path, QWidget* target)
{
    const std::optional<QString> sheet = readStyleSheet(path);
    if (!sheet)
        return false;
    target->setStyleSheet(*sheet);
    return true;
}

bool Graphics::setStyleSheet(const QString& path, QApplication* target)
{
    const std::optional<QString> sheet = readStyleSheet(path);
    if (!sheet)
        return false;
    target->setStyleSheet(*sheet);
    return true;
}

void Graphics::moveWindowToCenter(QWidget* widget)
{
    moveWindowToCenter(widget, QPoint());
}

void Graphics::moveWindowToCenter(QWidget* widget, const QPoint& offset)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = widget->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    widget->move(frame.topLeft() + offset);
}

void Graphics::setWidgetUnderlined(QWidget* widget, bool underlined)
{
    QFont font = widget->font();
    font.setUnderline(underlined);
    widget->setFont(font);
}

} // namespace Util
