// One trader's day through the real windows, against moru-sim and the real trading library: a Shanghai
// login, a fill and a resting order from the order window, the resting one cancelled, positions and
// trades, money in and across to Shenzhen, a new password, a lost counter and a Shenzhen login with the
// new password. Each test function is one step of the same session, run in order; a step whose
// predecessor broke is skipped, and every failure names its step.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_click_label.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_spin_box.h"
#include "e2e_session.h"
#include "user/orderWindow/exercise_of_warrants_widget.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/personal_inf_dialog.h"
#include "user/queryWindow/depositandwithdrawal_dialog.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/update_pwd_dialog.h"
#include "utils/signal_interface.h"

namespace {

const QString ACCOUNT = QStringLiteral("10880001");
const QString PASSWORD = QStringLiteral("123456");
const QString NEW_PASSWORD = QStringLiteral("802468");
// A Shanghai stock the account already holds from yesterday, so part of it can be sold today.
const QString CODE = QStringLiteral("600030");
const double DEPOSIT = 12345.67;
const double TRANSFER = 1000;
const QStringList ORDER_BOXES = {"information|确认|是否确认交易", "information|成功|报单发送成功"};

QString price3(double v) {
    return QString::number(v, 'f', 3);
}
QString price6(double v) {
    return QString::number(v, 'f', 6);
}
QString orderNumber(quint32 sysId) {
    return QStringLiteral("%1").arg(sysId, 10, 10, QLatin1Char('0'));
}
// The counter's fee: 0.03% of each fill, rounded to the cent.
double feeOf(double amount) {
    return std::round(amount * 0.0003 * 100) / 100;
}

QString describe(const QString& s) {
    return '"' + s + '"';
}
QString describe(const QStringList& l) {
    return '[' + l.join(" | ") + ']';
}
QString describe(const QSize& s) {
    return QStringLiteral("%1 x %2").arg(s.width()).arg(s.height());
}
QString describe(int n) {
    return QString::number(n);
}

QString kindName(DialogSeam::Kind kind) {
    switch (kind) {
        case DialogSeam::Kind::Information:
            return QStringLiteral("information");
        case DialogSeam::Kind::Question:
            return QStringLiteral("question");
        case DialogSeam::Kind::Warning:
            return QStringLiteral("warning");
        case DialogSeam::Kind::Critical:
            return QStringLiteral("critical");
    }
    return QString();
}

bool waitUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QTest::qWait(20);
    return done();
}

QStringList tabTitles(const QTabWidget* tabs) {
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
    return titles;
}

int rowOfCode(const QTableWidget* table, int column, const QString& code) {
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, column) && table->item(row, column)->text() == code) return row;
    return -1;
}

QStringList labelTexts(const QList<MyLabel*>& labels) {
    QStringList out;
    for (const MyLabel* label : labels) out << label->text();
    return out;
}

// What the level panel shows, top to bottom: five asks (worst first), five bids (best first), then
// last, previous close, limit up and limit down.
QStringList panelPrices(const LevelWidget* panel) {
    QStringList prices;
    for (int level = 5; level >= 1; --level) prices << panel->askPriceCell(level)->text();
    for (int level = 1; level <= 5; ++level) prices << panel->bidPriceCell(level)->text();
    prices << panel->lastCell()->text() << panel->preCloseCell()->text() << panel->upperLimitCell()->text()
           << panel->lowerLimitCell()->text();
    return prices;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A time cell is real when it parses in `format` and falls between `from` and now (a second of slack).
bool timeBetween(const QString& cell, const QString& format, const QDateTime& from) {
    QDateTime shown;
    if (format.contains(QLatin1String("yyyy")))
        shown = QDateTime::fromString(cell, format);
    else if (QTime::fromString(cell, format).isValid())
        shown = QDateTime(from.date(), QTime::fromString(cell, format));
    return shown.isValid() && shown >= from.addSecs(-1) && shown <= QDateTime::currentDateTime().addSecs(1);
}

}  // namespace

// Every check names the step under way.
#define STEP_VERIFY(cond, what) QVERIFY2(cond, qPrintable(m_step + QStringLiteral(": ") + (what)))
#define STEP_COMPARE(got, want, what)                                                           \
    do {                                                                                        \
        const auto got_ = (got);                                                                \
        const decltype(got_) want_ = (want);                                                    \
        QVERIFY2(got_ == want_,                                                                 \
                 qPrintable(QStringLiteral("%1: %2\n     shown: %3\n  expected: %4")            \
                                .arg(m_step, QString(what), describe(got_), describe(want_)))); \
    } while (0)
