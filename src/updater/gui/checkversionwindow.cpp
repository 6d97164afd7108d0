#include "gui/checkversionwindow.h"

#include "util/graphics/graphics.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QStyle>

namespace Gui {

CheckVersionWindow::CheckVersionWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("CheckVersionWindow"));
    setMinimumSize(350, 50);
    setWindowTitle(tr("Paxwell Updater"));
    setWindowIcon(QIcon(QStringLiteral(":/appicon/appicon.png")));

    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("horizontalLayout"));
    layout->setSpacing(12);
    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("iconLabel"));
    m_iconLabel->setFixedSize(32, 32);
    m_iconLabel->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    layout->addWidget(m_iconLabel);
    m_messageLabel = new QLabel(this);
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setWordWrap(true);
    layout->addWidget(m_messageLabel);

    Util::Graphics::setStyleSheet(QStringLiteral(":/qss/checkversionwindow.qss"), this);
    setFixedSize(sizeHint().expandedTo(minimumSize()));
}

QString CheckVersionWindow::message() const
{
    return m_messageLabel->text();
}

void CheckVersionWindow::setMessage(const QString& message)
{
    m_messageLabel->setText(message);
}

void CheckVersionWindow::show()
{
    setVisible(true);
    activateWindow();
    setFocus();
    raise();
}

} // namespace Gui
