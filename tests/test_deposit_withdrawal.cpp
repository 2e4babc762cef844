#include <QTimer>
#include <QtTest>
#include <memory>

#include "answer_storm.h"
#include "basicControl/answer_lock.h"
#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "captured_log.h"
#include "funds_support.h"
#include "user/queryWindow/depositandwithdrawal_dialog.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "user/queryWindow/pending_query.h"
#include "utils/number_input.h"

using funds::Image;

namespace {
CMoruRspQryCapTransferRecordField record(const char* org, double amount, char direction, const char* time) {
    return Image(105)
        .text(0, org)
        .text(4, "10880001")
        .put(19, amount)
        .put(27, direction)
        .text(32, time)
        .as<CMoruRspQryCapTransferRecordField>();
}

// Answers the record query sent last, unless told which.
void answer(QList<CMoruRspQryCapTransferRecordField> records, CMoruRspInfo info, int requestId = -1) {
    if (requestId < 0) requestId = funds::requestsOf("reqQryInOutFundRecord").back().requestId;
    funds::fire([&](const CMoruTraderSpi& spi) {
        for (int i = 0; i < records.size(); ++i)
            spi.onRspQryInOutFundRecord(&records[i], &info, requestId, i + 1 == records.size());
    });
}
}  // namespace

class TestDepositWithdrawal : public QObject {
    Q_OBJECT
private slots:
    void init() {
        funds::resetLibrary(QStringLiteral("10880001"));
        CapturedLog::install();
        boxes = std::make_unique<funds::Boxes>();
        dialog = std::make_unique<DepositAndWithdrawalDialog>();
        dialog->show();
        page = dialog->page();
    }
    void cleanup() {
        dialog.reset();
        boxes.reset();
        CapturedLog::uninstall();
    }

    void badAmountsAreRefusedBeforeAnyRequest() {
        QTest::keyClicks(page->amountEdit(), "12.345e");  // two decimals, plain notation
        QCOMPARE(page->amountEdit()->text(), QStringLiteral("12.34"));
        const QStringList refused = {"", "-5", "0.00", "-"};
        for (const QString& amount : refused) {
            page->clearButton()->click();
            QTest::keyClicks(page->amountEdit(), amount);
            QTest::mouseClick(page->depositButton(), Qt::LeftButton);
            QTest::mouseClick(page->withdrawButton(), Qt::LeftButton);
            QCOMPARE(CapturedLog::count(QString("input error money double is : %1").arg(amount.toDouble())),
                     2);
            CapturedLog::clear();
        }
        QCOMPARE(boxes->shown, funds::repeated(8, "warning|提示|请输入正确的金额"));
        QVERIFY(fakeapi::requests().empty());
    }

    void depositAndWithdrawalSendTheAmountTyped() {
        requestIdCounter = 7;
        QTest::keyClicks(page->amountEdit(), "1234.56");
        QTest::mouseClick(page->depositButton(), Qt::LeftButton);
        QTest::mouseClick(page->withdrawButton(), Qt::LeftButton);
        const auto expected = Image(134).text(4, "10880001").put(30, 1234.56).bytes();
        const auto in = funds::requestsOf("reqInFund"), out = funds::requestsOf("reqOutFund");
        QVERIFY(in.size() == 1 && out.size() == 1);
        QVERIFY(in[0].bytes == expected && out[0].bytes == expected);
        QCOMPARE(in[0].requestId, 7);
        QCOMPARE(out[0].requestId, 8);

        page->slot_rspInFund({}, funds::rspInfo(0), 7, true);
        page->slot_rspOutFund({}, funds::rspInfo(0), 8, true);
        boxes->shown.clear();
        fakeapi::scriptResult("reqInFund", -1);
        fakeapi::scriptResult("reqOutFund", 3);
        QTest::mouseClick(page->depositButton(), Qt::LeftButton);
        QTest::mouseClick(page->withdrawButton(), Qt::LeftButton);
        QCOMPARE(boxes->shown, funds::repeated(2, "warning|错误|请求失败"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "入金请求失败") &&
                CapturedLog::has(QtWarningMsg, "出金请求失败"));
    }

