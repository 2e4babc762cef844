#include <QRadioButton>
#include <QtTest>
#include <array>
#include <cstring>
#include <limits>

#include "answer_storm.h"
#include "basicControl/base_table_widget.h"
#include "basicControl/my_combo_box.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "basicControl/my_spin_box.h"
#include "captured_log.h"
#include "constants.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "quote_frames.h"
#include "user/orderWindow/account_holdings.h"
#include "user/orderWindow/exercise_of_warrants_widget.h"
#include "user/orderWindow/level_texts.h"
#include "user/orderWindow/order_checks.h"
#include "user/orderWindow/order_widget.h"
#include "user/orderWindow/quick_quantity_bar.h"
#include "user/orderWindow/tender_offer_widget.h"
#include "user/queryWindow/position_widget.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"
#include "utils/api_client_utils.h"
#include "utils/api_state.h"
#include "utils/desk_settings.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

// The three order forms against the fake trading library: the checks in their order, the confirmation,
// every request record byte for byte, and the boxes and log lines of the counter's answers.

namespace {

struct Expected {
    DialogSeam::Kind kind;
    QString title;
    QString text;
};

// A 48-byte request written the long way, field by field at its offset.
class Bytes {
public:
    template <typename T>
    Bytes& put(size_t offset, T value) {
        std::memcpy(m_bytes.data() + offset, &value, sizeof value);
        return *this;
    }
    Bytes& text(size_t offset, const char* value) {
        std::memcpy(m_bytes.data() + offset, value, std::strlen(value));
        return *this;
    }
    QByteArray bytes() const { return QByteArray(m_bytes.data(), int(m_bytes.size())); }

private:
    std::array<char, 48> m_bytes{};
};

// The three requests as the counter reads them: every field at its offset, the constant bytes included.
QByteArray insertBytes(const char* code, char side, double price, int32_t quantity, char type) {
    Bytes b;
    b.put<int32_t>(0, 41).text(4, code).put<char>(12, side).put<double>(14, price);
    b.put<int32_t>(22, quantity).put<char>(26, type).put<char>(27, '0').text(32, "MDsk");
    return b.bytes();
}

QByteArray tenderBytes(int32_t ref, char side, int32_t quantity, const char* offeror) {
    Bytes b;
    b.put<int32_t>(0, ref).text(4, "600999").put<char>(12, side).put<int32_t>(13, quantity);
    b.put<uint8_t>(17, 0).put<uint8_t>(18, 0xFF).text(19, offeror);
    return b.bytes();
}

QByteArray warrantBytes(double price, int32_t quantity) {
    Bytes b;
    b.put<int32_t>(0, 41).text(4, "031001").put<char>(12, '1').put<double>(13, price);
    b.put<int32_t>(21, quantity).put<char>(25, '2').put<uint8_t>(26, 0).put<uint8_t>(27, 0xFF);
    return b.bytes();
}

QByteArray bytesOf(const fakeapi::Request& r) {
    return QByteArray(reinterpret_cast<const char*>(r.bytes.data()), int(r.bytes.size()));
}

CMoruRspInfo info(int errorId, const char* text) {
    CMoruRspInfo i;
    std::memset(&i, 0, sizeof i);
    i.ErrorID = errorId;
    std::strncpy(i.ErrorMsg, text, sizeof i.ErrorMsg - 1);
    return i;
}

const QString kConfirmText = QStringLiteral("是否确认交易");

}  // namespace