#define BEGIN_STEP(n)                                                 \
    m_step = QStringLiteral("step %1").arg(n);                        \
    if (m_finished != (n)-1) QSKIP("an earlier step did not finish"); \
    m_stepStart = QDateTime::currentDateTime();                       \
    m_boxesBefore = m_session->boxes.size()

class TestTraderDayE2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { m_session.reset(); }

    void step1_logInToShanghaiAndTheQuoteTableFills();
    void step2_buyFromTheQuoteTableOneFillsOneRests();
    void step3_ordersShownTheRestingOneCancelledBothExports();
    void step4_positionShownPartSoldFromItsRow();
    void step5_tradesShowBothFills();
    void step6_depositTransferAndTheNewFigures();
    void step7_newPasswordLostCounterShenzhenLogin();

private:
    // The boxes shown since the step began, as "kind|title|text".
    QStringList newBoxes() const {
        QStringList out;
        for (int i = m_boxesBefore; i < m_session->boxes.size(); ++i) {
            const DialogSeam::Box& b = m_session->boxes.at(i);
            out << kindName(b.kind) + '|' + b.title + '|' + b.text;
        }
        return out;
    }
    bool waitForNewBoxes(int count) { return m_session->waitForBoxes(m_boxesBefore + count); }
    UserWidget* workspace() const { return m_session->workspace(); }
    OrderWindow* orderWindow() const { return workspace()->orderWindow(); }

    // One order row as the order page shows it, the time cell aside.
    QStringList orderRow(const QString& tick, quint32 sysId, double price, const QString& status,
                         const QString& kind, const QString& side, const QString& tradePrice,
                         const QString& traded, const QString& leaves) const {
        QStringList row = {tick, orderNumber(sysId), "6", CODE, "股票", price6(price), "100", "限价", status};
        // No error: number 0, no text; no tender offeror.
        row << kind << side << tradePrice << traded << leaves << "0" << QString() << "<time>" << QString();
        return row;
    }
    // Puts the shown time back into `expected` once it is known to be a real time of this step.
    bool takeTime(QStringList& expected, const QStringList& shown, int column, const QString& format) {
        if (shown.size() != expected.size() || !timeBetween(shown.at(column), format, m_stepStart))
            return false;
        expected[column] = shown.at(column);
        return true;
    }
    // The position row of CODE after `boughtToday` and `soldToday`, with its "下单" cell (no item).
    QStringList positionRow(int boughtToday, int soldToday) const {
        const int total = m_startQty + boughtToday - soldToday;
        return {CODE,
                QString::number(boughtToday),
                QString::number(soldToday),
                QString::number(m_startQty),
                QString::number(total),
                QString::number(m_startQty - soldToday),
                price6(m_cost),
                "0",
                "0",
                "<none>"};
    }

    std::unique_ptr<e2e::Session> m_session;
    QString m_step;
    int m_finished = 0;
    int m_boxesBefore = 0;
    QDateTime m_stepStart;
    QDateTime m_firstOrderTime;

    // From the simulator's data.
    QString m_name;
    double m_preClose = 0;
    double m_tick = 0;
    double m_limitPct = 0;
    int m_startQty = 0;
    double m_startCost = 0;
    double m_shanghaiCapital = 0;
    double m_shenzhenCapital = 0;
    QString m_orgCode;
    int m_securityCount = 0;

    // Found along the day.
    double m_ask1 = 0;
    double m_bid1 = 0;
    double m_bid5 = 0;
    double m_cost = 0;
    quint32 m_filledNo = 0;
    quint32 m_restingNo = 0;
    quint32 m_soldNo = 0;
};

