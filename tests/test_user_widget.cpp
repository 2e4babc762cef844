#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>
#include <QtTest>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "rendered.h"
#include "user/queryWindow/ordered_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/query_windows_manager.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/queryWindow/transaction_widget.h"
#include "user/user_widget.h"
#include "utils/api_state.h"
#include "utils/read_api_config.h"

class TestUserWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void headerShowsTheLoginsAccountMarketAndBusinessCode() {
        writeConfig("BusinessCode=5123\n");
        currentAccount = QStringLiteral("10880002");
        currentMarket = '2';
        UserWidget w;
        w.buildWorkspace();
        w.refreshAccountInfo();
        QCOMPARE(w.accountLabel()->text(), QStringLiteral("10880002"));
        QCOMPARE(w.businessCodeLabel()->text(), QStringLiteral("5123"));
        QVERIFY(!w.businessIcon()->isHidden());
        QCOMPARE(w.exchangeIconPath(), QStringLiteral(":/resource/szse.svg"));
        QCOMPARE(w.exchangeIcon()->size(), QSize(33, 30));
        QCOMPARE(w.tradeButton()->size(), QSize(150, 28));
        QCOMPARE(rendered::face(*w.tradeButton()), QColor("#EE0000"));
        QCOMPARE(rendered::font(*w.tradeButton()), QStringLiteral("bold 17"));
    }

    void emptyBusinessCodeHidesItsIcon() {
        writeConfig("BusinessCode=\n");
        currentMarket = '1';
        UserWidget w;
        w.buildWorkspace();
        w.refreshAccountInfo();
        QVERIFY(w.businessIcon()->isHidden());
        QVERIFY(w.businessCodeLabel()->text().isEmpty());
        QCOMPARE(w.exchangeIconPath(), QStringLiteral(":/resource/sse.svg"));
    }

    void quotesSitAboveTheTabsAndTheirThreadEndsWithTheWorkspace() {
        auto* w = new UserWidget;
        w->buildWorkspace();
        w->buildWorkspace();  // a repeated success must not build a second page
        auto* layout = qobject_cast<QVBoxLayout*>(w->layout());
        QVERIFY(layout);
        QCOMPARE(w->findChildren<StockQuotesWidget*>().size(), 1);
        const int quotes = layout->indexOf(w->quotePage());
        const int tabs = layout->indexOf(w->tabWidget());
        QVERIFY(quotes >= 0 && tabs == quotes + 1);
        QThread* thread = w->manager()->workerThread();
        QVERIFY(thread->isRunning());
        QPointer<QThread> watch(thread);
        delete w;
        QVERIFY(watch.isNull() || !watch->isRunning());
    }

    void queryTabsInOrderWithTheirTitlesAndTheOrderPagesHeader() {
        fakeapi::reset();
        UserWidget w;
        w.buildWorkspace();
        QTabWidget* tabs = w.tabWidget();
        QVERIFY(tabs->count() >= 3);  // the terminal's own tabs come after these
        const QList<QueryWindow*> pages = {w.positionPage(), w.tradePage(), w.orderPage()};
        const QStringList titles = {"持仓查询", "成交查询", "委托查询"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(tabs->widget(i), pages[i]);
            QCOMPARE(tabs->tabText(i), titles[i]);
            QCOMPARE(pages[i]->windowName(), titles[i]);
        }

        // The order page's header carries the select-all box in a fixed 40-pixel section, wired to the page.
        QTableWidget* table = w.orderPage()->tableWidget();
        auto* header = qobject_cast<MyHeaderView*>(table->horizontalHeader());
        QVERIFY(header);
        QCOMPARE(header->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(table->columnWidth(0), 40);
        w.orderPage()->slot_clicked();
        QCOMPARE(int(fakeapi::requests().size()), 1);
        CMoruRspQryOrderField order;
        std::memset(&order, 0, sizeof order);
        order.MsgKind = 0x65;
        CMoruRspInfo ok;
        std::memset(&ok, 0, sizeof ok);
        w.orderPage()->slot_rspQryOrder(order, ok, fakeapi::requests()[0].requestId, true);
        QCOMPARE(table->rowCount(), 1);
        emit header->signalHeadCheckBoxToggled(true);
        QCOMPARE(table->item(0, 0)->checkState(), Qt::Checked);
    }

private:
    void writeConfig(const QByteArray& businessLine) {
        const QString path = m_dir.filePath("api_config.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("ManagerURL=tcp://127.0.0.1:1\n" + businessLine);
        f.close();
        ReadApiConfig::instance()->setFilePath(path);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestUserWidget)
#include "test_user_widget.moc"