class TestOrderForms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        registerApiMetaTypes();
        ApiClientUtils::fillCallbackTable();
    }

    void init() {
        fakeapi::reset();
        registerSpi(ApiClientUtils::callbackTable(), entryNo);
        apiDataReady = false;
        nextOrderRef = 41;
        requestIdCounter = 7;
        m_boxes.clear();
        m_choices.clear();
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            m_boxes << box;
            return QMessageBox::Ok;
        });
        m_linkLostInBox = false;
        DialogSeam::setChoiceHandler([this](const DialogSeam::Box& box) {
            m_boxes << box;
            if (m_linkLostInBox) DialogSeam::endSession();
            return m_choices.isEmpty() ? 0 : m_choices.takeFirst();
        });
        CapturedLog::install();
        // The form's own behaviour; the checks added before the confirmation have their own cases below.
        DeskSettings::instance().load(QStringLiteral("/nonexistent/moru-desk.ini"));
        DeskSettings::instance().set("checks/enabled", false);
    }

    void cleanup() {
        CapturedLog::uninstall();
        DialogSeam::setBoxHandler({});
        DialogSeam::setChoiceHandler({});
    }

    // ---- order entry form

    void priceTypesFollowTheMarket_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("codes");
        // Ascending QString (UTF-16) order: "限价" always last.
        QTest::newRow("no market") << '0'
                                   << QStringList{"对手方最优剩余转限价", "最优五档立即成交剩余撤销",
                                                  "本方最优", "限价"}
                                   << "1632";
        QTest::newRow("Shanghai") << '1'
                                  << QStringList{"对手方最优剩余转限价", "最优五档立即成交剩余撤销",
                                                 "最优五档立即成交剩余转限价", "本方最优", "限价"}
                                  << "16732";
        QTest::newRow("Shenzhen")
            << '2' << QStringList{"对手方最优剩余转限价",     "市价全额成交或撤销", "市价立即成交剩余撤销",
                                  "最优五档立即成交剩余撤销", "本方最优",           "限价"}
            << "154632";
    }

    void priceTypesFollowTheMarket() {
        QFETCH(char, market);
        QFETCH(QStringList, names);
        QFETCH(QString, codes);
        currentMarket = '0';
        OrderWidget form;
        form.show();
        // The login that follows rebuilds the list for its market.
        currentMarket = market;
        emit SignalInterface::instance()->signal_rspSuccessLogin();

        QStringList shown;
        for (int i = 0; i < form.typeBox()->count(); ++i) shown << form.typeBox()->itemText(i);
        QCOMPARE(shown, names);
        QString shownCodes;
        for (const QString& name : names) shownCodes += QChar(form.priceTypes().value(name));
        QCOMPARE(shownCodes, codes);
        QCOMPARE(form.priceTypes().size(), names.size());
        QCOMPARE(form.typeBox()->currentText(), PRICE_TYPE_LIMIT);

        // Shenzhen takes a price for limit orders only; elsewhere every type keeps it.
        for (const QString& name : names) {
            form.priceEdit()->setValue(12.5);
            form.typeBox()->setCurrentIndex(form.typeBox()->findText(name));
            const bool taken = market != '2' || name == PRICE_TYPE_LIMIT;
            QVERIFY2(form.priceEdit()->isEnabled() == taken, qPrintable(name));
            QCOMPARE(form.priceEdit()->value(), taken ? 12.5 : 0.0);
        }
        // "清空" returns to a limit order with a price to type.
        form.typeBox()->setCurrentIndex(form.typeBox()->findText(PRICE_TYPE_OWN_BEST));
        QTest::mouseClick(form.clearButton(), Qt::LeftButton);
        QCOMPARE(form.typeBox()->currentText(), PRICE_TYPE_LIMIT);
        QVERIFY(form.priceEdit()->isEnabled());
        currentMarket = '0';
    }

    void orderChecksRunInOrder_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("type");  // an item of the chooser, or text typed into it
        QTest::addColumn<int>("sideId");
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("problem");  // empty: goes on to the confirmation

        QTest::newRow("empty code") << '1' << ""
                                    << "nonsense" << 0 << 0.0 << 0 << "证券代码不能为空!";
        QTest::newRow("five digits") << '1' << "60000"
                                     << "nonsense" << 0 << 0.0 << 0 << "证券代码错误!";
        QTest::newRow("typed unknown type") << '1' << "600000"
                                            << "限价单" << 0 << 0.0 << 0 << "不存在的报单类型!";
        // Shanghai looks at the price whatever the type.
        for (const char* type : {"对手方最优剩余转限价", "本方最优", "最优五档立即成交剩余撤销",
                                 "最优五档立即成交剩余转限价", "限价"})
            QTest::newRow(qPrintable(QStringLiteral("SH buy at 0, ") + type))
                << '1' << "600000" << QString(type) << 0 << 0.0 << 100 << "填写正确的价格!";
        QTest::newRow("SH limit sell at 0") << '1' << "600000"
                                            << "限价" << 1 << 0.0 << 100 << "填写正确的价格!";
        QTest::newRow("SH limit, quantity 0") << '1' << "600000"
                                              << "限价" << 0 << 12.34 << 0 << "填写正确的数量!";
        QTest::newRow("SH limit, price and quantity 0: price first")
            << '1' << "600000"
            << "限价" << 0 << 0.0 << 0 << "填写正确的价格!";
        QTest::newRow("SZ limit sell, price and quantity 0: price first")
            << '2' << "000001"
            << "限价" << 1 << 0.0 << 0 << "填写正确的价格!";
        QTest::newRow("SZ limit buy at 0") << '2' << "000001"
                                           << "限价" << 0 << 0.0 << 100 << "填写正确的价格!";
        QTest::newRow("SZ own best at 0") << '2' << "000001"
                                          << "本方最优" << 0 << 0.0 << 100 << "";
        QTest::newRow("SZ own best, quantity 0") << '2' << "000001"
                                                 << "本方最优" << 1 << 0.0 << 0 << "填写正确的数量!";
        QTest::newRow("SH subscribe at 0") << '1' << "510050"
                                           << "限价" << 2 << 0.0 << 900000 << "";
        QTest::newRow("SZ redeem at 0") << '2' << "159919"
                                        << "限价" << 3 << 0.0 << 900000 << "";
        QTest::newRow("no market, buy at 0") << '0' << "600000"
                                             << "限价" << 0 << 0.0 << 100 << "";
        QTest::newRow("SH limit buy") << '1' << "600000"
                                      << "限价" << 0 << 12.34 << 100 << "";
    }

    void orderChecksRunInOrder() {
        QFETCH(char, market);
        QFETCH(QString, code);
        QFETCH(QString, type);
        QFETCH(int, sideId);
        QFETCH(double, price);
        QFETCH(int, quantity);
        QFETCH(QString, problem);
        currentMarket = market;
        OrderWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), code);
        QTest::mouseClick(form.sideButton(sideId), Qt::LeftButton);
        const int item = form.typeBox()->findText(type);
        if (item >= 0)
            form.typeBox()->setCurrentIndex(item);
        else
            form.typeBox()->setEditText(type);
        if (form.priceEdit()->isEnabled()) form.priceEdit()->setValue(price);
        form.quantityEdit()->setValue(quantity);
        m_choices << 1;  // stop at the confirmation

        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        if (problem.isEmpty()) {
            expectConfirmation(m_boxes[0]);
            QCOMPARE(nextOrderRef.load(), 42);
        } else {
            expectBox(m_boxes[0], {DialogSeam::Kind::Warning, "错误", problem});
            QCOMPARE(nextOrderRef.load(), 41);
        }
        QVERIFY(fakeapi::requests().empty());
        QCOMPARE(requestIdCounter.load(), 7);
        currentMarket = '0';
    }

    // Refusals arriving while the first one's box is open are logged, not boxed inside it.
    void aStormOfRefusalsShowsOneBox() {
        OrderWidget form;
        CMoruRspInfo refused{};
        refused.ErrorID = 2001;
        const StormResult storm =
            answerStorm([&] { form.slotRspInsertOrder(CMoruRspOrderInsertField{}, refused, 0, true); });
        QCOMPARE(storm.boxes, 1);
        QCOMPARE(storm.deepest, 1);
    }

    void pricesThatAreNoNumberAreRefused_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QString>("type");
        QTest::addColumn<char>("side");
        QTest::addColumn<double>("price");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("SH limit buy, NaN") << '1' << "限价" << '1' << nan;
        QTest::newRow("SH limit sell, inf") << '1' << "限价" << '2' << inf;
        QTest::newRow("SZ own best, NaN") << '2' << "本方最优" << '1' << nan;
        QTest::newRow("SH subscribe, -inf") << '1' << "限价" << '3' << -inf;
        QTest::newRow("no market, NaN") << '0' << "限价" << '1' << nan;
    }
    void pricesThatAreNoNumberAreRefused() {
        QFETCH(char, market);
        QFETCH(QString, type);
        QFETCH(char, side);
        QFETCH(double, price);
        OrderEntry entry;
        entry.code = "600000";
        entry.typeText = type;
        entry.side = side;
        entry.price = price;
        entry.quantity = 100;
        QCOMPARE(checkOrderEntry(entry, priceTypesFor(market), market), QStringLiteral("填写正确的价格!"));
        QCOMPARE(checkWarrantExercise("031001", price, 1000), QStringLiteral("填写正确的价格!"));
        entry.price = 12.34;  // the same entry with a price goes on
        QCOMPARE(checkOrderEntry(entry, priceTypesFor(market), market), QString());
    }

    void clearEmptiesEveryField_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("quantity");
        QTest::newRow("SH limit buy") << '1' << "限价" << 12.34 << 300;
        QTest::newRow("SH best five, largest quantity")
            << '1' << "最优五档立即成交剩余转限价" << 9.5 << 2147483647;
        QTest::newRow("SZ own best, price locked") << '2' << "本方最优" << 0.0 << 100;
        QTest::newRow("quantity only") << '0' << "限价" << 0.0 << 1;
    }

    void clearEmptiesEveryField() {
        QFETCH(char, market);
        QFETCH(QString, type);
        QFETCH(double, price);
        QFETCH(int, quantity);
        currentMarket = market;
        OrderWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), "600000");
        form.priceEdit()->setValue(price);
        form.typeBox()->setCurrentIndex(form.typeBox()->findText(type));
        form.quantityEdit()->setValue(quantity);
        QTest::mouseClick(form.clearButton(), Qt::LeftButton);
        QCOMPARE(form.codeEdit()->text(), QString());
        QCOMPARE(form.quantityEdit()->value(), 0);
        QCOMPARE(form.priceEdit()->value(), 0.0);
        QCOMPARE(form.typeBox()->currentText(), PRICE_TYPE_LIMIT);
        QVERIFY(form.priceEdit()->isEnabled());
        // An order placed next sees the cleared quantity.
        QTest::keyClicks(form.codeEdit(), "600000");
        form.priceEdit()->setValue(12.34);
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        expectBox(m_boxes[0], {DialogSeam::Kind::Warning, "错误", "填写正确的数量!"});
        currentMarket = '0';
    }

    void levelVolumesBeyond31Bits_data() {
        QTest::addColumn<quint64>("volume");
        QTest::addColumn<QString>("shown");
        QTest::newRow("largest int") << quint64(2147483647) << "2147483647";
        QTest::newRow("2^31") << quint64(2147483648u) << "2147483648";
        QTest::newRow("2^32 + 1") << quint64(4294967297ull) << "4294967297";
        QTest::newRow("largest") << quint64(18446744073709551615ull) << "18446744073709551615";
    }

    void levelVolumesBeyond31Bits() {
        QFETCH(quint64, volume);
        ClientSecurityMarketDataLevel1 quote = makeQuoteRecord("600000", "", 11.14);
        quote.BidVolume1 = volume;
        quote.AskPrice5 = 11.2;
        quote.AskVolume5 = volume;
        const LevelTexts texts = levelTexts(quote);
        QTEST(texts.bidVolume[0], "shown");
        QTEST(texts.askVolume[4], "shown");
    }

    // ---- checks added before the confirmation

    void addedChecksComeAfterTheFormsOwn_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("sideId");
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<bool>("checksOn");
        QTest::addColumn<QString>("problem");  // empty: goes on to the confirmation
        QTest::newRow("quantity 0 before the lot")
            << "600000" << 0 << 11.14 << 0 << true << "填写正确的数量!";
        QTest::newRow("price 0 before the lot") << "600000" << 0 << 0.0 << 150 << true << "填写正确的价格!";
        QTest::newRow("odd lot buy") << "600000" << 0 << 11.14 << 150 << true << "买入数量须为100股的整数倍";
        QTest::newRow("above limit up")
            << "600000" << 0 << 12.26 << 100 << true << "价格超出涨跌停范围 [10.030, 12.250]";
        QTest::newRow("too much") << "600000" << 0 << 11.14 << 900000 << true
                                  << "委托金额10026000.00超过单笔上限10000000.00";
        QTest::newRow("odd lot sell") << "600000" << 1 << 11.14 << 150 << true << "";
        QTest::newRow("switched off") << "600000" << 0 << 12.26 << 150 << false << "";
    }

    void addedChecksComeAfterTheFormsOwn() {
        QFETCH(QString, code);
        QFETCH(int, sideId);
        QFETCH(double, price);
        QFETCH(int, quantity);
        QFETCH(bool, checksOn);
        QFETCH(QString, problem);
        DeskSettings::instance().set("checks/enabled", checksOn);
        currentMarket = '1';
        QuotesTcpClient quotes(nullptr, "/nonexistent.ini");
        feedQuote(quotes, code.toLatin1(), 11.14, 12.25, 10.03);
        OrderWidget form;
        form.setQuotesClient(&quotes);
        form.show();
        QTest::keyClicks(form.codeEdit(), code);
        QTest::mouseClick(form.sideButton(sideId), Qt::LeftButton);
        form.priceEdit()->setValue(price);
        form.quantityEdit()->setValue(quantity);
        m_choices << 1;  // stop at the confirmation

        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        if (problem.isEmpty()) {
            expectConfirmation(m_boxes[0]);
            QCOMPARE(nextOrderRef.load(), 42);
        } else {
            expectBox(m_boxes[0], {DialogSeam::Kind::Warning, "错误", problem});
            QCOMPARE(nextOrderRef.load(), 41);
        }
        QVERIFY(fakeapi::requests().empty());
        // The form as the user left it.
        QCOMPARE(form.codeEdit()->text(), code);
        QCOMPARE(form.priceEdit()->value(), price);
        QCOMPARE(form.quantityEdit()->value(), quantity);
        QVERIFY(form.sideButton(sideId)->isChecked());
        currentMarket = '0';
    }

    void farFromTheLastPriceAsksASecondTime_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("sent");
        QTest::newRow("go on") << 0 << 1;
        QTest::newRow("cancel") << 1 << 0;
    }

    void farFromTheLastPriceAsksASecondTime() {
        QFETCH(int, answer);
        QFETCH(int, sent);
        DeskSettings::instance().set("checks/enabled", true);
        currentMarket = '1';
        QuotesTcpClient quotes(nullptr, "/nonexistent.ini");
        feedQuote(quotes, "600000", 11.14, 12.25, 10.03);
        OrderWidget form;
        form.setQuotesClient(&quotes);
        form.show();
        QTest::keyClicks(form.codeEdit(), "600000");
        form.priceEdit()->setValue(11.80);
        form.quantityEdit()->setValue(100);
        m_choices << answer << 0;

        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1 + sent);
        expectBox(m_boxes[0], {DialogSeam::Kind::Warning, "提示",
                               "委托价格11.800偏离最新价11.140达5.92%,超过5%,是否继续?"});
        QCOMPARE(m_boxes[0].choices, QStringList({"继续", "取消"}));
        if (sent) expectConfirmation(m_boxes[1]);
        QCOMPARE(int(fakeapi::requests().size()), sent);
        currentMarket = '0';
    }

    void confirmationNamesWhatIsConfirmed_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("sideId");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("detail");
        QTest::newRow("limit sell") << "限价" << 1 << 11.15
                                    << "代码: 600000\n名称: 西凤源集团\n方向: 卖\n报单类型: 限价\n数量: 300\n"
                                       "价格: 11.150\n金额: 3345.00";
        QTest::newRow("SZ market buy, no price")
            << "市价立即成交剩余撤销" << 0 << 0.0
            << "代码: 600000\n名称: 西凤源集团\n方向: 买\n报单类型: 市价立即成交剩余撤销\n数量: 300\n"
               "价格: -\n金额: -";
    }

    void confirmationNamesWhatIsConfirmed() {
        QFETCH(QString, type);
        QFETCH(int, sideId);
        QFETCH(double, price);
        currentMarket = price > 0 ? '1' : '2';
        QuotesTcpClient quotes(nullptr, "/nonexistent.ini");
        const QByteArray frame = quoteFrame("600000", toGbk("西凤源集团"), 11.14);
        quotes.ingest(frame.constData(), frame.size());
        OrderWidget form;
        form.setQuotesClient(&quotes);
        form.show();
        QTest::keyClicks(form.codeEdit(), "600000");
        QTest::mouseClick(form.sideButton(sideId), Qt::LeftButton);
        form.priceEdit()->setValue(price);
        form.typeBox()->setCurrentIndex(form.typeBox()->findText(type));
        form.quantityEdit()->setValue(300);
        m_choices << 1;
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        expectConfirmation(m_boxes[0]);
        QTEST(m_boxes[0].detail, "detail");
        // Switched off, the box is the form's own alone.
        DeskSettings::instance().set("keys/confirmDetail", false);
        OrderWidget plain;
        QTest::keyClicks(plain.codeEdit(), "600000");
        plain.priceEdit()->setValue(11.15);
        plain.quantityEdit()->setValue(300);
        m_choices << 1;
        QTest::mouseClick(plain.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes[1].detail, QString());
        currentMarket = '0';
    }

    void quickButtonsFillFromTheAccount() {
        currentMarket = '1';
        PositionWidget positions;  // must not show the form's own position answer
        OrderWidget form;
        form.show();
        QVERIFY(form.quickBar());
        QTest::keyClicks(form.codeEdit(), "600000");
        form.priceEdit()->setValue(11.17);
        form.prepareEntry(false, true);
        const std::vector<fakeapi::Request> asked = fakeapi::requests();
        QCOMPARE(int(asked.size()), 2);
        QCOMPARE(QString::fromStdString(asked[1].function), QStringLiteral("reqQryPosition"));
        QCOMPARE(form.quickBar()->figureLabel()->text(), QStringLiteral("-"));
        answerHoldings(asked[1].requestId, 100000.0, {{"600000", 1050}, {"688001", 700}});
        QTRY_COMPARE(form.quickBar()->figureLabel()->text(), QStringLiteral("8900"));
        QCOMPARE(form.quickBar()->nameLabel()->text(), QStringLiteral("可买"));
        QCOMPARE(positions.tableWidget()->rowCount(), 0);

        const QList<std::tuple<bool, int, int>> presses = {
            {false, 1, 4400}, {false, 2, 2900}, {false, 0, 8900}, {true, 0, 1050},
            {true, 1, 500},   {true, 3, 200},   {true, 2, 300}};
        for (const auto& press : presses) {
            if (std::get<0>(press) != (form.side() == '2'))
                QTest::mouseClick(form.sideButton(std::get<0>(press) ? 1 : 0), Qt::LeftButton);
            QTest::mouseClick(form.quickBar()->button(std::get<1>(press)), Qt::LeftButton);
            QCOMPARE(form.quantityEdit()->value(), std::get<2>(press));
        }
        QCOMPARE(form.quickBar()->nameLabel()->text(), QStringLiteral("可卖"));
        QCOMPARE(form.quickBar()->figureLabel()->text(), QStringLiteral("1050"));
        // A code the account does not hold sells nothing.
        form.codeEdit()->setText("600003");
        QCOMPARE(form.quickBar()->figureLabel()->text(), QStringLiteral("0"));
        // Asked again at once: held back to a second after the last time.
        form.prepareEntry(true, true);
        QCOMPARE(int(fakeapi::requests().size()), 2);
        QTRY_COMPARE_WITH_TIMEOUT(int(fakeapi::requests().size()), 4, 2000);
        currentMarket = '0';
    }

    void insertRecordByteForByte_data() {
        QTest::addColumn<char>("market");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("sideId");
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("SH limit buy")
            << '1' << "600000" << 0 << "限价" << 12.34 << 100 << insertBytes("600000", '1', 12.34, 100, '2');
        QTest::newRow("SH best five to limit sell")
            << '1' << "600036" << 1 << "最优五档立即成交剩余转限价" << 0.001 << 2147483647
            << insertBytes("600036", '2', 0.001, 2147483647, '7');
        QTest::newRow("SZ market FOK buy, price forced to 0")
            << '2' << "000001" << 0 << "市价全额成交或撤销" << 9.99 << 300
            << insertBytes("000001", '1', 0, 300, '5');
        QTest::newRow("SZ redeem") << '2' << "159919" << 3 << "限价" << 0.0 << 900000
                                   << insertBytes("159919", '4', 0, 900000, '2');
    }

    void insertRecordByteForByte() {
        QFETCH(char, market);
        QFETCH(QString, code);
        QFETCH(int, sideId);
        QFETCH(QString, type);
        QFETCH(double, price);
        QFETCH(int, quantity);
        QFETCH(QByteArray, expected);
        currentMarket = market;
        OrderWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), code);
        QTest::mouseClick(form.sideButton(sideId), Qt::LeftButton);
        form.priceEdit()->setValue(price);  // before the type: a market type then zeroes it
        form.typeBox()->setCurrentIndex(form.typeBox()->findText(type));
        form.quantityEdit()->setValue(quantity);

        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        expectConfirmation(m_boxes[0]);
        const std::vector<fakeapi::Request> sent = fakeapi::requests();
        QCOMPARE(int(sent.size()), 1);
        QCOMPARE(QString::fromStdString(sent[0].function), QStringLiteral("reqInsertOrder"));
        QCOMPARE(bytesOf(sent[0]).toHex(), expected.toHex());
        QCOMPARE(sent[0].requestId, 7);
        QCOMPARE(sent[0].entryNo, 0);
        QCOMPARE(nextOrderRef.load(), 42);
        QCOMPARE(requestIdCounter.load(), 8);
        currentMarket = '0';
    }

    void unconfirmedOrderSendsNothingButUsesAReference() {
        currentMarket = '1';
        OrderWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), "600000");
        form.priceEdit()->setValue(10);
        form.quantityEdit()->setValue(100);
        m_choices << 1 << -1;  // "取消", then the box closed another way
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 2);
        expectConfirmation(m_boxes[0]);
        expectConfirmation(m_boxes[1]);
        QVERIFY(fakeapi::requests().empty());
        QCOMPARE(nextOrderRef.load(), 43);
        QCOMPARE(requestIdCounter.load(), 7);

        // The link goes while the box is open: "确认" then counts for nothing.
        m_linkLostInBox = true;
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QVERIFY(fakeapi::requests().empty());
        m_linkLostInBox = false;

        // A confirmed order after them carries the next reference.
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(int(fakeapi::requests().size()), 1);
        QCOMPARE(fakeapi::requests()[0].as<CMoruReqOrderInsertField>().OrderRef, 44);
        currentMarket = '0';
    }

    void unsentOrderIsReported() {
        currentMarket = '1';
        OrderWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), "600000");
        form.priceEdit()->setValue(10);
        form.quantityEdit()->setValue(100);
        fakeapi::scriptResult("reqInsertOrder", -3);
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 2);
        expectConfirmation(m_boxes[0]);
        expectBox(m_boxes[1], {DialogSeam::Kind::Warning, "错误", "出错"});
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"报单请求失败\""));
        currentMarket = '0';
    }

    void everyAnswerShowsItsOwnBox() {
        OrderWidget form;
        form.show();
        CMoruRspOrderInsertField rsp;
        std::memset(&rsp, 0, sizeof rsp);
        CMoruRspInfo ok = info(0, "");
        CMoruRspInfo refused = info(2001, "证券代码不存在");
        CMoruRspInfo strange = info(-1, "价格%1错误");  // a placeholder in the text stays as it is
        fakeapi::fireOnOwnThread([&](const CMoruTraderSpi& spi) {
            spi.onRspInsertOrder(&rsp, &ok, 1, true);
            spi.onRspInsertOrder(&rsp, &refused, 2, true);
            spi.onErrRtnInsertOrder(&rsp, &strange, 3, true);
            spi.onRspInsertOrder(&rsp, &ok, 4, false);
        });
        QTRY_COMPARE(m_boxes.size(), 4);
        expectBox(m_boxes[0], {DialogSeam::Kind::Information, "成功", "报单发送成功"});
        expectBox(m_boxes[1], {DialogSeam::Kind::Warning, "失败", "报单发送失败[2001]证券代码不存在"});
        expectBox(m_boxes[2], {DialogSeam::Kind::Warning, "失败", "报单发送失败[4294967295]价格%1错误"});
        expectBox(m_boxes[3], {DialogSeam::Kind::Information, "成功", "报单发送成功"});
        QCOMPARE(CapturedLog::count("\"报单发送成功\""), 2);
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"报单发送失败[2001]证券代码不存在\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"报单发送失败[4294967295]价格%1错误\""));
    }

    void orderReturnIsLoggedFromItsTextFieldOnly() {
        OrderWidget form;
        form.show();
        CMoruRtnOrderField full;
        std::memset(&full, 'Z', sizeof full);  // bytes after the text are not part of it
        std::memset(full.OrderText, 'A', sizeof full.OrderText);
        CMoruRtnOrderField shortText;
        std::memset(&shortText, 0, sizeof shortText);
        std::strcpy(shortText.OrderText, "600000 2 100@1.000 #7");
        std::memset(shortText.OrderText + 30, 'Q', 10);  // after the terminator
        CMoruRspInfo ok = info(0, "");
        CMoruRspInfo failed = info(2006, "可用持仓不足");
        fakeapi::fireOnOwnThread([&](const CMoruTraderSpi& spi) {
            spi.onRtnOrder(&full, &ok, 0, true);
            spi.onRtnOrder(&shortText, &failed, 0, true);
        });
        QTRY_VERIFY(CapturedLog::has(QtWarningMsg, "\"600000 2 100@1.000 #7交易失败[2006]可用持仓不足\""));
        QVERIFY(CapturedLog::has(QtInfoMsg, "\"" + QString(64, 'A') + "交易成功\""));
        QVERIFY(m_boxes.isEmpty());
    }

    // ---- tender offer form

    void tenderOfferChecksRunInOrder_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("offeror");
        QTest::addColumn<QString>("problem");
        QTest::newRow("empty code") << "" << 0 << ""
                                    << "正股代码不能为空!";
        QTest::newRow("five digits") << "60099" << 0 << ""
                                     << "正股代码错误!";
        QTest::newRow("quantity before offeror") << "600999" << 0 << ""
                                                 << "填写正确的数量!";
        QTest::newRow("no offeror") << "600999" << 100 << ""
                                    << "请填写要约收购人编码!";
        QTest::newRow("complete") << "600999" << 100 << "7"
                                  << "";
    }

    void tenderOfferChecksRunInOrder() {
        QFETCH(QString, code);
        QFETCH(int, quantity);
        QFETCH(QString, offeror);
        QFETCH(QString, problem);
        TenderOfferWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), code);
        form.quantityEdit()->setValue(quantity);
        QTest::keyClicks(form.offerorEdit(), offeror);
        m_choices << 1;
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        if (problem.isEmpty()) {
            expectConfirmation(m_boxes[0]);
            QCOMPARE(nextOrderRef.load(), 42);  // used up although not confirmed
        } else {
            expectBox(m_boxes[0], {DialogSeam::Kind::Warning, "错误", problem});
            QCOMPARE(nextOrderRef.load(), 41);
        }
        QVERIFY(fakeapi::requests().empty());
        QCOMPARE(requestIdCounter.load(), 7);
    }

    void tenderOfferRecordsByteForByte() {
        TenderOfferWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), "600999");
        form.quantityEdit()->setValue(1500);
        QTest::keyClicks(form.offerorEdit(), "7060");
        QTest::mouseClick(form.withdrawButton(), Qt::LeftButton);
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QTest::mouseClick(form.acceptButton(), Qt::LeftButton);
        form.offerorEdit()->setText("706001");
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);

        const QByteArray withdraw = tenderBytes(41, '8', 1500, "7060");
        const QByteArray accept = tenderBytes(42, '7', 1500, "706001");
        const std::vector<fakeapi::Request> sent = fakeapi::requests();
        QCOMPARE(int(sent.size()), 2);
        QCOMPARE(QString::fromStdString(sent[0].function), QStringLiteral("reqTenderOfferOrder"));
        QCOMPARE(bytesOf(sent[0]).toHex(), withdraw.toHex());
        QCOMPARE(bytesOf(sent[1]).toHex(), accept.toHex());
        QCOMPARE(sent[0].requestId, 7);
        QCOMPARE(sent[1].requestId, 8);

        QTest::mouseClick(form.clearButton(), Qt::LeftButton);
        QVERIFY(form.codeEdit()->text().isEmpty());
        QVERIFY(form.offerorEdit()->text().isEmpty());
        QCOMPARE(form.quantityEdit()->value(), 0);
    }

    // ---- warrant exercise form

    void warrantChecksRunInOrder_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QString>("problem");
        QTest::newRow("empty code") << "" << 0.0 << 0 << "证券代码不能为空!";
        QTest::newRow("five digits") << "03100" << 0.0 << 0 << "证券代码错误!";
        QTest::newRow("price before quantity") << "031001" << 0.0 << 0 << "填写正确的价格!";
        QTest::newRow("quantity 0") << "031001" << 5.6 << 0 << "填写正确的手数!";
        QTest::newRow("complete") << "031001" << 5.6 << 1000 << "";
    }

    void warrantChecksRunInOrder() {
        QFETCH(QString, code);
        QFETCH(double, price);
        QFETCH(int, quantity);
        QFETCH(QString, problem);
        ExerciseOfWarrantsWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), code);
        form.priceEdit()->setValue(price);
        form.quantityEdit()->setValue(quantity);
        m_choices << 1;
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 1);
        if (problem.isEmpty()) {
            expectConfirmation(m_boxes[0]);
            QCOMPARE(nextOrderRef.load(), 42);
        } else {
            expectBox(m_boxes[0], {DialogSeam::Kind::Warning, "错误", problem});
            QCOMPARE(nextOrderRef.load(), 41);
        }
        QVERIFY(fakeapi::requests().empty());
        QCOMPARE(requestIdCounter.load(), 7);
    }

    void warrantRecordByteForByte() {
        ExerciseOfWarrantsWidget form;
        form.show();
        QTest::keyClicks(form.codeEdit(), "031001");
        form.priceEdit()->setValue(5.6);
        form.quantityEdit()->setValue(1000);
        QTest::mouseClick(form.orderButton(), Qt::LeftButton);
        const QByteArray expected = warrantBytes(5.6, 1000);
        const std::vector<fakeapi::Request> sent = fakeapi::requests();
        QCOMPARE(int(sent.size()), 1);
        QCOMPARE(QString::fromStdString(sent[0].function), QStringLiteral("reqWarrantExerciseOrder"));
        QCOMPARE(bytesOf(sent[0]).toHex(), expected.toHex());
        QCOMPARE(sent[0].requestId, 7);

        QTest::mouseClick(form.clearButton(), Qt::LeftButton);
        QVERIFY(form.codeEdit()->text().isEmpty());
        QCOMPARE(form.priceEdit()->value(), 0.0);
        QCOMPARE(form.quantityEdit()->value(), 0);
    }

    void offBookOrdersReportTheirOutcome() {
        TenderOfferWidget tender;
        ExerciseOfWarrantsWidget exercise;
        tender.show();
        exercise.show();

        // Not sent by the library.
        QTest::keyClicks(tender.codeEdit(), "600999");
        tender.quantityEdit()->setValue(100);
        QTest::keyClicks(tender.offerorEdit(), "706001");
        fakeapi::scriptResult("reqTenderOfferOrder", 1);
        QTest::mouseClick(tender.orderButton(), Qt::LeftButton);
        QTest::keyClicks(exercise.codeEdit(), "031001");
        exercise.priceEdit()->setValue(5.6);
        exercise.quantityEdit()->setValue(100);
        fakeapi::scriptResult("reqWarrantExerciseOrder", 1);
        QTest::mouseClick(exercise.orderButton(), Qt::LeftButton);
        QCOMPARE(m_boxes.size(), 4);
        expectBox(m_boxes[1], {DialogSeam::Kind::Warning, "错误", "出错"});
        expectBox(m_boxes[3], {DialogSeam::Kind::Warning, "错误", "出错"});
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"要约请求失败\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"权证行权请求失败\""));
        m_boxes.clear();

        // The counter's answers.
        CMoruRspTenderOfferOrderField tenderRsp;
        std::memset(&tenderRsp, 0, sizeof tenderRsp);
        CMoruRspWarrantExerciseOrderField exerciseRsp;
        std::memset(&exerciseRsp, 0, sizeof exerciseRsp);
        CMoruRspInfo ok = info(0, "");
        CMoruRspInfo badOfferor = info(2011, "要约收购代码错误");
        CMoruRspInfo notAllowed = info(2012, "不允许权证行权");
        fakeapi::fireOnOwnThread([&](const CMoruTraderSpi& spi) {
            spi.onRspTenderOfferOrder(&tenderRsp, &badOfferor, 1, true);
            spi.onRspTenderOfferOrder(&tenderRsp, &ok, 2, true);
            spi.onRspWarrantExerciseOrder(&exerciseRsp, &notAllowed, 3, true);
            spi.onRspWarrantExerciseOrder(&exerciseRsp, &ok, 4, true);
        });
        QTRY_COMPARE(m_boxes.size(), 4);
        expectBox(m_boxes[0], {DialogSeam::Kind::Warning, "失败", "要约发送失败[2011]要约收购代码错误"});
        expectBox(m_boxes[1], {DialogSeam::Kind::Information, "成功", "要约发送成功"});
        expectBox(m_boxes[2], {DialogSeam::Kind::Warning, "失败", "权证行权发送失败[2012]不允许权证行权"});
        expectBox(m_boxes[3], {DialogSeam::Kind::Information, "成功", "权证行权发送成功"});
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"要约发送失败[2011]要约收购代码错误\""));
        QVERIFY(CapturedLog::has(QtInfoMsg, "\"要约发送成功\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"权证行权发送失败[2012]不允许权证行权\""));
        QVERIFY(CapturedLog::has(QtInfoMsg, "\"权证行权发送成功\""));
    }

