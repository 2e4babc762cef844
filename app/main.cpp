#include <QApplication>

#include "app_startup.h"
#include "mainwindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication();
    installQtChineseTranslation();

    MainWindow window;
    window.show();
    window.setWindowTitle(windowTitleFor(getVersion()));
    return app.exec();
}
