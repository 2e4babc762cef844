// A terminal session end to end: moru-sim on free loopback ports, config/ beside the test program
// pointing at it (counter and quotes, as the program reads it), the real main window logged in
// through its login page, and every box recorded and answered.
#pragma once

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <memory>

#include "basicControl/my_combo_box.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "login/login_widget.h"
#include "mainwindow.h"
#include "moru_securities_api.h"
#include "tradeapi/sim_fixture.h"
#include "user/user_widget.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"

namespace e2e {

// Replaces what a line edit holds, as a user selecting all of it and typing does.
inline void replaceText(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// The same for a spin box; the Tab that leaves it makes the value stick.
inline void typeInto(QAbstractSpinBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

// Clicks the tab of `page` in the workspace's tab bar; false when that did not bring it up.
inline bool showTab(QTabWidget* tabs, QWidget* page) {
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tabs->indexOf(page)).center());
    return tabs->currentWidget() == page;
}

// Clicks the tick box of a row's first cell where the table draws it.
inline void clickTickBox(QTableWidget* table, int row) {
    table->scrollToItem(table->item(row, 0));
    QStyleOptionViewItem option;
    option.initFrom(table->viewport());
    option.rect = table->visualItemRect(table->item(row, 0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = table->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, table);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, box.center());
}

// Every cell text of a row as shown; "<none>" for a cell without an item.
inline QStringList rowTexts(const QTableWidget* table, int row) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << (table->item(row, c) ? table->item(row, c)->text() : QStringLiteral("<none>"));
    return cells;
}

// Exchange chooser rows of the login page.
enum Exchange { Shanghai = 0, Shenzhen = 1 };

class Session {
public:
    Session() {
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            boxes << box;
            return boxAnswer;
        });
        DialogSeam::setChoiceHandler([this](const DialogSeam::Box& box) {
            boxes << box;
            return choiceAnswers.isEmpty() ? 0 : choiceAnswers.takeFirst();
        });
    }
    ~Session() {
        window.reset();
        release(entryNo);
        sim.stop();
        DialogSeam::setBoxHandler({});
        DialogSeam::setChoiceHandler({});
        DialogSeam::setSaveHandler({});
    }

    static QString configDir() { return QCoreApplication::applicationDirPath() + "/config"; }

    // Starts moru-sim with the demo data (and `simArgs`), writes config/ and opens the main window.
    bool start(const QStringList& simArgs = {}) {
        if (!sim.start(simArgs)) return false;
        writeConfig();
        window = std::make_unique<MainWindow>();
        window->show();
        return true;
    }

    // config/ as shipped, with the counter's and the quote server's ports of this moru-sim.
    void writeConfig() const {
        QDir().mkpath(configDir());
        const QString defaults = QString(MORU_SOURCE_DIR) + "/app/config/defaults/";
        for (const char* name : {"error_msg.json", "rsp_convert.json"}) {
            QFile::remove(configDir() + "/" + name);
            QFile::copy(defaults + name, configDir() + "/" + name);
        }
        QString api = readText(defaults + "api_config.txt");
        api.replace("tcp://127.0.0.1:18801", QString("tcp://127.0.0.1:%1").arg(sim.counterPort));
        api.replace(QRegularExpression("\nTcpConnectTimeout=[^\n]*"), "\nTcpConnectTimeout=2");
        writeText(configDir() + "/api_config.txt", api);
        QString quotes = readText(defaults + "moru_bot_config.ini");
        quotes.replace(QRegularExpression("\nport=[^\n]*"), QString("\nport=%1").arg(sim.quotePort));
        writeText(configDir() + "/moru_bot_config.ini", quotes);
    }

    // Fills the login page the way a user does and waits for the workspace; false on a box or time-out.
    bool login(Exchange exchange, const QString& account, const QString& password,
               const QString& node = "6") {
        LoginWidget* page = window->loginWidget();
        const int boxesBefore = boxes.size();
        chooseExchange(page->exchangeBox(), exchange);
        replaceText(page->accountEdit(), account);
        replaceText(page->passwordEdit(), password);
        replaceText(page->nodeEdit(), node);
        QTest::mouseClick(page->loginButton(), Qt::LeftButton);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && boxes.size() == boxesBefore && !loggedIn()) QTest::qWait(20);
        return loggedIn();
    }

    bool loggedIn() const {
        return window && window->stackedWidget()->currentIndex() != 0 && window->userWidget();
    }
    UserWidget* workspace() const { return window ? window->userWidget() : nullptr; }

    // Waits until `count` boxes have been shown in all.
    bool waitForBoxes(int count, int ms = 10000) {
        QElapsedTimer t;
        t.start();
        while (boxes.size() < count && t.elapsed() < ms) QTest::qWait(20);
        return boxes.size() >= count;
    }

    // "[title] text" of every box so far, for failure messages.
    QString boxesText() const {
        QStringList all;
        for (const DialogSeam::Box& b : boxes) all << QString("[%1] %2").arg(b.title, b.text);
        return all.join(" | ");
    }

    fixture::Sim sim;
    std::unique_ptr<MainWindow> window;
    QList<DialogSeam::Box> boxes;
    // Answers for boxes with standard buttons, and for the next boxes with named buttons (index; 0 when
    // none is queued).
    QMessageBox::StandardButton boxAnswer = QMessageBox::Ok;
    QList<int> choiceAnswers;

private:
    // The arrow keys step through the exchanges, from no choice to 上交 and on to 深交.
    static void chooseExchange(MyComboBox* box, Exchange exchange) {
        box->setFocus();
        for (int i = 0; i < 4 && box->currentIndex() < exchange; ++i) QTest::keyClick(box, Qt::Key_Down);
        for (int i = 0; i < 4 && box->currentIndex() > exchange; ++i) QTest::keyClick(box, Qt::Key_Up);
    }

    static QString readText(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    static void writeText(const QString& path, const QString& text) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(text.toUtf8());
    }
};

}  // namespace e2e
