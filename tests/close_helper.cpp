// Shows the main window and closes it, for the main window test: the process must end with status 0
// before app.exec() would return.
#include <QApplication>
#include <QTimer>

#include "mainwindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    app.exec();
    return 3;  // never reached: closing ends the process
}
