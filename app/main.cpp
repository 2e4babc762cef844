#include <QApplication>

#include "app_startup.h"
#include "constants.h"
#include "log_handler.h"
#include "mainwindow.h"
#include "platform/crash_dump.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    qInstallMessageHandler(logMessageHandler);
    installCrashDumpHandler();
    QCoreApplication::setApplicationName(APP_NAME);

    MainWindow window;
    window.show();
    window.setWindowTitle(windowTitleFor(getVersion()));
    return app.exec();
}