private:
    static void feedQuote(QuotesTcpClient& quotes, const QByteArray& code, double last, double upper,
                          double lower) {
        ClientSecurityMarketDataLevel1 record = makeQuoteRecord(code, toGbk("西凤源集团"), last);
        record.UpperLimitPrice = upper;
        record.LowerLimitPrice = lower;
        const QByteArray frame = quoteFrame(record);
        quotes.ingest(frame.constData(), frame.size());
    }

    // The counter's fund answer and one page of positions for request `positionRequest`.
    static void answerHoldings(int positionRequest, double funds,
                               const QList<QPair<QByteArray, quint32>>& held) {
        CMoruRspQryStockClientAccountField fund{};
        fund.AvailableCapital = funds;
        CMoruRspInfo ok{};
        fakeapi::fireOnOwnThread([&](const CMoruTraderSpi& spi) {
            spi.onRspQryFund(&fund, &ok, positionRequest - 1, true);
            for (int i = 0; i < held.size(); ++i) {
                CMoruRspQryStockPositionField p{};
                std::memcpy(p.SecurityID, held[i].first.constData(), size_t(held[i].first.size()));
                p.AvailableQty = held[i].second;
                p.TotalQty = held[i].second;
                spi.onRspQryPosition(&p, &ok, positionRequest, i == held.size() - 1);
            }
        });
    }

    static void expectBox(const DialogSeam::Box& box, const Expected& expected) {
        QCOMPARE(int(box.kind), int(expected.kind));
        QCOMPARE(box.title, expected.title);
        QCOMPARE(box.text, expected.text);
    }

    static void expectConfirmation(const DialogSeam::Box& box) {
        expectBox(box, {DialogSeam::Kind::Information, "确认", kConfirmText});
        QCOMPARE(box.choices, QStringList({"确认", "取消"}));
    }

    QList<DialogSeam::Box> m_boxes;
    QList<int> m_choices;
    bool m_linkLostInBox = false;
};

QTEST_MAIN(TestOrderForms)
#include "test_order_forms.moc"
