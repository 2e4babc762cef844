#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "answer_storm.h"
#include "basicControl/base_table_widget.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_push_button.h"
#include "captured_log.h"
#include "funds_support.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/queryWindow/pending_query.h"

using funds::Image;

namespace {
CMoruRspQryBTCapTransferManagerField record(double amount, char direction, const char* time, uint32_t error,
                                            char status) {
    return Image(113)
        .text(4, "0101")
        .text(8, "10880001")
        .put(24, amount)
        .put(32, direction)
        .text(33, time)
        .put(42, error)
        .put(46, status)
        .as<CMoruRspQryBTCapTransferManagerField>();
}

// The counter's first answer to a transfer: accepted, or refused with `error`.
void respond(int error = 0) {
    funds::fire([&](const CMoruTraderSpi& spi) {
        CMoruRspBTCapTransferManagerField rsp{};
        CMoruRspInfo info = funds::rspInfo(error, "可取资金不足");
        spi.onRspBTFundTransfer(&rsp, &info, 0, true);
    });
}

// Answers the record query sent last, unless told which.
void answer(QList<CMoruRspQryBTCapTransferManagerField> records, CMoruRspInfo info, bool endsAnswer = true,
            int requestId = -1) {
    if (requestId < 0) requestId = funds::requestsOf("reqQryBTFundTransferRecord").back().requestId;
    funds::fire([&](const CMoruTraderSpi& spi) {
        for (int i = 0; i < records.size(); ++i)
            spi.onRspQryBTFundTransferRecord(&records[i], &info, requestId,
                                             endsAnswer && i + 1 == records.size());
    });
}
}  // namespace

class TestFundTransfer : public QObject {
    Q_OBJECT
private slots:
    void init() {
        funds::resetLibrary(QStringLiteral("10880001"));
        CapturedLog::install();
        boxes = std::make_unique<funds::Boxes>();
        window = std::make_unique<FundTransferWidget>();
        window->show();
        form = window->operationWidget();
        table = window->tableWidget();
    }
    void cleanup() {
        window.reset();
        boxes.reset();
        CapturedLog::uninstall();
    }

