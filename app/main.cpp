#include <QApplication>
#include <cstdio>

#include "app_startup.h"
#include "journal/journal.h"
#include "mainwindow.h"

int main(int argc, char* argv[]) {
    if (asksForInformation(argc, argv)) {
        // No QApplication: the answer needs no display.
        QCoreApplication core(argc, argv);
        std::fputs(commandLineAnswer(core.arguments(), appPaths()).toUtf8().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    // Lets a desktop match the window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("local.moru.Desk"));
    prepareApplication();
    installQtChineseTranslation();
    startJournalFromSettings();

    MainWindow window;
    window.show();
    window.setWindowTitle(windowTitleFor(getVersion()));
    const int status = app.exec();
    Journal::instance()->stop();
    return status;
}
