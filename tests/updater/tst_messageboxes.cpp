#include "gui/messageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

// Error texts carry words of the update server and of the status file it serves; a box
// must show them as written, never render them as markup with live links.
class TestMessageBoxes : public QObject
{
    Q_OBJECT

private slots:
    void criticalShowsPlainText_data();
    void criticalShowsPlainText();
};

void TestMessageBoxes::criticalShowsPlainText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("server reply with a link")
        << QString("Login error: <a href=\"https://127.0.0.1/x\">Click here</a>");
    QTest::newRow("status file key with markup")
        << QString("Unable to read status file config: Invalid file key \"<b>k</b>\"");
    QTest::newRow("plain") << QString("Unable to set download dir");
}

void TestMessageBoxes::criticalShowsPlainText()
{
    QFETCH(QString, text);
    QString title;
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    bool seen = false;
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = true;
        title = box->windowTitle();
        shown = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    QTimer guard; // a box nobody answers must not hang the test
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    guard.start(10000);

    Gui::MessageBoxes::critical(text);

    QVERIFY(seen);
    QCOMPARE(title, QString("Error"));
    QCOMPARE(shown, text);
    QCOMPARE(format, Qt::PlainText);
}

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
