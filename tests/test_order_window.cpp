#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>
#include <memory>

#include "basicControl/my_click_label.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "captured_log.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "quote_frames.h"
#include "rendered.h"
#include "user/orderWindow/level_widget.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/order_window.h"
#include "user/orderWindow/tender_offer_widget.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "user/user_widget.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/read_api_config.h"
#include "utils/signal_interface.h"

// The order window: its tabs by exchange and their sizes, the quote level panel with its clickable
// prices, and how the workspace and the hub bring the window up.

namespace {

// Every cell of the level panel, top to bottom as shown: asks 5..1 (price, volume), bids 1..5 (price,
// volume), then last, previous close, limit up, limit down.
QStringList cellTexts(const LevelWidget& panel) {
    QStringList texts;
    for (int k = 5; k >= 1; --k) texts << panel.askPriceCell(k)->text() << panel.askVolumeCell(k)->text();
    for (int k = 1; k <= 5; ++k) texts << panel.bidPriceCell(k)->text() << panel.bidVolumeCell(k)->text();
    texts << panel.lastCell()->text() << panel.preCloseCell()->text() << panel.upperLimitCell()->text()
          << panel.lowerLimitCell()->text();
    return texts;
}

ClientSecurityMarketDataLevel1 fullBook() {
    ClientSecurityMarketDataLevel1 q = makeQuoteRecord("600000", toGbk(QStringLiteral("浦发银行")), 12.34);
    const double asks[5] = {12.35, 12.36, 12.37, 12.38, 12.39};
    const double bids[5] = {12.34, 12.33, 12.32, 12.31, 12.3};
    const quint64 askVolumes[5] = {100, 200, 300, 400, 500};
    const quint64 bidVolumes[5] = {600, 700, 800, 900, 1000};
    std::memcpy(&q.AskPrice1, asks, sizeof asks);
    std::memcpy(&q.BidPrice1, bids, sizeof bids);
    std::memcpy(&q.AskVolume1, askVolumes, sizeof askVolumes);
    std::memcpy(&q.BidVolume1, bidVolumes, sizeof bidVolumes);
    q.LastPrice = 12.34;
    q.PreClosePrice = 12.0;
    q.UpperLimitPrice = 13.2;
    q.LowerLimitPrice = 10.8;
    return q;
}

}  // namespace

class TestOrderWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        registerApiMetaTypes();
        QVERIFY(m_dir.isValid());
    }

    void init() {
        fakeapi::reset();
        currentMarket = '1';
        m_client = std::make_unique<QuotesTcpClient>(nullptr, m_dir.filePath("none.ini"));
        DialogSeam::setBoxHandler([](const DialogSeam::Box&) { return QMessageBox::Ok; });
        CapturedLog::install();
    }

    void cleanup() {
        CapturedLog::uninstall();
        DialogSeam::setBoxHandler({});
        m_client.reset();
        currentMarket = '0';
    }

    void levelCellsShowTheCachedQuote_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("cells");

        QTest::newRow("full book") << quoteFrame(fullBook()) << "600000"
                                   << QStringList{"12.390", "500",  "12.380", "400",    "12.370", "300",
                                                  "12.360", "200",  "12.350", "100",    "12.340", "600",
                                                  "12.330", "700",  "12.320", "800",    "12.310", "900",
                                                  "12.300", "1000", "12.340", "12.000", "13.200", "10.800"};
        ClientSecurityMarketDataLevel1 thin = fullBook();
        thin.BidPrice3 = 0;  // an empty level keeps a volume the panel must not show
        thin.AskPrice4 = 0;
        thin.AskPrice5 = 0;
        thin.LastPrice = 0;
        QTest::newRow("empty levels")
            << quoteFrame(thin) << "600000"
            << QStringList{"-",      "-",   "-",      "-",    "12.370", "300",    "12.360", "200",
                           "12.350", "100", "12.340", "600",  "12.330", "700",    "-",      "-",
                           "12.310", "900", "12.300", "1000", "0.000",  "12.000", "13.200", "10.800"};
        QStringList partial;
        for (int i = 0; i < 20; ++i) partial << "-";
        partial << "0.000"
                << "0.000"
                << "0.000"
                << "0.000";
        QTest::newRow("code not cached") << quoteFrame(fullBook()) << "60000" << partial;
        QTest::newRow("no code") << quoteFrame(fullBook()) << ""
                                 << QStringList(QVector<QString>(24, "-").toList());
    }

    void levelCellsShowTheCachedQuote() {
        QFETCH(QByteArray, frame);
        QFETCH(QString, code);
        QFETCH(QStringList, cells);
        QCOMPARE(m_client->ingest(frame.constData(), frame.size()), qint64(frame.size()));
        LevelWidget panel;
        QCOMPARE(cellTexts(panel), QStringList(QVector<QString>(24, "-").toList()));
        QVERIFY(!panel.refreshTimer());

        panel.setQuotesClient(m_client.get());
        QCOMPARE(panel.refreshTimer()->interval(), 1000);
        QVERIFY(panel.refreshTimer()->isActive());
        panel.slot_beginShowLevel(code);
        panel.slot_releaseData();  // what the timer calls every second
        QCOMPARE(cellTexts(panel), cells);

        // Clearing the code empties the panel at the next refresh.
        panel.slot_beginShowLevel(QString());
        panel.slot_releaseData();
        QCOMPARE(cellTexts(panel), QStringList(QVector<QString>(24, "-").toList()));
    }

    void clickedPricesLandInTheOrderForm() {
        const QByteArray frame = quoteFrame(fullBook());
        m_client->ingest(frame.constData(), frame.size());
        OrderWindow window;
        window.initDataClass(m_client.get());
        QVERIFY(CapturedLog::has(QtInfoMsg, "initDataClass"));
        window.show();
        OrderWidget* form = window.orderWidget();
        LevelWidget* panel = window.levelWidget();

        QTest::keyClicks(form->codeEdit(), "600000");
        QCOMPARE(panel->shownCode(), QStringLiteral("600000"));
        QCOMPARE(form->nameLabel()->text(), QStringLiteral("浦发银行"));
        panel->slot_releaseData();

        QTest::mouseClick(panel->askPriceCell(1), Qt::LeftButton);
        QCOMPARE(form->priceEdit()->value(), 12.35);
        QVERIFY(CapturedLog::has(QtInfoMsg, "price is :  \"12.350\"   \"12.350\""));
        QTest::mouseClick(panel->lowerLimitCell(), Qt::LeftButton);
        QCOMPARE(form->priceEdit()->value(), 10.8);

        // A partial code: levels "-" (ignored by the form), summary 0.000 (taken as 0).
        QTest::keyClick(form->codeEdit(), Qt::Key_Backspace);
        QCOMPARE(form->nameLabel()->text(), QString());
        panel->slot_releaseData();
        QTest::mouseClick(panel->bidPriceCell(1), Qt::LeftButton);
        QCOMPARE(form->priceEdit()->value(), 10.8);
        QTest::mouseClick(panel->lastCell(), Qt::LeftButton);
        QCOMPARE(form->priceEdit()->value(), 0.0);
    }

    void clickedPricesTheBoxCannotHoldAreRefused_data() {
        QTest::addColumn<double>("quoted");
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("inf") << std::numeric_limits<double>::infinity();
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity();
        QTest::newRow("above the box") << 3e9;
        QTest::newRow("below 0") << -1.5;
    }
    void clickedPricesTheBoxCannotHoldAreRefused() {
        QFETCH(double, quoted);
        ClientSecurityMarketDataLevel1 book = fullBook();
        book.AskPrice1 = quoted;
        const QByteArray frame = quoteFrame(book);
        m_client->ingest(frame.constData(), frame.size());
        OrderWindow window;
        window.initDataClass(m_client.get());
        QStringList shown;
        DialogSeam::setBoxHandler([&](const DialogSeam::Box& box) {
            shown << box.title + "|" + box.text;
            return QMessageBox::Ok;
        });
        window.show();
        QTest::keyClicks(window.orderWidget()->codeEdit(), "600000");
        LevelWidget* panel = window.levelWidget();
        panel->slot_releaseData();
        QTest::mouseClick(panel->bidPriceCell(1), Qt::LeftButton);
        QTest::mouseClick(panel->askPriceCell(1), Qt::LeftButton);
        QCOMPARE(window.orderWidget()->priceEdit()->value(), 12.34);
        QCOMPARE(shown, QStringList("错误|填写正确的价格!"));
    }

    void priceCellStylesFollowTheMouse() {
        MyClickLabel cell(QStringLiteral("12.340"));
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(&cell, &enter);
        QCOMPARE(cell.styleSheet(), QStringLiteral("border:1px solid;border-color:#CD2626;"));
        QSignalSpy sent(&cell, &MyClickLabel::signal_sendPrice);
        QTest::mousePress(&cell, Qt::LeftButton);
        QCOMPARE(cell.styleSheet(), QStringLiteral("border:1px solid;border-color:#87CEFA;"));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0][0].toString(), QStringLiteral("12.340"));
        QTest::mouseRelease(&cell, Qt::LeftButton);
        QCOMPARE(cell.styleSheet(), QStringLiteral("border:1px solid;border-color:#CD2626;"));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&cell, &leave);
        QCOMPARE(
            cell.styleSheet(),
            QStringLiteral(
                "MyLabel{border-radius: 3px;font-family:'Microsoft YaHei';font:bold 13px;color:#000000;}"));

        MyClickLabel blank;  // no text: nothing to send
        QVERIFY(blank.styleSheet().isEmpty());
        QSignalSpy none(&blank, &MyClickLabel::signal_sendPrice);
        QTest::mousePress(&blank, Qt::LeftButton);
        QCOMPARE(none.size(), 0);
    }

    void tabsFollowTheLoginsExchange_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QStringList>("tabs");
        QTest::newRow("Shanghai") << '1' << QStringList{"买卖/申赎", "要约收购"};
        QTest::newRow("Shenzhen") << '2' << QStringList{"买卖/申赎", "权证行权"};
        QTest::newRow("none") << '0' << QStringList{"买卖/申赎", "要约收购", "权证行权"};
    }

    void tabsFollowTheLoginsExchange() {
        QFETCH(char, market);
        QFETCH(QStringList, tabs);
        currentMarket = market;
        OrderWindow window;
        QCOMPARE(tabTitles(window), QStringList({"买卖/申赎", "要约收购", "权证行权"}));
        QCOMPARE(window.size(), QSize(593, 333));
        QVERIFY(window.windowFlags() & Qt::Tool);
        window.show();
        QCOMPARE(tabTitles(window), tabs);
        window.hide();
        window.show();  // the removal happens once
        QCOMPARE(tabTitles(window), tabs);

        window.tabWidget()->setCurrentIndex(1);
        QVERIFY(window.levelWidget()->isHidden());
        QCOMPARE(window.size(), QSize(343, 333));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        window.tabWidget()->setCurrentIndex(0);
        QVERIFY(!window.levelWidget()->isHidden());
        QCOMPARE(window.size(), QSize(573, 333));
        window.slotTabChanged(-1);
        QCOMPARE(window.size(), QSize(573, 333));
    }

    void placeOrderRequestBringsTheWindowUpOnItsCode() {
        OrderWindow window;
        window.initDataClass(m_client.get());
        QVERIFY(!window.isVisible());
        emit SignalInterface::instance()->signal_clicketOrder(QStringLiteral("600036"));
        QVERIFY(window.isVisible());
        QCOMPARE(window.orderWidget()->codeEdit()->text(), QStringLiteral("600036"));
        QCOMPARE(window.levelWidget()->shownCode(), QStringLiteral("600036"));
        // The tender offer form takes no code from it.
        QVERIFY(window.tenderOfferWidget()->codeEdit()->text().isEmpty());
    }

    void tradeButtonShowsTheWorkspacesOrderWindow() {
        const QString config = m_dir.filePath("api_config.txt");
        QFile f(config);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ManagerURL=tcp://127.0.0.1:1\nBusinessCode=\n");
        f.close();
        ReadApiConfig::instance()->setFilePath(config);
        UserWidget workspace;
        workspace.buildWorkspace();
        OrderWindow* window = workspace.orderWindow();
        QVERIFY(window);
        QCOMPARE(window->parentWidget(), &workspace);
        QVERIFY(window->levelWidget()->refreshTimer());  // the quote client was handed over
        QVERIFY(!window->isVisible());
        QTest::mouseClick(workspace.tradeButton(), Qt::LeftButton);
        QVERIFY(window->isVisible());
        window->hide();
        QTest::mouseClick(workspace.tradeButton(), Qt::LeftButton);
        QCOMPARE(workspace.findChildren<OrderWindow*>().size(), 1);
        QVERIFY(window->isVisible());
    }

private:
    static QStringList tabTitles(const OrderWindow& window) {
        QStringList titles;
        for (int i = 0; i < window.tabWidget()->count(); ++i) titles << window.tabWidget()->tabText(i);
        return titles;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QuotesTcpClient> m_client;  // never started: fed directly
};

QTEST_MAIN(TestOrderWindow)
#include "test_order_window.moc"
