#include "argumentsparser.h"
#include "common/singleapplication.h"
#include "core/global.h"
#include "gui/messageboxes.h"
#include "updateqv.h"

#include <QCoreApplication>
#include <QDebug>
#include <QStyleFactory>

namespace {

QString usageText()
{
    return QCoreApplication::translate("main", "Usage: ") + QStringLiteral("./update-qv")
        + QCoreApplication::translate("main",
            " { --check-version | -c | --update | -u } current_ver\n\n"
            "Params:\n"
            "--check-version or -c  Check out current client version and last version\n"
            "                       on server. Code 2 will be returned if versions\n"
            "                       the same and code 3 in other case.\n"
            "--update or -u         Update client from server to the latest version.\n"
            "current_ver            Current version of client with format like 2.0.0\n");
}

} // namespace

int main(int argc, char** argv)
{
    Common::SingleApplication app(QStringLiteral("corvalis-update-qv"), argc, argv);
    if (app.isRunning()) {
        if (app.sendMessage(QStringLiteral("Wake up!"), 5000))
            qDebug() << "There is already exists one instance of application";
        return 0;
    }

    // The icon resource is linked in; Fusion stands in for the classic style of old Qt.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);
    QApplication::setQuitOnLastWindowClosed(true);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() <= 1) {
        Gui::MessageBoxes::information(QCoreApplication::translate("main", "Information"),
                                       usageText(), Qt::PlainText);
        return 1;
    }

    ArgumentsParser parser;
    if (!parser.parse(arguments)) {
        Gui::MessageBoxes::critical(parser.errorString());
        return 1;
    }
    const ArgumentsParser::Arguments parsed = parser.arguments();

    UpdateQv updater;
    updater.init();

    if (parsed.goal == ArgumentsParser::UpdateGoal) {
        if (updater.update(parsed.version))
            return QApplication::exec();
        Core::Global::runClientAppWoUpdate();
        return 1;
    }
    if (updater.checkVersion(parsed.version, parsed.silent))
        return QApplication::exec();
    Gui::MessageBoxes::critical(updater.errorString());
    return 1;
}
