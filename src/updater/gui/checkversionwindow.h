#pragma once

#include <QWidget>

class QLabel;

namespace Gui {

// The small frameless window that shows the stage of a version check.
class CheckVersionWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CheckVersionWindow(QWidget* parent = nullptr);

    QString message() const;

public slots:
    void setMessage(const QString& message);
    // Visible, active, focused and on top.
    void show();

private:
    QLabel* m_iconLabel = nullptr;
    QLabel* m_messageLabel = nullptr;
};

} // namespace Gui