void TestTraderDayE2e::initTestCase() {
    QFile data(QStringLiteral(MORU_SOURCE_DIR "/sim/data/demo.json"));
    QVERIFY(data.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(data.readAll()).object();
    for (const QJsonValue& s : root.value("securities").toArray()) {
        if (s["code"].toString() != CODE) continue;
        m_name = s["name"].toString();
        m_preClose = s["preClose"].toDouble();
        m_tick = s["tick"].toDouble();
        m_limitPct = s["limitPct"].toDouble();
    }
    for (const QJsonValue& a : root.value("accounts").toArray()) {
        if (a["account"].toString() != ACCOUNT) continue;
        const QJsonObject shanghai = a["markets"]["1"].toObject();
        m_shanghaiCapital = shanghai["capital"].toDouble();
        m_shenzhenCapital = a["markets"]["2"]["capital"].toDouble();
        m_orgCode = shanghai["orgCode"].toString();
        for (const QJsonValue& p : shanghai["positions"].toArray())
            if (p["code"].toString() == CODE) {
                m_startQty = p["qty"].toInt();
                m_startCost = p["cost"].toDouble();
            }
    }
    m_securityCount = root.value("securities").toArray().size();
    QVERIFY(!m_name.isEmpty() && m_tick > 0 && m_limitPct > 0);
    QVERIFY(m_startQty >= 100 && m_shanghaiCapital > 10000 && m_shenzhenCapital > 0 && !m_orgCode.isEmpty());
    m_session = std::make_unique<e2e::Session>();
}

void TestTraderDayE2e::step1_logInToShanghaiAndTheQuoteTableFills() {
    BEGIN_STEP(1);
    e2e::Session& s = *m_session;
    // A book that stays where it opens, so the prices clicked are the prices traded.
    STEP_VERIFY(s.start({"--no-walk", "--quote-interval-ms", "200"}), "moru-sim did not start");
    STEP_COMPARE(s.window->stackedWidget()->currentIndex(), 0, "the login page comes first");
    STEP_COMPARE(s.window->size(), QSize(1280, 720), "main window size");
    STEP_VERIFY(s.login(e2e::Shanghai, ACCOUNT, PASSWORD), "no workspace after the login: " + s.boxesText());

    UserWidget* w = workspace();
    STEP_COMPARE(w->accountLabel()->text(), ACCOUNT, "account in the header");
    STEP_COMPARE(w->exchangeIconPath(), QStringLiteral(":/resource/sse.svg"),
                 "exchange picture in the header");
    STEP_COMPARE(tabTitles(w->tabWidget()).mid(0, 3), QStringList({"持仓查询", "成交查询", "委托查询"}), "query tabs");

    // Every security of both markets, one row each; this one as it opened: last, open, high and low at the
    // previous close, limits 10% either side on the tick.
    BaseTableWidget* quotes = w->quotePage()->tableWidget();
    STEP_VERIFY(
        waitUntil([&] { return quotes->rowCount() == m_securityCount; }, 15000),
        QStringLiteral("the quote table holds %1 rows of %2").arg(quotes->rowCount()).arg(m_securityCount));
    // Laid out: the rows can be scrolled to, as they can by the time a user reaches for them.
    STEP_VERIFY(waitUntil([&] { return quotes->verticalScrollBar()->maximum() > m_securityCount / 2; }),
                "the quote table does not scroll over its rows");
    const int row = rowOfCode(quotes, 0, CODE);
    STEP_VERIFY(row >= 0, "no quote row for " + CODE);
    const QString close = price3(m_preClose);
    const QString up = price3(std::round(m_preClose * (1 + m_limitPct) / m_tick) * m_tick);
    const QString down = price3(std::round(m_preClose * (1 - m_limitPct) / m_tick) * m_tick);
    STEP_COMPARE(e2e::rowTexts(quotes, row).mid(0, 9),
                 QStringList({CODE, m_name, close, close, close, close, up, down, close}), "quote row");
    STEP_COMPARE(newBoxes(), QStringList(), "boxes");
    m_finished = 1;
}

void TestTraderDayE2e::step2_buyFromTheQuoteTableOneFillsOneRests() {
    BEGIN_STEP(2);
    UserWidget* w = workspace();
    StockQuotesWidget* quotes = w->quotePage();
    OrderWindow* window = orderWindow();
    STEP_VERIFY(!window->isVisible(), "the order window is open before it was asked for");

    // The search scrolls the code's row to the top; its "下单" opens the order window on it.
    e2e::replaceText(quotes->codeEdit(), CODE);
    QTest::mouseClick(quotes->searchButton(), Qt::LeftButton);
    BaseTableWidget* table = quotes->tableWidget();
    const int row = rowOfCode(table, 0, CODE);
    STEP_COMPARE(table->rowAt(0), row, "row at the top of the quote table after the search");
    STEP_VERIFY(waitUntil([&] { return quotes->orderButton(row) && quotes->orderButton(row)->isVisible(); }),
                "no visible 下单 button on the row");
    STEP_COMPARE(quotes->orderButton(row)->text(), QStringLiteral("下单"), "button of the quote row");
    QTest::mouseClick(quotes->orderButton(row), Qt::LeftButton);
    STEP_VERIFY(window->isVisible(), "下单 did not open the order window");
    STEP_COMPARE(tabTitles(window->tabWidget()), QStringList({"买卖/申赎", "要约收购"}), "order window tabs");
    STEP_COMPARE(window->size(), QSize(593, 333), "order window size");
    OrderWidget* form = window->orderWidget();
    STEP_COMPARE(form->codeEdit()->text(), CODE, "code in the order form");
    STEP_COMPARE(form->nameLabel()->text(), m_name, "name in the order form");
    STEP_COMPARE(form->typeBox()->currentText(), QStringLiteral("限价"), "order type");

    // The unmoved book: asks a tick apart above the close, bids below it.
    LevelWidget* panel = window->levelWidget();
    QStringList book;
    for (int k = 5; k >= 1; --k) book << price3(m_preClose + k * m_tick);
    for (int k = 1; k <= 5; ++k) book << price3(m_preClose - k * m_tick);
    const QString up = price3(std::round(m_preClose * (1 + m_limitPct) / m_tick) * m_tick);
    const QString down = price3(std::round(m_preClose * (1 - m_limitPct) / m_tick) * m_tick);
    book << price3(m_preClose) << price3(m_preClose) << up << down;
    STEP_VERIFY(waitUntil([&] { return panelPrices(panel) == book; }, 5000),
                "level panel " + describe(panelPrices(panel)) + ", expected " + describe(book));
    STEP_VERIFY(
        panel->askVolumeCell(1)->text().toInt() >= 100 && panel->bidVolumeCell(1)->text().toInt() >= 100,
        "a best level holds less than a lot");
    m_ask1 = m_preClose + m_tick;
    m_bid1 = m_preClose - m_tick;
    m_bid5 = m_preClose - 5 * m_tick;

    QSignalSpy accepted(SignalInterface::instance(), &SignalInterface::signal_rspInsertOrder);
    // A limit buy at the best ask, clicked in the panel: it fills.
    QTest::mouseClick(panel->askPriceCell(1), Qt::LeftButton);
    STEP_COMPARE(form->priceEdit()->text(), price3(m_ask1), "price after clicking 卖一");
    e2e::typeInto(form->quantityEdit(), "100");
    m_firstOrderTime = QDateTime::currentDateTime();
    QTest::mouseClick(form->orderButton(), Qt::LeftButton);
    STEP_VERIFY(waitForNewBoxes(2), "boxes of the first order: " + describe(newBoxes()));
    STEP_COMPARE(newBoxes(), ORDER_BOXES, "boxes of the filled buy");
    // The fill moves the last price.
    STEP_VERIFY(waitUntil([&] { return panel->lastCell()->text() == price3(m_ask1); }, 5000),
                "最新 shows " + panel->lastCell()->text());

    // A limit buy at the fifth bid, below the market: it rests.
    QTest::mouseClick(panel->bidPriceCell(5), Qt::LeftButton);
    STEP_COMPARE(form->priceEdit()->text(), price3(m_bid5), "price after clicking 买五");
    QTest::mouseClick(form->orderButton(), Qt::LeftButton);
    STEP_VERIFY(waitForNewBoxes(4), "boxes of the second order: " + describe(newBoxes()));
    STEP_COMPARE(newBoxes(), ORDER_BOXES + ORDER_BOXES, "boxes of both buys");
    STEP_VERIFY(waitUntil([&] { return accepted.size() == 2; }), "two accepted orders");
    m_filledNo = accepted.at(0).at(0).value<CMoruRspOrderInsertField>().OrderSysID;
    m_restingNo = accepted.at(1).at(0).value<CMoruRspOrderInsertField>().OrderSysID;

    // The other tabs hide the level panel and narrow the window; the first brings both back.
    QTabBar* bar = window->tabWidget()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    STEP_COMPARE(window->size(), QSize(343, 333), "order window size on 要约收购");
    STEP_VERIFY(!panel->isVisible(), "the level panel shows on 要约收购");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    STEP_COMPARE(window->size(), QSize(573, 333), "order window size back on 买卖/申赎");

    QTest::mouseClick(form->clearButton(), Qt::LeftButton);
    STEP_COMPARE(form->codeEdit()->text(), QString(), "code after 清空");
    QTest::keyClick(window, Qt::Key_Escape);
    STEP_VERIFY(!window->isVisible(), "Escape left the order window open");
    m_finished = 2;
}

void TestTraderDayE2e::step3_ordersShownTheRestingOneCancelledBothExports() {
    BEGIN_STEP(3);
    UserWidget* w = workspace();
    OrderedWidget* page = w->orderPage();
    STEP_VERIFY(e2e::showTab(w->tabWidget(), page), "the 委托查询 tab did not come up");
    QTest::mouseClick(page->searchButton(), Qt::LeftButton);
    BaseTableWidget* table = page->tableWidget();
    STEP_VERIFY(waitUntil([&] { return page->searchButton()->isEnabled() && table->rowCount() == 2; }),
                QStringLiteral("%1 order rows").arg(table->rowCount()));

    m_stepStart = m_firstOrderTime;
    QStringList filled =
        orderRow("", m_filledNo, m_ask1, "已成", "普通报单", "买", price3(m_ask1), "100", "0");
    QStringList resting = orderRow("", m_restingNo, m_bid5, "已报", "普通报单", "买", "0.000", "0", "100");
    STEP_VERIFY(takeTime(filled, e2e::rowTexts(table, 0), 16, "hh:mm:ss.zzz"),
                "time of the filled order in " + describe(e2e::rowTexts(table, 0)));
    STEP_VERIFY(takeTime(resting, e2e::rowTexts(table, 1), 16, "hh:mm:ss.zzz"),
                "time of the resting order in " + describe(e2e::rowTexts(table, 1)));
    STEP_COMPARE(e2e::rowTexts(table, 0), filled, "row of the filled order");
    STEP_COMPARE(e2e::rowTexts(table, 1), resting, "row of the resting order");
    for (int row = 0; row < 2; ++row)
        STEP_VERIFY(table->item(row, 0)->checkState() == Qt::Unchecked, "a tick box starts ticked");

    // Tick the resting order and cancel it; the search that follows shows it cancelled and the
    // cancellation itself, numbered next by the counter.
    e2e::clickTickBox(table, 1);
    STEP_VERIFY(table->item(1, 0)->checkState() == Qt::Checked, "the click did not tick the resting order");
    m_stepStart = QDateTime::currentDateTime();
    QTest::mouseClick(page->cancelButton(), Qt::LeftButton);
    STEP_VERIFY(waitForNewBoxes(1), "no box after 批量撤单");
    STEP_COMPARE(newBoxes(), QStringList({"information|成功|撤单发送成功"}), "box of the cancellation");
    STEP_VERIFY(waitUntil([&] { return page->searchButton()->isEnabled() && table->rowCount() == 3; }),
                QStringLiteral("%1 order rows after the cancellation").arg(table->rowCount()));
    QStringList cancelled = orderRow("", m_restingNo, m_bid5, "已撤", "普通报单", "买", "0.000", "0", "0");
    QStringList cancellation =
        orderRow("<none>", m_restingNo + 1, m_bid5, "已撤", "普通撤单", "买", "0.000", "0", "0");
    cancelled[16] = resting[16];
    STEP_VERIFY(takeTime(cancellation, e2e::rowTexts(table, 2), 16, "hh:mm:ss.zzz"),
                "time of the cancellation");
    STEP_COMPARE(e2e::rowTexts(table, 0), filled, "row of the filled order after the cancellation");
    STEP_COMPARE(e2e::rowTexts(table, 1), cancelled, "row of the cancelled order");
    STEP_COMPARE(e2e::rowTexts(table, 2), cancellation, "row of the cancellation");

    // Both exports hold the three rows, without the tick box column.
    QTemporaryDir dir;
    QString path;
    DialogSeam::setSaveHandler([&path](const QString&, const QString&, const QString&) { return path; });
    path = dir.filePath("shown.csv");
    QTest::mouseClick(page->exportButton(), Qt::LeftButton);
    path = dir.filePath("all.csv");
    QTest::mouseClick(page->exportAllButton(), Qt::LeftButton);
    DialogSeam::setSaveHandler({});
    STEP_COMPARE(newBoxes().mid(1),
                 QStringList({"information|成功|文件写入成功", "information|成功|文件写入成功"}),
                 "export boxes");
    QByteArray expected = "\xEF\xBB\xBF" + ORDER_HEADERS.mid(1).join(',').toUtf8() + '\n';
    for (const QStringList& row : {filled, cancelled, cancellation}) {
        QStringList cells;
        for (const QString& cell : row.mid(1)) cells << '"' + QString(cell).replace('"', "\"\"") + '"';
        expected += cells.join(',').toUtf8() + '\n';
    }
    STEP_COMPARE(QString::fromUtf8(readFile(dir.filePath("shown.csv"))), QString::fromUtf8(expected),
                 "导出 file");
    STEP_COMPARE(QString::fromUtf8(readFile(dir.filePath("all.csv"))), QString::fromUtf8(expected),
                 "全部导出 file");
    m_finished = 3;
}

void TestTraderDayE2e::step4_positionShownPartSoldFromItsRow() {
    BEGIN_STEP(4);
    UserWidget* w = workspace();
    PositionWidget* page = w->positionPage();
    STEP_VERIFY(e2e::showTab(w->tabWidget(), page), "the 持仓查询 tab did not come up");
    BaseTableWidget* table = page->tableWidget();
    auto search = [&] {
        QTest::mouseClick(page->searchButton(), Qt::LeftButton);
        return waitUntil([&] { return page->searchButton()->isEnabled() && rowOfCode(table, 0, CODE) >= 0; });
    };
    STEP_VERIFY(search(), "no position row for " + CODE);

    // Bought today on top of yesterday's holding, which alone may be sold; the cost takes in the fee.
    const double bought = m_ask1 * 100;
    m_cost = (m_startCost * m_startQty + bought + feeOf(bought)) / (m_startQty + 100);
    int row = rowOfCode(table, 0, CODE);
    STEP_COMPARE(e2e::rowTexts(table, row), positionRow(100, 0), "position row after the buy");

    // Its "下单" opens the order window on the code; sell one lot at the best bid.
    table->scrollToItem(table->item(row, 0));
    MyPushButton* orderButton = page->orderButton(row);
    STEP_VERIFY(orderButton && orderButton->text() == QStringLiteral("下单"), "no 下单 on the position row");
    QTest::mouseClick(orderButton, Qt::LeftButton);
    OrderWindow* window = orderWindow();
    STEP_VERIFY(window->isVisible(), "下单 did not open the order window");
    OrderWidget* form = window->orderWidget();
    STEP_COMPARE(form->codeEdit()->text(), CODE, "code in the order form");
    STEP_COMPARE(form->nameLabel()->text(), m_name, "name in the order form");
    QTest::mouseClick(form->sideButton(1), Qt::LeftButton);
    STEP_VERIFY(form->sideButton(1)->isChecked(), "卖 not chosen");
    LevelWidget* panel = window->levelWidget();
    STEP_VERIFY(waitUntil([&] { return panel->bidPriceCell(1)->text() == price3(m_bid1); }, 5000),
                "买一 shows " + panel->bidPriceCell(1)->text());
    QTest::mouseClick(panel->bidPriceCell(1), Qt::LeftButton);
    STEP_COMPARE(form->priceEdit()->text(), price3(m_bid1), "price after clicking 买一");
    e2e::typeInto(form->quantityEdit(), "100");
    QSignalSpy accepted(SignalInterface::instance(), &SignalInterface::signal_rspInsertOrder);
    QTest::mouseClick(form->orderButton(), Qt::LeftButton);
    STEP_VERIFY(waitForNewBoxes(2), "boxes of the sale: " + describe(newBoxes()));
    STEP_COMPARE(newBoxes(), ORDER_BOXES, "boxes of the sale");
    STEP_VERIFY(waitUntil([&] { return accepted.size() == 1; }), "the sale was not accepted");
    m_soldNo = accepted.at(0).at(0).value<CMoruRspOrderInsertField>().OrderSysID;
    QTest::keyClick(window, Qt::Key_Escape);

    STEP_VERIFY(search() && waitUntil([&] {
                    const int r = rowOfCode(table, 0, CODE);
                    return r >= 0 && table->item(r, 2)->text() == QStringLiteral("100");
                }),
                "the position does not show the sale");
    row = rowOfCode(table, 0, CODE);
    STEP_COMPARE(e2e::rowTexts(table, row), positionRow(100, 100), "position row after the sale");
    m_finished = 4;
}

void TestTraderDayE2e::step5_tradesShowBothFills() {
    BEGIN_STEP(5);
    UserWidget* w = workspace();
    TransactionWidget* page = w->tradePage();
    STEP_VERIFY(e2e::showTab(w->tabWidget(), page), "the 成交查询 tab did not come up");
    QTest::mouseClick(page->queryButton(), Qt::LeftButton);
    BaseTableWidget* table = page->tableWidget();
    STEP_VERIFY(waitUntil([&] { return page->queryButton()->isEnabled() && table->rowCount() == 2; }),
                QStringLiteral("%1 trade rows").arg(table->rowCount()));
    auto tradeRow = [](quint32 sysId, double price, const QString& side) {
        return QStringList({orderNumber(sysId), CODE, price6(price), side, "100", "0", "<time>", "限价", "0",
                            "", "", "0", "0", price6(0)});
    };
    QStringList buy = tradeRow(m_filledNo, m_ask1, "买");
    QStringList sale = tradeRow(m_soldNo, m_bid1, "卖");
    m_stepStart = m_firstOrderTime;
    STEP_VERIFY(takeTime(buy, e2e::rowTexts(table, 0), 6, "hh:mm:ss.zzz"), "time of the bought fill");
    STEP_VERIFY(takeTime(sale, e2e::rowTexts(table, 1), 6, "hh:mm:ss.zzz"), "time of the sold fill");
    STEP_COMPARE(e2e::rowTexts(table, 0), buy, "row of the bought fill");
    STEP_COMPARE(e2e::rowTexts(table, 1), sale, "row of the sold fill");
    STEP_COMPARE(newBoxes(), QStringList(), "boxes");
    m_finished = 5;
}

void TestTraderDayE2e::step6_depositTransferAndTheNewFigures() {
    BEGIN_STEP(6);
    UserWidget* w = workspace();

    // Money in; the list shows it once refreshed.
    QTest::mouseClick(w->depositButton(), Qt::LeftButton);
    DepositAndWithdrawalDialog* deposit = w->depositDialog();
    STEP_VERIFY(deposit && deposit->isVisible(), "出入金 did not open its dialog");
    DepositAndWithdrawalWidget* funds = deposit->page();
    e2e::replaceText(funds->amountEdit(), QString::number(DEPOSIT, 'f', 2));
    QTest::mouseClick(funds->depositButton(), Qt::LeftButton);
    STEP_VERIFY(waitForNewBoxes(1), "no box after 入金");
    STEP_COMPARE(newBoxes(), QStringList({"information|提示|调入资金成功"}), "box of the deposit");
    QTest::mouseClick(funds->refreshButton(), Qt::LeftButton);
    STEP_VERIFY(waitUntil([&] { return funds->tableWidget()->rowCount() == 1; }), "no deposit record");
    QStringList record = {m_orgCode, QString::number(DEPOSIT, 'f', 2), "入金", "<time>"};
    STEP_VERIFY(takeTime(record, e2e::rowTexts(funds->tableWidget(), 0), 3, "yyyyMMdd hh:mm:ss"),
                "time of the deposit " + e2e::rowTexts(funds->tableWidget(), 0).value(3));
    STEP_COMPARE(e2e::rowTexts(funds->tableWidget(), 0), record, "deposit record");
    QTest::keyClick(deposit, Qt::Key_Escape);

    // Money across to Shenzhen: accepted, then reported done; the record runs to "操作结束".
    QTest::mouseClick(w->transferButton(), Qt::LeftButton);
    FundTransferWidget* transfer = w->transferWindow();
    STEP_VERIFY(transfer && transfer->isVisible(), "沪深资金调拨 did not open its window");
    STEP_VERIFY(transfer->operationWidget()->findChild<QRadioButton*>()->isChecked(),
                "上交柜台调往深交柜台 is not the chosen direction");
    e2e::typeInto(transfer->operationWidget()->amountBox(), QString::number(TRANSFER));
    const QDateTime transferTime = QDateTime::currentDateTime();
    QTest::mouseClick(transfer->operationWidget()->sendButton(), Qt::LeftButton);
    STEP_VERIFY(waitForNewBoxes(3), "boxes of the transfer: " + describe(newBoxes()));
    STEP_COMPARE(newBoxes().mid(1),
                 QStringList({"information|确认|是否确认调拨", "information|信息|调拨成功"}),
                 "boxes of the transfer");
    FundTransferTableWidget* records = transfer->tableWidget();
    QTest::mouseClick(records->refreshButton(), Qt::LeftButton);
    STEP_VERIFY(waitUntil([&] { return records->refreshArmed() && records->tableWidget()->rowCount() == 1; }),
                "no transfer record");
    QStringList moved = {
        m_orgCode, QString::number(TRANSFER, 'f', 2), "上交柜台调往深交柜台", "0", "成功", "操作结束",
        "<time>"};
    m_stepStart = transferTime;
    STEP_VERIFY(takeTime(moved, e2e::rowTexts(records->tableWidget(), 0), 6, "hh:mm:ss.zzz"),
                "time of the transfer");
    STEP_COMPARE(e2e::rowTexts(records->tableWidget(), 0), moved, "transfer record");
    QTest::keyClick(transfer, Qt::Key_Escape);

    // The figures of the day: the deposit in, the transfer out, the buy paid with its fee, the sale's
    // money in less its fee but not withdrawable before tomorrow, nothing held for open orders.
    const double bought = m_ask1 * 100;
    const double sold = m_bid1 * 100;
    const double placed = m_shanghaiCapital + DEPOSIT - TRANSFER;
    const double available = placed - bought - feeOf(bought) + sold - feeOf(sold);
    const QStringList figures = {price3(placed), price3(available), price3(available - sold),
                                 "0.000",        "0.000",           price3(feeOf(bought) + feeOf(sold)),
                                 price3(sold),   price3(bought)};
    QTest::mouseClick(w->fundButton(), Qt::LeftButton);
    PersonalInfDialog* account = w->accountDialog();
    STEP_VERIFY(account && account->isVisible(), "资金查询 did not open its dialog");
    STEP_COMPARE(account->size(), QSize(260, 290), "资金查询 dialog size");
    STEP_VERIFY(
        waitUntil([&] { return labelTexts(account->valueLabels()) == figures; }),
        "figures " + describe(labelTexts(account->valueLabels())) + ", expected " + describe(figures));
    QTest::keyClick(account, Qt::Key_Escape);
    STEP_COMPARE(newBoxes().size(), 3, "boxes");
    m_finished = 6;
}

void TestTraderDayE2e::step7_newPasswordLostCounterShenzhenLogin() {
    BEGIN_STEP(7);
    e2e::Session& s = *m_session;
    UserWidget* w = workspace();
    QTest::mouseClick(w->passwordButton(), Qt::LeftButton);
    UpdatePwdDialog* dialog = w->passwordDialog();
    STEP_VERIFY(dialog && dialog->isVisible(), "修改密码 did not open its dialog");
    STEP_COMPARE(dialog->size(), QSize(254, 160), "修改密码 dialog size");
    e2e::replaceText(dialog->oldPasswordEdit(), PASSWORD);
    e2e::replaceText(dialog->newPasswordEdit(), NEW_PASSWORD);
    QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    STEP_VERIFY(waitForNewBoxes(2), "boxes of the password change: " + describe(newBoxes()));
    STEP_COMPARE(newBoxes(),
                 QStringList({"information|确认|是否确认修改密码", "information|成功|密码修改成功"}),
                 "boxes of the password change");
    STEP_VERIFY(!dialog->isVisible(), "the password dialog stayed open");

    // The counter drops every link and keeps the account: one box, the login page, an empty form.
    m_boxesBefore = s.boxes.size();
    STEP_VERIFY(s.sim.control(moru_wire::kCtlDropAll), "moru-sim refused to drop the links");
    STEP_VERIFY(waitForNewBoxes(1), "no box after the links dropped");
    QTest::qWait(300);  // the other two links' losses arrive too, and must not show a box
    STEP_COMPARE(newBoxes(), QStringList({"critical|错误|与柜台的链接断开，请重新登录！"}),
                 "boxes of the lost counter");
    STEP_COMPARE(s.window->stackedWidget()->currentIndex(), 0, "page after the lost counter");
    STEP_VERIFY(!s.loggedIn(), "the workspace outlived the lost counter");
    LoginWidget* login = s.window->loginWidget();
    STEP_COMPARE(
        QStringList({login->exchangeBox()->currentText(), login->accountEdit()->text(),
                     login->passwordEdit()->text(), login->nodeEdit()->text(), login->loginButton()->text()}),
        QStringList({"", "", "", "6", "立即登录"}), "login form after the lost counter");

    // Back in, to Shenzhen, with the new password: the money moved in step 6 is there, and the order
    // window offers the warrant exercise in place of the tender offer.
    m_boxesBefore = s.boxes.size();
    STEP_VERIFY(s.login(e2e::Shenzhen, ACCOUNT, NEW_PASSWORD), "no Shenzhen login: " + describe(newBoxes()));
    w = workspace();
    STEP_COMPARE(w->exchangeIconPath(), QStringLiteral(":/resource/szse.svg"),
                 "exchange picture in the header");
    QTest::mouseClick(w->fundButton(), Qt::LeftButton);
    const QString held = price3(m_shenzhenCapital + TRANSFER);
    const QStringList figures = {held, held, held, "0.000", "0.000", "0.000", "0.000", "0.000"};
    STEP_VERIFY(waitUntil([&] { return labelTexts(w->accountDialog()->valueLabels()) == figures; }),
                "Shenzhen figures " + describe(labelTexts(w->accountDialog()->valueLabels())));
    QTest::keyClick(w->accountDialog(), Qt::Key_Escape);

    QTest::mouseClick(w->tradeButton(), Qt::LeftButton);
    OrderWindow* window = orderWindow();
    STEP_VERIFY(window && window->isVisible(), "交易 did not open the order window");
    STEP_COMPARE(tabTitles(window->tabWidget()), QStringList({"买卖/申赎", "权证行权"}), "order window tabs");
    QTabBar* bar = window->tabWidget()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    STEP_VERIFY(window->exerciseWidget()->isVisible(), "the warrant exercise form is not shown");
    STEP_COMPARE(window->size(), QSize(343, 333), "order window size on 权证行权");
    STEP_COMPARE(newBoxes(), QStringList(), "boxes after the Shenzhen login");
    m_finished = 7;
}

QTEST_MAIN(TestTraderDayE2e)
#include "test_trader_day_e2e.moc"
