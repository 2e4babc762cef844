#include <QApplication>

#include "app_startup.h"
#include "journal/journal.h"
#include "mainwindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
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
