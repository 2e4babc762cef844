// Saves the pictures of one session against moru-sim: the login page, the workspace, the order window
// on each of its tabs (a Shanghai login, then a Shenzhen one for the warrant tab), the query pages after
// a search, the order table's export menu, and the fund and account dialogs with something in them. The
// README shows exactly these. Usage: moru-screenshots OUT_DIR SIM_PATH DATA_FILE
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_click_label.h"
#include "basicControl/my_combo_box.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "constants.h"
#include "journal/history_rows.h"
#include "journal/journal.h"
#include "journal/journal_schema.h"
#include "journal/journal_store.h"
#include "login/login_widget.h"
#include "mainwindow.h"
#include "user/live/live_updates.h"
#include "user/live/today_returns_widget.h"
#include "user/orderWindow/exercise_of_warrants_widget.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/orderWindow/quick_quantity_bar.h"
#include "user/orderWindow/tender_offer_widget.h"
#include "user/personal_inf_dialog.h"
#include "user/queryWindow/depositandwithdrawal_dialog.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/queryWindow/history_widget.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/update_pwd_dialog.h"
#include "user/user_widget.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

namespace {
void waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

// Opens the workspace's order window on `code`; saves it on its first tab with the quote levels filled
// and a lot priced at the best ask (unless `tradeFile` is empty), then on its second tab (the login's
// exchange's own) with `specialCode` typed in.
QStringList saveOrderWindow(MainWindow& w, const QString& code, const QString& specialCode,
                            const QString& outDir, const QString& tradeFile, const QString& specialFile) {
    UserWidget* workspace = w.userWidget();
    if (!workspace) return {};
    workspace->tradeButton()->click();
    OrderWindow* window = workspace->orderWindow();
    if (!window) return {};
    QStringList saved;
    if (!tradeFile.isEmpty()) {
        OrderWidget* form = window->orderWidget();
        form->codeEdit()->setText(code);
        waitFor([window] { return window->levelWidget()->lastCell()->text().toDouble() > 0; }, 5000);
        form->priceEdit()->setValue(window->levelWidget()->askPriceCell(1)->text().toDouble());
        form->quantityEdit()->setValue(100);
        // 可买 once the account's funds have come.
        if (QuickQuantityBar* bar = form->quickBar())
            waitFor([bar] { return bar->figureLabel()->text() != QStringLiteral("-"); }, 5000);
        window->grab().save(outDir + "/" + tradeFile);
        saved << outDir + "/" + tradeFile;
    }

    window->tabWidget()->setCurrentIndex(1);
    const bool tender = window->tabWidget()->tabText(1) == QStringLiteral("要约收购");
    (tender ? window->tenderOfferWidget()->codeEdit() : window->exerciseWidget()->codeEdit())
        ->setText(specialCode);
    waitFor([] { return false; }, 300);
    window->grab().save(outDir + "/" + specialFile);
    saved << outDir + "/" + specialFile;
    window->tabWidget()->setCurrentIndex(0);
    window->hide();
    return saved;
}

// The four fund and account windows of the workspace, each with something in it; returns the files.
QStringList saveFundDialogs(UserWidget* workspace, const QString& outDir) {
    QStringList saved;
    auto save = [&saved, &outDir](QWidget* window, const char* name) {
        waitFor([] { return false; }, 300);
        const QString path = outDir + "/" + name;
        window->grab().save(path);
        window->hide();
        saved << path;
    };

    workspace->depositButton()->click();
    DepositAndWithdrawalWidget* page = workspace->depositDialog()->page();
    page->amountEdit()->setText("20000");
    page->depositButton()->click();
    page->amountEdit()->setText("5000.5");
    page->withdrawButton()->click();
    waitFor([] { return false; }, 300);
    page->refreshButton()->click();
    waitFor([page] { return page->rowCount() >= 2; }, 5000);
    save(workspace->depositDialog(), "deposit.png");

    workspace->transferButton()->click();
    FundTransferWidget* transfer = workspace->transferWindow();
    transfer->operationWidget()->amountBox()->setValue(1000);
    transfer->operationWidget()->sendButton()->click();  // confirmed by the box handler
    waitFor([] { return false; }, 1500);                 // the transfer runs to its end
    transfer->tableWidget()->refreshButton()->click();
    waitFor([transfer] { return transfer->tableWidget()->rowCount() >= 1; }, 5000);
    save(transfer, "transfer.png");

    workspace->fundButton()->click();
    PersonalInfDialog* account = workspace->accountDialog();
    waitFor([account] { return !account->valueLabels().first()->text().isEmpty(); }, 5000);
    save(account, "account.png");

    workspace->passwordButton()->click();
    workspace->passwordDialog()->oldPasswordEdit()->setText("123456");
    workspace->passwordDialog()->newPasswordEdit()->setText("802468");
    save(workspace->passwordDialog(), "password.png");
    return saved;
}
// Each query page after a search, as the user finds it on its tab.
QStringList saveQueryPages(UserWidget* workspace, const QString& outDir) {
    struct Step {
        QWidget* page;
        QPushButton* search;
        const char* file;
    };
    const Step steps[] = {
        {workspace->positionPage(), workspace->positionPage()->searchButton(), "/positions.png"},
        {workspace->tradePage(), workspace->tradePage()->queryButton(), "/trades.png"},
        {workspace->orderPage(), workspace->orderPage()->searchButton(), "/orders.png"},
    };
    QStringList saved;
    for (const Step& step : steps) {
        workspace->tabWidget()->setCurrentWidget(step.page);
        step.search->click();
        waitFor([&step] { return step.search->isEnabled(); }, 15000);
        waitFor([] { return false; }, 300);
        workspace->window()->grab().save(outDir + step.file);
        saved << outDir + step.file;
    }

    // The order table's context menu with the workbook exports, drawn over the window where it opens
    // (the menu is a window of its own, so the window's picture does not hold it).
    OrderedWidget* orders = workspace->orderPage();
    QWidget* viewport = orders->tableWidget()->viewport();
    emit orders->tableWidget()->customContextMenuRequested(QPoint(viewport->width() / 3, 60));
    QMenu* menu = orders->exportMenu();
    waitFor([menu] { return menu->isVisible(); }, 2000);
    menu->setActiveAction(menu->actions().value(1));
    waitFor([] { return false; }, 300);
    QWidget* window = workspace->window();
    QPixmap picture = window->grab();
    QPainter painter(&picture);
    painter.drawPixmap(menu->pos() - window->mapToGlobal(QPoint(0, 0)), menu->grab());
    painter.end();
    menu->hide();
    picture.save(outDir + "/orders_export_menu.png");
    saved << outDir + "/orders_export_menu.png";
    return saved;
}

// A fill as it happens: a lot bought at the best ask through the order window; the notice, the position
// page that followed the fill with its profit line, and the day's returns.
QStringList saveLivePictures(UserWidget* workspace, const QString& outDir) {
    workspace->tradeButton()->click();
    OrderWindow* window = workspace->orderWindow();
    if (!window || !workspace->liveUpdates() || !workspace->liveUpdates()->todayList()) return {};
    OrderWidget* form = window->orderWidget();
    form->codeEdit()->setText("600000");
    waitFor([window] { return window->levelWidget()->askPriceCell(1)->text().toDouble() > 0; }, 5000);
    window->levelWidget()->slot_releaseData();
    form->priceEdit()->setValue(window->levelWidget()->askPriceCell(1)->text().toDouble());
    form->quantityEdit()->setValue(100);
    QListWidget* list = workspace->liveUpdates()->todayList()->list();
    const int before = list->count();
    form->orderButton()->click();  // the confirmation is answered 确认
    waitFor([list, before] { return list->count() >= before + 2; }, 10000);
    window->hide();
    workspace->tabWidget()->setCurrentWidget(workspace->positionPage());
    waitFor([] { return false; }, 2500);  // the position page's search after the fill, the profit line
    QStringList saved;
    workspace->window()->grab().save(outDir + "/live_positions.png");
    saved << outDir + "/live_positions.png";
    workspace->tabWidget()->setCurrentWidget(workspace->liveUpdates()->todayList());
    waitFor([] { return false; }, 300);
    workspace->window()->grab().save(outDir + "/live_returns.png");
    saved << outDir + "/live_returns.png";
    return saved;
}

// Five earlier days of one account in the journal, so the history page shows more than today.
void seedJournal(const JournalTarget& target) {
    JournalStore store(QStringLiteral("seed"));
    if (store.open(target, JournalSchema::latestVersion()) != JournalStore::OpenResult::Opened) return;
    JournalBatch batch;
    const char* codes[] = {"600000", "600036", "601318"};
    for (int d = 5; d >= 1; --d) {
        const JournalScope scope{"10880001", "1", QDate::currentDate().addDays(-d).toString(Qt::ISODate)};
        for (int i = 0; i < 3; ++i) {
            JournalTrade t;
            t.scope = scope;
            t.orderSysId = 9000 + d * 10 + i;
            t.orderNo = QString::number(t.orderSysId).rightJustified(10, '0');
            t.securityId = codes[i];
            t.side = (d + i) % 2 ? "1" : "2";
            t.qty = 100 * (1 + (d + i) % 4);
            t.price = 10.0 + i * 25 + d * 0.37;
            t.tradeTime = QStringLiteral("%1%2000")
                              .arg(9 + i, 2, 10, QLatin1Char('0'))
                              .arg(15 + d * 7, 4, 10, QLatin1Char('0'));
            t.orderType = "1";
            t.key = t.orderNo;
            batch.trades << t;
        }
        JournalFundMove in;
        in.scope = scope;
        in.kind = JournalFundMove::Deposit;
        in.amount = 10000 * d;
        in.direction = "1";
        in.operTime = "09:05:00";
        in.key = QString::number(d);
        if (d % 2) batch.funds << in;
    }
    store.write(batch);
}

// The history tab after a search of the last week, as a statement and as profit by code.
QStringList saveHistoryPage(UserWidget* workspace, const QString& outDir) {
    auto* page = workspace->findChild<HistoryWidget*>();
    if (!page) return {};
    workspace->tabWidget()->setCurrentWidget(page);
    page->fromEdit()->setDate(QDate::currentDate().addDays(-6));
    page->toEdit()->setDate(QDate::currentDate());
    QStringList saved;
    const std::pair<HistoryQuery::Kind, const char*> shots[] = {
        {HistoryQuery::Statement, "/history.png"}, {HistoryQuery::ProfitByCode, "/history_profit.png"}};
    for (const auto& shot : shots) {
        page->kindBox()->setCurrentIndex(HistoryRows::kinds().indexOf(shot.first));
        page->searchButton()->click();
        waitFor([page] { return page->searchButton()->isEnabled(); }, 15000);
        waitFor([] { return false; }, 300);
        workspace->window()->grab().save(outDir + shot.second);
        saved << outDir + shot.second;
    }
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        fprintf(stderr, "usage: moru-screenshots OUT_DIR SIM_PATH DATA_FILE\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);

    QProcess sim;
    // The demo account also gets a day of finished orders and their trades, for the query pages.
    sim.start(QString::fromLocal8Bit(argv[2]),
              {"--counter-port", "0", "--quote-port", "0", "--data", QString::fromLocal8Bit(argv[3]),
               "--big-account", "10880001:300:1"});
    int counterPort = 0;
    int quotePort = 0;
    QByteArray out;
    while ((counterPort == 0 || quotePort == 0) && sim.waitForReadyRead(5000)) {
        out += sim.readAllStandardOutput();
        const QString text = QString::fromUtf8(out);
        const QRegularExpressionMatch c = QRegularExpression("counter-port (\\d+)").match(text);
        const QRegularExpressionMatch q = QRegularExpression("quote-port (\\d+)").match(text);
        if (c.hasMatch()) counterPort = c.captured(1).toInt();
        if (q.hasMatch()) quotePort = q.captured(1).toInt();
    }
    if (counterPort == 0) {
        fprintf(stderr, "moru-sim did not start\n");
        return 1;
    }

    // The program reads config/ beside itself: point it at this counter.
    const QString config = QCoreApplication::applicationDirPath() + API_CONFIG_PATH;
    QFile in(config);
    if (!in.open(QIODevice::ReadOnly)) {
        fprintf(stderr, "no %s\n", qPrintable(config));
        return 1;
    }
    QString text = QString::fromUtf8(in.readAll());
    in.close();
    const QString original = text;
    text.replace(QRegularExpression("tcp://127\\.0\\.0\\.1:\\d+"),
                 QString("tcp://127.0.0.1:%1").arg(counterPort));
    text.replace(QRegularExpression("\nBusinessCode=[^\n]*"), "\nBusinessCode=8888");
    QFile rewrite(config);
    rewrite.open(QIODevice::WriteOnly | QIODevice::Truncate);
    rewrite.write(text.toUtf8());
    rewrite.close();

    const QString quoteConfig = QCoreApplication::applicationDirPath() + BOT_CONFIG_PATH;
    QFile quoteIn(quoteConfig);
    QByteArray quoteOriginal;
    if (quoteIn.open(QIODevice::ReadOnly)) quoteOriginal = quoteIn.readAll();
    quoteIn.close();
    QString quoteText = QString::fromUtf8(quoteOriginal);
    quoteText.replace(QRegularExpression("port=\\d+"), QString("port=%1").arg(quotePort));
    QFile quoteOut(quoteConfig);
    quoteOut.open(QIODevice::WriteOnly | QIODevice::Truncate);
    quoteOut.write(quoteText.toUtf8());
    quoteOut.close();

    QStringList boxes;
    DialogSeam::setBoxHandler([&boxes](const DialogSeam::Box& box) {
        boxes << box.title + ": " + box.text;
        return QMessageBox::Ok;
    });

    // The journal as the program keeps it, in a folder of its own here.
    QTemporaryDir journalDir;
    JournalConfig journal;
    journal.target.sqlitePath = journalDir.filePath("journal.sqlite");
    seedJournal(journal.target);
    Journal::instance()->start(journal);

    MainWindow w;
    w.setWindowTitle(APP_TITLE);
    w.show();
    LoginWidget* page = w.loginWidget();
    page->exchangeBox()->setCurrentIndex(0);
    page->accountEdit()->setText("10880001");
    page->passwordEdit()->setText("123456");
    waitFor([] { return false; }, 500);
    w.grab().save(outDir + "/login.png");

    page->loginButton()->click();
    waitFor([&w] { return w.stackedWidget()->currentIndex() != 0; }, 15000);
    waitFor([] { return false; }, 3000);  // a refresh or two of the quote table
    w.grab().save(outDir + "/workspace.png");
    QStringList saved{outDir + "/login.png", outDir + "/workspace.png"};
    saved << saveOrderWindow(w, "600000", "600999", outDir, "order_trade_sh.png", "order_tender_offer.png");
    if (w.userWidget()) saved << saveFundDialogs(w.userWidget(), outDir);
    if (w.userWidget()) saved << saveQueryPages(w.userWidget(), outDir);
    if (w.userWidget()) saved << saveLivePictures(w.userWidget(), outDir);
    if (w.userWidget()) saved << saveHistoryPage(w.userWidget(), outDir);

    // The same window after a Shenzhen login: the link goes, the login page comes back.
    emit SignalInterface::instance()->signal_onFrontTradeDisconnected(0);
    waitFor([&w] { return w.stackedWidget()->currentIndex() == 0 && !w.userWidget(); }, 5000);
    waitFor([] { return false; }, 500);
    page->exchangeBox()->setCurrentIndex(1);
    page->accountEdit()->setText("10880002");
    page->passwordEdit()->setText("654321");
    page->nodeEdit()->setText("6");
    page->loginButton()->click();
    waitFor([&w] { return w.stackedWidget()->currentIndex() != 0 && w.userWidget(); }, 15000);
    waitFor([] { return false; }, 1500);
    saved << saveOrderWindow(w, "000001", "031001", outDir, QString(), "order_warrant_exercise.png");

    QFile restore(config);
    restore.open(QIODevice::WriteOnly | QIODevice::Truncate);
    restore.write(original.toUtf8());
    restore.close();
    QFile quoteRestore(quoteConfig);
    quoteRestore.open(QIODevice::WriteOnly | QIODevice::Truncate);
    quoteRestore.write(quoteOriginal);
    quoteRestore.close();
    Journal::instance()->stop();
    sim.kill();
    sim.waitForFinished();
    for (const QString& b : boxes) fprintf(stderr, "box: %s\n", qPrintable(b));
    for (const QString& file : saved) printf("%s\n", qPrintable(file));
    fflush(stdout);
    // As the program does on close: no release, no logout.
    std::_Exit(w.stackedWidget()->currentIndex() != 0 ? 0 : 1);
}
