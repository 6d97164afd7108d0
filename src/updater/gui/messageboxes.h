#pragma once

#include <QString>
#include <Qt>

namespace Gui {

// The updater's modal message boxes (no parent, one OK button). Each text also goes to the
// diagnostic output, since the updater keeps no log file of its own.
class MessageBoxes
{
public:
    static void critical(const QString& text);
    static void information(const QString& title, const QString& text,
                            Qt::TextFormat format = Qt::AutoText);
};

} // namespace Gui
