#include "gui/checkversionwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QtTest>

class TestCheckVersionWindow : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndLook();
    void showActivatesAndRaises();
};

void TestCheckVersionWindow::layoutAndLook()
{
    Gui::CheckVersionWindow window;
    QCOMPARE(window.objectName(), QString("CheckVersionWindow"));
    QCOMPARE(int(window.windowFlags() & (Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowTitleHint)),
             0x1803);
    QCOMPARE(window.windowTitle(), QString("Paxwell Updater"));
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(window.width() >= 350 && window.height() >= 50);
    QCOMPARE(window.minimumSize(), window.maximumSize()); // fixed at its layout's size

    auto* layout = window.findChild<QHBoxLayout*>("horizontalLayout");
    QVERIFY(layout);
    QCOMPARE(layout->spacing(), 12);
    auto* icon = window.findChild<QLabel*>("iconLabel");
    QVERIFY(icon);
    QCOMPARE(icon->size(), QSize(32, 32));
    QVERIFY(!icon->pixmap().isNull());
    auto* message = window.findChild<QLabel*>("messageLabel");
    QVERIFY(message);
    QVERIFY(message->wordWrap());
    QVERIFY(message->text().isEmpty());

    window.setMessage("Getting file...");
    QCOMPARE(message->text(), QString("Getting file..."));
    QCOMPARE(window.message(), QString("Getting file..."));
}

void TestCheckVersionWindow::showActivatesAndRaises()
{
    Gui::CheckVersionWindow window;
    QVERIFY(!window.isVisible());
    window.show();
    QVERIFY(window.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

QTEST_MAIN(TestCheckVersionWindow)
#include "tst_checkversionwindow.moc"
