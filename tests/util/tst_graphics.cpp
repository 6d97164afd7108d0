#include "util/graphics/graphics.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using Util::Graphics;

class TestGraphics : public QObject
{
    Q_OBJECT

private slots:
    void appliesUtf8StyleSheet();
    void missingStyleSheetKeepsThePreviousOne();
    void centersOnTheAvailableGeometry();
    void underlines();
};

void TestGraphics::appliesUtf8StyleSheet()
{
    QTemporaryDir tmp;
    QFile file(tmp.filePath("w.qss"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("QLabel { qproperty-text: \"Ünïcødé\"; }").toUtf8());
    file.close();

    QLabel label;
    QVERIFY(Graphics::setStyleSheet(file.fileName(), &label));
    QVERIFY(label.styleSheet().contains(QStringLiteral("Ünïcødé")));
}

void TestGraphics::missingStyleSheetKeepsThePreviousOne()
{
    QLabel label;
    label.setStyleSheet("QLabel { color: red; }");
    QTest::ignoreMessage(QtWarningMsg,
                         "src/util/graphics setStyleSheet(): qss file \":/qss/none.qss\" not found!");
    QVERIFY(!Graphics::setStyleSheet(":/qss/none.qss", &label));
    QCOMPARE(label.styleSheet(), QStringLiteral("QLabel { color: red; }"));
}

void TestGraphics::centersOnTheAvailableGeometry()
{
    QLabel label("centre");
    label.resize(200, 100);
    Graphics::moveWindowToCenter(&label);
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY(qAbs(label.frameGeometry().center().x() - centre.x()) <= 1);
    QVERIFY(qAbs(label.frameGeometry().center().y() - centre.y()) <= 1);

    Graphics::moveWindowToCenter(&label, QPoint(30, -20));
    QVERIFY(qAbs(label.frameGeometry().center().x() - (centre.x() + 30)) <= 1);
    QVERIFY(qAbs(label.frameGeometry().center().y() - (centre.y() - 20)) <= 1);
}

void TestGraphics::underlines()
{
    QLabel label;
    Graphics::setWidgetUnderlined(&label, true);
    QVERIFY(label.font().underline());
    Graphics::setWidgetUnderlined(&label, false);
    QVERIFY(!label.font().underline());
}

QTEST_MAIN(TestGraphics)
#include "tst_graphics.moc"
