#include <QApplication>
#include <cstdio>

#include "app_startup.h"
#include "mainwindow.h"

int main(int argc, char* argv[]) {
    if (asksForInformation(argc, argv)) {
        // No QApplication: the answer needs no display.
        QCoreApplication core(argc, argv);
        std::fputs(commandLineAnswer(core.arguments(), appPaths()).toUtf8().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    prepareApplication();
    installQtChineseTranslation();

    MainWindow window;
    window.show();
    window.setWindowTitle(windowTitleFor(getVersion()));
    return app.exec();
}
