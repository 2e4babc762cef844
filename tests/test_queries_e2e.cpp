// The query pages against moru-sim through the real trading library, driven as a user does: an
// account of 25,000 orders arrives whole; an order placed and partly filled is ticked and cancelled;
// positions and trades agree with the fills.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "captured_log.h"
#include "e2e_session.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/queryWindow/transaction_widget.h"
#include "utils/signal_interface.h"

namespace {

const QString CODE = QStringLiteral("600000");

int rowOfOrder(QTableWidget* table, const QString& orderNo, const QString& kind) {
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 1)->text() == orderNo && table->item(row, 9)->text() == kind) return row;
    return -1;
}

// The starting Shanghai position of an account in the simulator's data.
qint64 startingQty(const QString& account, const QString& code) {
    QFile data(QStringLiteral(MORU_SOURCE_DIR "/sim/data/demo.json"));
    if (!data.open(QIODevice::ReadOnly)) return -1;
    for (const QJsonValue& a : QJsonDocument::fromJson(data.readAll()).object().value("accounts").toArray()) {
        if (a["account"].toString() != account) continue;
        for (const QJsonValue& p : a["markets"]["1"]["positions"].toArray())
            if (p["code"].toString() == code) return p["qty"].toInt();
    }
    return 0;
}

}  // namespace

class TestQueriesE2e : public QObject {
    Q_OBJECT
private slots:
    void anAccountOf25000OrdersArrivesWhole();
    void aPartlyFilledOrderIsCancelledAndPositionsAndTradesAgree();
};

