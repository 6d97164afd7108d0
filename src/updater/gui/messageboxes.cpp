#include "gui/messageboxes.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMessageBox>

namespace Gui {

void MessageBoxes::critical(const QString& text)
{
    qWarning().noquote() << "Error:" << text;
    QMessageBox box(QMessageBox::Critical, QCoreApplication::translate("Gui::MessageBoxes", "Error"),
                    text, QMessageBox::Ok);
    // Error texts quote the update server and its status file: shown as written, so that
    // markup from there never turns into links or images.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MessageBoxes::information(const QString& title, const QString& text, Qt::TextFormat format)
{
    qInfo().noquote() << title + QLatin1Char(':') << text;
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
    box.setTextFormat(format);
    box.exec();
}

} // namespace Gui