    void amountsAreReadWhole_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sent");
        QTest::newRow("one cent") << "0.01" << true;
        QTest::newRow("largest amount") << "999999999999.99" << true;
        QTest::newRow("a cent too much") << "1000000000000" << false;
        QTest::newRow("past a double") << QString("1") + QString(400, '0') << false;
        QTest::newRow("past two decimals in a double") << "100000000000000000" << false;
    }
    void amountsAreReadWhole() {
        QFETCH(QString, text);
        QFETCH(bool, sent);
        QCOMPARE(NumberInput::amountFromText(text).has_value(), sent);
        page->amountEdit()->setText(text);
        QCOMPARE(page->amountEdit()->text(), text);  // the validator lets each of them in
        page->withdrawButton()->click();
        const auto out = funds::requestsOf("reqOutFund");
        if (sent) {
            QCOMPARE(out.size(), size_t(1));
            QVERIFY(out[0].bytes == Image(134).text(4, "10880001").put(30, text.toDouble()).bytes());
            QVERIFY(boxes->shown.isEmpty());
        } else {
            QVERIFY(out.empty());
            QCOMPARE(boxes->shown, QStringList("warning|提示|请输入正确的金额"));
            QVERIFY(page->withdrawButton()->isEnabled());
        }
    }

    void aMoneyButtonWaitsForItsAnswer_data() {
        QTest::addColumn<bool>("deposit");
        QTest::newRow("入金") << true;
        QTest::newRow("出金") << false;
    }
    void aMoneyButtonWaitsForItsAnswer() {
        QFETCH(bool, deposit);
        MyPushButton* button = deposit ? page->depositButton() : page->withdrawButton();
        MyPushButton* other = deposit ? page->withdrawButton() : page->depositButton();
        const char* function = deposit ? "reqInFund" : "reqOutFund";
        auto answer = [&] {
            funds::fire([&](const CMoruTraderSpi& spi) {
                CMoruRspCapTransferField rsp{};
                CMoruRspInfo ok = funds::rspInfo(0);
                (deposit ? spi.onRspInFund : spi.onRspOutFund)(&rsp, &ok, 0, true);
            });
        };
        page->amountEdit()->setText("100");
        funds::doubleClick(button);
        QCOMPARE(funds::requestsOf(function).size(), size_t(1));
        QVERIFY(!button->isEnabled() && other->isEnabled());
        answer();
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(funds::requestsOf(function).size(), size_t(2));

        // A counter that never answers frees the button after the wait.
        answer();
        AnswerLock* lock = deposit ? page->depositLock() : page->withdrawLock();
        QCOMPARE(lock->waitTimer()->interval(), 30000);
        lock->waitTimer()->setInterval(10);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!button->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 2000);
        QVERIFY(CapturedLog::has(QtWarningMsg, QString("\"%1应答超时\"").arg(button->text())));
        QCOMPARE(funds::requestsOf(function).size(), size_t(3));
    }

    void answersAreReportedAndChangeNothingElse() {
        page->amountEdit()->setText("500");
        funds::fire([](const CMoruTraderSpi& spi) {
            CMoruRspCapTransferField rsp{};
            CMoruRspInfo ok = funds::rspInfo(0), refused = funds::rspInfo(3001, "可取资金不足");
            spi.onRspInFund(&rsp, &ok, 1, true);
            spi.onRspOutFund(&rsp, &ok, 2, true);
            spi.onRspInFund(&rsp, &refused, 3, true);
            spi.onRspOutFund(&rsp, &refused, 4, true);
        });
        QCOMPARE(boxes->shown, QStringList({"information|提示|调入资金成功", "information|提示|调出资金成功",
                                            "warning|错误|调入资金失败[3001]可取资金不足",
                                            "warning|错误|调出资金失败[3001]可取资金不足"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"调出资金失败[3001]可取资金不足\""));
        QCOMPARE(page->amountEdit()->text(), QStringLiteral("500"));
        QVERIFY(fakeapi::requests().empty());  // the list waits for "刷新"
    }

    void refreshIsLockedForASecond() {
        QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
        QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
        const auto queries = funds::requestsOf("reqQryInOutFundRecord");
        QCOMPARE(queries.size(), size_t(1));
        QVERIFY(queries[0].bytes == Image(83).text(4, "10880001").bytes());
        QTimer* lock = page->refreshLockTimer();
        QVERIFY(!page->refreshButton()->isEnabled() && lock->isActive() && lock->isSingleShot());
        QCOMPARE(lock->interval(), 1000);
        page->slot_unlockRefresh();  // what the timer calls
        QVERIFY(page->refreshButton()->isEnabled());

        fakeapi::scriptResult("reqQryInOutFundRecord", -1);  // an unsent query locks all the same
        QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
        QCOMPARE(boxes->shown, QStringList("warning|错误|查询出错"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "出入金信息查询请求失败"));
        QVERIFY(!page->refreshButton()->isEnabled() && lock->isActive());
    }

    void recordsFillTheTableFromTheTopOnEachRefresh() {
        BaseTableWidget* table = page->tableWidget();
        page->refreshButton()->click();
        answer({record("0101", 1234.5, '1', "20240105 09:31:02"), record("0101", 0.004, '2', "x"),
                record("0102", 7, '9', "")},
               funds::rspInfo(0));
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(funds::rowOf(table, 0), QStringList({"0101", "1234.50", "入金", "20240105 09:31:02"}));
        QCOMPARE(funds::rowOf(table, 1), QStringList({"0101", "0.00", "出金", "x"}));
        QCOMPARE(funds::rowOf(table, 2), QStringList({"0102", "7.00", "", ""}));
        // Once the last record is in, the time column is wide enough to read.
        QVERIFY(table->columnWidth(3) >= table->fontMetrics().horizontalAdvance("20240105 09:31:02"));

        // Text fields filled to their width are read to their width and no further.
        CMoruRspQryCapTransferRecordField full = record("", 1, '1', "");
        char* bytes = reinterpret_cast<char*>(&full);
        std::memset(bytes, '7', 19);       // code and account
        std::memset(bytes + 32, '8', 73);  // time and the bytes after it
        page->slot_unlockRefresh();
        page->refreshButton()->click();
        QCOMPARE(table->rowCount(), 0);
        answer({full}, funds::rspInfo(0));
        QCOMPARE(funds::rowOf(table, 0), QStringList({"7777", "1.00", "入金", QString(32, '8')}));
        QVERIFY(boxes->shown.isEmpty());

        answer({record("0101", 0, '0', "")}, funds::rspInfo(0));
        answer({record("0101", 5, '1', "t")}, funds::rspInfo(5001, "查询无记录"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(boxes->shown,
                 QStringList({"information|提示|查询成功，没有记录", "warning|错误|[5001]查询无记录"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"出入金信息查询失败[5001]查询无记录\""));
    }

    void slowAnswersOfAnEarlierRefreshAreDropped() {
        page->refreshButton()->click();
        const int first = funds::requestsOf("reqQryInOutFundRecord").back().requestId;
        page->slot_unlockRefresh();
        page->refreshButton()->click();
        answer({record("0101", 1, '1', "a"), record("0101", 2, '2', "b")}, funds::rspInfo(0), first);
        answer({record("0101", 1, '1', "a"), record("0101", 2, '2', "b")}, funds::rspInfo(0));
        answer({record("0101", 3, '1', "c")}, funds::rspInfo(5001, "late"), first);
        QCOMPARE(page->tableWidget()->rowCount(), 2);
        QVERIFY(boxes->shown.isEmpty());
    }

    void silentRecordQueryIsGivenUp() {
        page->pendingQuery()->setTimeoutInterval(20);
        page->refreshButton()->click();
        QTRY_COMPARE(boxes->shown, QStringList("warning|错误|查询超时"));
        QVERIFY(page->refreshButton()->isEnabled());
        answer({record("0101", 1, '1', "a")}, funds::rspInfo(0));
        QCOMPARE(page->tableWidget()->rowCount(), 0);
    }

    void errorStormShowsOneBox() {
        page->refreshButton()->click();
        const int id = funds::requestsOf("reqQryInOutFundRecord").back().requestId;
        const CMoruRspQryCapTransferRecordField r = record("0101", 1, '1', "a");
        const StormResult storm = answerStorm(
            [&] { page->slot_rspQryInOutFundRecord(r, funds::rspInfo(5001, "busy"), id, false); });
        QCOMPARE(storm.boxes, 1);
        QCOMPARE(storm.deepest, 1);
    }

private:
    std::unique_ptr<funds::Boxes> boxes;
    std::unique_ptr<DepositAndWithdrawalDialog> dialog;
    DepositAndWithdrawalWidget* page = nullptr;
};

QTEST_MAIN(TestDepositWithdrawal)
#include "test_deposit_withdrawal.moc"