void TestQueriesE2e::anAccountOf25000OrdersArrivesWhole() {
    CapturedLog::install();  // a line per record and per row
    e2e::Session s;
    QVERIFY(s.start({"--big-account", "10880002:25000:1", "--no-walk"}));
    QVERIFY2(s.login(e2e::Shanghai, "10880002", "654321"), qPrintable(s.boxesText()));
    UserWidget* w = s.workspace();
    OrderedWidget* page = w->orderPage();
    QVERIFY(e2e::showTab(w->tabWidget(), page));
    QTest::mouseClick(page->searchButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(page->searchButton()->isEnabled(), 60000);
    QVERIFY2(s.boxes.isEmpty(), qPrintable(s.boxesText()));
    QCOMPARE(page->recordCount(), 25000);
    QTableWidget* table = page->tableWidget();
    QCOMPARE(table->rowCount(), 10000);
    QVERIFY(page->moreButton()->isEnabled());
    QTest::mouseClick(page->moreButton(), Qt::LeftButton);
    QTest::mouseClick(page->moreButton(), Qt::LeftButton);
    QCOMPARE(table->rowCount(), 25000);
    QVERIFY(!page->moreButton()->isEnabled());

    // Each order once and in order: the counter numbers them one after another.
    const qint64 first = table->item(0, 1)->text().toLongLong();
    for (int row = 0; row < table->rowCount(); ++row)
        QCOMPARE(table->item(row, 1)->text(),
                 QStringLiteral("%1").arg(first + row, 10, 10, QLatin1Char('0')));

    // With every record shown, both exports write the same file.
    QTemporaryDir dir;
    QString path;
    DialogSeam::setSaveHandler([&](const QString&, const QString&, const QString&) { return path; });
    path = dir.filePath("all.csv");
    QTest::mouseClick(page->exportAllButton(), Qt::LeftButton);
    path = dir.filePath("table.csv");
    QTest::mouseClick(page->exportButton(), Qt::LeftButton);
    QFile all(dir.filePath("all.csv"));
    QFile shown(dir.filePath("table.csv"));
    QVERIFY(all.open(QIODevice::ReadOnly) && shown.open(QIODevice::ReadOnly));
    const QByteArray allBytes = all.readAll();
    QCOMPARE(allBytes.count('\n'), 25001);
    QCOMPARE(shown.readAll(), allBytes);
    CapturedLog::uninstall();
}

void TestQueriesE2e::aPartlyFilledOrderIsCancelledAndPositionsAndTradesAgree() {
    e2e::Session s;
    QVERIFY(s.start({"--no-walk", "--quote-interval-ms", "200"}));
    QVERIFY2(s.login(e2e::Shanghai, "10880001", "123456"), qPrintable(s.boxesText()));
    UserWidget* w = s.workspace();

    // Through the order form, as a user: buy more than the best ask holds, at that price, so the rest waits.
    QuotesTcpClient* quotes = w->manager()->quotesClient();
    QTRY_VERIFY_WITH_TIMEOUT(quotes->marketDataMap().contains(CODE), 15000);
    const ClientSecurityMarketDataLevel1 quote = quotes->marketDataMap().value(CODE);
    const double ask = quote.AskPrice1;
    const quint32 askQty = quint32(quote.AskVolume1);
    QVERIFY(ask > 0 && askQty > 0 && double(quote.AskPrice2) > ask);
    QSignalSpy inserted(SignalInterface::instance(), &SignalInterface::signal_rspInsertOrder);
    QTest::mouseClick(w->tradeButton(), Qt::LeftButton);
    OrderWidget* form = w->orderWindow()->orderWidget();
    QTest::keyClicks(form->codeEdit(), CODE);
    e2e::typeInto(form->priceEdit(), QString::number(ask, 'f', 3));
    e2e::typeInto(form->quantityEdit(), QString::number(askQty + 100));
    QTest::mouseClick(form->orderButton(), Qt::LeftButton);
    QVERIFY2(s.waitForBoxes(2), qPrintable(s.boxesText()));
    QCOMPARE(s.boxesText(), QStringLiteral("[确认] 是否确认交易 | [成功] 报单发送成功"));
    QTRY_COMPARE_WITH_TIMEOUT(inserted.size(), 1, 10000);
    const auto accepted = inserted[0].at(0).value<CMoruRspOrderInsertField>();
    const QString orderNo = QStringLiteral("%1").arg(quint32(accepted.OrderSysID), 10, 10, QLatin1Char('0'));
    QVERIFY(quint32(accepted.OrderSysID) != 0);
    w->orderWindow()->hide();

    // The order page shows it partly filled; tick it and cancel it.
    OrderedWidget* orders = w->orderPage();
    QVERIFY(e2e::showTab(w->tabWidget(), orders));
    QTest::keyClicks(orders->codeEdit(), CODE);
    QTest::mouseClick(orders->searchButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(orders->searchButton()->isEnabled(), 10000);
    QTableWidget* table = orders->tableWidget();
    int row = rowOfOrder(table, orderNo, "普通报单");
    QVERIFY(row >= 0);
    QCOMPARE(table->item(row, 3)->text(), CODE);
    QCOMPARE(table->item(row, 8)->text(), QStringLiteral("部成"));
    QCOMPARE(table->item(row, 10)->text(), QStringLiteral("买"));
    QCOMPARE(table->item(row, 11)->text(), QString::number(ask, 'f', 3));
    QCOMPARE(table->item(row, 12)->text(), QString::number(askQty));
    QCOMPARE(table->item(row, 13)->text(), QStringLiteral("100"));
    e2e::clickTickBox(table, row);
    QCOMPARE(table->item(row, 0)->checkState(), Qt::Checked);
    QTest::mouseClick(orders->cancelButton(), Qt::LeftButton);
    QVERIFY(s.waitForBoxes(3));
    QCOMPARE(s.boxes[2].title + "/" + s.boxes[2].text, QStringLiteral("成功/撤单发送成功"));

    // The search that follows shows the order partly cancelled and the cancellation itself.
    QTRY_VERIFY_WITH_TIMEOUT(orders->searchButton()->isEnabled(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(table->rowCount() > row, 10000);
    row = rowOfOrder(table, orderNo, "普通报单");
    QVERIFY(row >= 0);
    QCOMPARE(table->item(row, 8)->text(), QStringLiteral("部撤"));
    QCOMPARE(table->item(row, 12)->text(), QString::number(askQty));
    bool cancellationShown = false;
    for (int r = 0; r < table->rowCount(); ++r) {
        if (table->item(r, 9)->text() != QStringLiteral("普通撤单")) continue;
        cancellationShown = true;
        QVERIFY(!table->item(r, 0));  // no tick box on a cancellation
    }
    QVERIFY(cancellationShown);

    // The trades of the order: the filled quantity at the ask.
    TransactionWidget* trades = w->tradePage();
    QVERIFY(e2e::showTab(w->tabWidget(), trades));
    QTest::keyClicks(trades->orderNoEdit(), QString::number(quint32(accepted.OrderSysID)));
    QTest::mouseClick(trades->queryButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(trades->queryButton()->isEnabled() && trades->recordCount() > 0, 10000);
    quint32 traded = 0;
    for (int r = 0; r < trades->tableWidget()->rowCount(); ++r) {
        QTableWidget* t = trades->tableWidget();
        QCOMPARE(t->item(r, 0)->text(), orderNo);
        QCOMPARE(t->item(r, 1)->text(), CODE);
        QCOMPARE(t->item(r, 2)->text(), QString::number(ask, 'f', 6));
        QCOMPARE(t->item(r, 3)->text(), QStringLiteral("买"));
        traded += t->item(r, 4)->text().toUInt();
    }
    QCOMPARE(traded, askQty);

    // The position holds what was bought today.
    PositionWidget* positions = w->positionPage();
    QVERIFY(e2e::showTab(w->tabWidget(), positions));
    QTest::keyClicks(positions->codeEdit(), CODE);
    QTest::mouseClick(positions->searchButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(positions->searchButton()->isEnabled() && positions->recordCount() == 1, 10000);
    QTableWidget* held = positions->tableWidget();
    QCOMPARE(held->item(0, 0)->text(), CODE);
    QCOMPARE(held->item(0, 1)->text(), QString::number(askQty));
    QCOMPARE(held->item(0, 4)->text(), QString::number(startingQty("10880001", CODE) + askQty));
    QCOMPARE(s.boxes.size(), 3);
}

QTEST_MAIN(TestQueriesE2e)
#include "test_queries_e2e.moc"