    void directionFollowsTheRadioButtons() {
        requestIdCounter = 11;
        form->amountBox()->setValue(1000.25);
        form->sendButton()->click();
        respond();
        form->shenzhenToShanghaiButton()->click();
        form->sendButton()->click();
        respond();
        form->shanghaiToShenzhenButton()->click();
        form->amountBox()->setValue(0.01);
        form->sendButton()->click();

        const auto sent = funds::requestsOf("reqBTFundTransfer");
        QCOMPARE(sent.size(), size_t(3));
        const double amounts[] = {1000.25, 1000.25, 0.01};
        const char directions[] = {'1', '2', '1'};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(sent[i].bytes ==
                    Image(92).text(4, "10880001").put(20, amounts[i]).put(28, directions[i]).bytes());
            QCOMPARE(sent[i].requestId, 11 + i);
        }
        QCOMPARE(boxes->shown, funds::repeated(3, "information|确认|是否确认调拨"));
        QCOMPARE(boxes->choices.first(), QStringList({"确认", "取消"}));
    }

    void nothingIsSentWithoutAmountAndConfirmation() {
        form->sendButton()->click();
        QCOMPARE(boxes->shown, QStringList("warning|错误|请填写正确调拨金额!"));
        form->amountBox()->setValue(300);
        for (int answer : {1, -1}) {  // "取消", or the box closed another way
            boxes->choice = answer;
            form->sendButton()->click();
        }
        // A link loss while the box is open.
        DialogSeam::setChoiceHandler([](const DialogSeam::Box&) {
            DialogSeam::endSession();
            return 0;
        });
        form->sendButton()->click();
        QCOMPARE(boxes->shown.size(), 3);
        QVERIFY(fakeapi::requests().empty());
        form->clearButton()->click();
        QCOMPARE(form->amountBox()->value(), 0.0);
    }

    void transferWaitsForItsAnswer_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("byReturnReport");
        QTest::newRow("accepted") << 0 << false;
        QTest::newRow("refused") << 3001 << false;
        QTest::newRow("only the return report came") << 0 << true;
    }
    void transferWaitsForItsAnswer() {
        QFETCH(int, error);
        QFETCH(bool, byReturnReport);
        form->amountBox()->setValue(500);
        funds::doubleClick(form->sendButton());
        QCOMPARE(funds::requestsOf("reqBTFundTransfer").size(), size_t(1));
        QVERIFY(!form->sendButton()->isEnabled());
        if (byReturnReport) {
            funds::fire([](const CMoruTraderSpi& spi) {
                CMoruRtnBtCapTransferManagerField rtn{};
                CMoruRspInfo ok = funds::rspInfo(0);
                spi.onRtnBTFundTransfer(&rtn, &ok, 0, true);
            });
        } else {
            respond(error);
        }
        QVERIFY(form->sendButton()->isEnabled());
        form->sendButton()->click();
        QCOMPARE(funds::requestsOf("reqBTFundTransfer").size(), size_t(2));
    }

    void unsentTransferIsReported() {
        form->amountBox()->setValue(300);
        fakeapi::scriptResult("reqBTFundTransfer", -1);
        form->sendButton()->click();
        QCOMPARE(boxes->shown, QStringList({"information|确认|是否确认调拨", "warning|错误|请求失败"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "资金调拨请求失败"));
    }

    void responseIsSilentAndTheReturnReportTellsTheOutcome() {
        funds::fire([](const CMoruTraderSpi& spi) {
            CMoruRspBTCapTransferManagerField rsp{};
            CMoruRtnBtCapTransferManagerField rtn{};
            CMoruRspInfo ok = funds::rspInfo(0), refused = funds::rspInfo(3001, "可取资金不足"),
                         failed = funds::rspInfo(3003, "调拨被拒绝");
            spi.onRspBTFundTransfer(&rsp, &ok, 5, true);
            spi.onRtnBTFundTransfer(&rtn, &ok, 5, true);
            spi.onRspBTFundTransfer(&rsp, &refused, 6, true);
            spi.onRtnBTFundTransfer(&rtn, &failed, 7, true);
        });
        QCOMPARE(boxes->shown,
                 QStringList({"information|信息|调拨成功", "warning|调拨失败|[3001]可取资金不足",
                              "warning|调拨失败|[3003]调拨被拒绝"}));
        QVERIFY(CapturedLog::has(QtInfoMsg, "等待资金调拨rtn回报"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"资金调拨失败[3003]调拨被拒绝\""));
        QVERIFY(fakeapi::requests().empty());  // neither answer refreshes the records
    }

    void refreshStaysDeadUntilTheLastRecord() {
        table->refreshButton()->click();
        table->refreshButton()->click();
        auto queries = funds::requestsOf("reqQryBTFundTransferRecord");
        QCOMPARE(queries.size(), size_t(1));
        QVERIFY(queries[0].bytes == Image(82).text(4, "10880001").bytes());

        answer({record(1000.5, '1', "093102120", 0, '6'), record(20, '2', "145959999", 0, '3')},
               funds::rspInfo(0), false);
        table->refreshButton()->click();
        QCOMPARE(funds::requestsOf("reqQryBTFundTransferRecord").size(), size_t(1));
        answer({record(7, '3', "bad", 3001, '9')}, funds::rspInfo(0));

        BaseTableWidget* t = table->tableWidget();
        QCOMPARE(t->rowCount(), 3);
        QCOMPARE(funds::rowOf(t, 0), QStringList({"0101", "1000.50", "上交柜台调往深交柜台", "0", "成功",
                                                  "操作结束", "09:31:02.120"}));
        QCOMPARE(funds::rowOf(t, 1), QStringList({"0101", "20.00", "深交柜台调往上交柜台", "0", "成功",
                                                  "接收到调出结束消息", "14:59:59.999"}));
        QCOMPARE(funds::rowOf(t, 2), QStringList({"0101", "7.00", "", "3001", "失败", "", ""}));

        // Live again, once: one click sends one query and the table starts afresh.
        table->refreshButton()->click();
        QCOMPARE(funds::requestsOf("reqQryBTFundTransferRecord").size(), size_t(2));
        QCOMPARE(t->rowCount(), 0);
        QVERIFY(boxes->shown.isEmpty());
    }

    void failedQueriesReArmTheButton() {
        fakeapi::scriptResult("reqQryBTFundTransferRecord", -1);
        table->refreshButton()->click();
        QVERIFY(CapturedLog::has(QtWarningMsg, "资金调拨信息查询失败"));
        table->refreshButton()->click();
        answer({record(1, '1', "", 0, '1')}, funds::rspInfo(5001, "查询无记录"));
        table->refreshButton()->click();
        QCOMPARE(boxes->shown, QStringList({"warning|错误|查询失败", "warning|错误|[5001]查询无记录"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"资金调拨信息查询失败[5001]查询无记录\""));
        QCOMPARE(table->tableWidget()->rowCount(), 0);
        QCOMPARE(funds::requestsOf("reqQryBTFundTransferRecord").size(), size_t(3));
    }

    void silentRecordQueryIsGivenUpAndItsAnswersDropped() {
        table->pendingQuery()->setTimeoutInterval(20);
        table->refreshButton()->click();
        const int silent = funds::requestsOf("reqQryBTFundTransferRecord").back().requestId;
        QVERIFY(!table->refreshArmed());
        QTRY_COMPARE(boxes->shown, QStringList("warning|错误|查询超时"));
        QVERIFY(table->refreshArmed());

        table->pendingQuery()->setTimeoutInterval(PendingQuery::DEFAULT_TIMEOUT_MS);
        table->refreshButton()->click();
        answer({record(1, '1', "", 0, '1'), record(2, '1', "", 0, '1')}, funds::rspInfo(0), true, silent);
        QCOMPARE(table->tableWidget()->rowCount(), 0);
        QVERIFY(!table->refreshArmed());
        answer({record(3, '2', "", 0, '6')}, funds::rspInfo(0));
        QCOMPARE(table->tableWidget()->rowCount(), 1);
        QVERIFY(table->refreshArmed());
        QCOMPARE(boxes->shown.size(), 1);
    }

    void errorStormShowsOneBox() {
        table->refreshButton()->click();
        const int id = funds::requestsOf("reqQryBTFundTransferRecord").back().requestId;
        const CMoruRspQryBTCapTransferManagerField r = record(1, '1', "", 0, '1');
        const StormResult storm = answerStorm(
            [&] { table->slot_rspQryBTFundTransferRecord(r, funds::rspInfo(5001, "busy"), id, false); });
        QCOMPARE(storm.boxes, 1);
        QCOMPARE(storm.deepest, 1);
    }

private:
    std::unique_ptr<funds::Boxes> boxes;
    std::unique_ptr<FundTransferWidget> window;
    FundTransferOperationWidget* form = nullptr;
    FundTransferTableWidget* table = nullptr;
};

QTEST_MAIN(TestFundTransfer)
#include "test_fund_transfer.moc"
