#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_push_button.h"
#include "captured_log.h"
#include "constants.h"
#include "funds_support.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"

using funds::Image;

namespace {

CMoruRspQryBTCapTransferManagerField record(const char* org, double amount, char direction, const char* time,
                                            uint32_t errorCode, char status) {
    return Image(sizeof(CMoruRspQryBTCapTransferManagerField))
        .text(4, org)
        .text(8, "10880001")
        .real(24, amount)
        .byte(32, direction)
        .text(33, time)
        .u32(42, errorCode)
        .byte(46, status)
        .as<CMoruRspQryBTCapTransferManagerField>();
}

void answerRecords(const QList<CMoruRspQryBTCapTransferManagerField>& records, const CMoruRspInfo& info,
                   bool lastAtEnd = true) {
    funds::fire([&](const CMoruTraderSpi& spi) {
        for (int i = 0; i < records.size(); ++i) {
            CMoruRspQryBTCapTransferManagerField r = records.at(i);
            CMoruRspInfo rspInfo = info;
            spi.onRspQryBTFundTransferRecord(&r, &rspInfo, 9, lastAtEnd && i + 1 == records.size());
        }
    });
}

QStringList tableRow(const BaseTableWidget* table, int row) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c) {
        const QTableWidgetItem* item = table->item(row, c);
        cells << (item ? item->text() : QStringLiteral("<none>"));
    }
    return cells;
}

Image transferImage(double amount, char direction) {
    return Image(92).text(4, "10880001").real(20, amount).byte(28, direction);
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

    void windowHoldsFormAndTable() {
        QCOMPARE(window->minimumSize(), QSize(924, 265));
        QVERIFY(window->windowFlags() & Qt::Tool);
        QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(table->windowName(), QStringLiteral("资金调拨记录"));
        QCOMPARE(table->headerLabels(), FUND_TRANSFER_HEADERS);
        QCOMPARE(table->tableWidget()->columnCount(), 7);
        QVERIFY(form->shanghaiToShenzhenButton()->isChecked());
        QCOMPARE(form->amountBox()->decimals(), 2);
        QCOMPARE(form->amountBox()->minimum(), 0.0);
        QCOMPARE(form->amountBox()->maximum(), 2147483647.0);
        QVERIFY(QMetaType::type("CMoruRspBTCapTransferManagerField") != QMetaType::UnknownType);
        QVERIFY(QMetaType::type("CMoruRtnBtCapTransferManagerField") != QMetaType::UnknownType);
    }

    void directionFollowsTheRadioButtons() {
        requestIdCounter = 11;
        form->amountBox()->setValue(1000.25);
        QTest::mouseClick(form->sendButton(), Qt::LeftButton);
        form->shenzhenToShanghaiButton()->click();
        QCOMPARE(form->direction(), '2');
        QTest::mouseClick(form->sendButton(), Qt::LeftButton);
        form->shanghaiToShenzhenButton()->click();
        QCOMPARE(form->direction(), '1');
        form->amountBox()->setValue(0.01);
        QTest::mouseClick(form->sendButton(), Qt::LeftButton);

        const auto sent = funds::requestsOf("reqBTFundTransfer");
        QCOMPARE(sent.size(), size_t(3));
        QVERIFY(sent[0].bytes == transferImage(1000.25, '1').bytes());
        QVERIFY(sent[1].bytes == transferImage(1000.25, '2').bytes());
        QVERIFY(sent[2].bytes == transferImage(0.01, '1').bytes());
        QCOMPARE(sent[0].requestId, 11);
        QCOMPARE(sent[2].requestId, 13);
        QCOMPARE(boxes->texts(), funds::repeated(3, "information|确认|是否确认调拨"));
        QCOMPARE(boxes->shown[0].choices, QStringList({"确认", "取消"}));
    }

    void zeroAmountOrNoConfirmationSendsNothing() {
        QTest::mouseClick(form->sendButton(), Qt::LeftButton);
        QCOMPARE(boxes->texts(), QStringList("warning|错误|请填写正确调拨金额!"));

        form->amountBox()->setValue(300);
        for (int answer : {1, -1}) {  // "取消", or the box closed another way
            boxes->choiceAnswer = answer;
            QTest::mouseClick(form->sendButton(), Qt::LeftButton);
        }
        QCOMPARE(boxes->shown.size(), 3);
        QVERIFY(fakeapi::requests().empty());

        form->clearButton()->click();
        QCOMPARE(form->amountBox()->value(), 0.0);
    }

    void linkLossDuringTheConfirmationSendsNothing() {
        form->amountBox()->setValue(300);
        DialogSeam::setChoiceHandler([](const DialogSeam::Box&) {
            DialogSeam::endSession();  // the counter went away while the box was open
            return 0;
        });
        QTest::mouseClick(form->sendButton(), Qt::LeftButton);
        QVERIFY(fakeapi::requests().empty());
    }

    void unsentTransferIsReported() {
        form->amountBox()->setValue(300);
        fakeapi::scriptResult("reqBTFundTransfer", -1);
        QTest::mouseClick(form->sendButton(), Qt::LeftButton);
        QCOMPARE(boxes->texts(), QStringList({"information|确认|是否确认调拨", "warning|错误|请求失败"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "资金调拨请求失败"));
    }

    void responseIsSilentAndTheReturnReportTellsTheOutcome() {
        funds::fire([](const CMoruTraderSpi& spi) {
            CMoruRspBTCapTransferManagerField rsp;
            std::memset(&rsp, 0, sizeof(rsp));
            CMoruRspInfo ok = funds::rspInfo(0);
            spi.onRspBTFundTransfer(&rsp, &ok, 5, true);
        });
        QVERIFY(boxes->shown.isEmpty());
        QVERIFY(CapturedLog::has(QtInfoMsg, "等待资金调拨rtn回报"));

        funds::fire([](const CMoruTraderSpi& spi) {
            CMoruRtnBtCapTransferManagerField rtn;
            std::memset(&rtn, 0, sizeof(rtn));
            CMoruRspInfo ok = funds::rspInfo(0);
            spi.onRtnBTFundTransfer(&rtn, &ok, 5, true);
        });
        QCOMPARE(boxes->texts(), QStringList("information|信息|调拨成功"));

        CapturedLog::clear();
        funds::fire([](const CMoruTraderSpi& spi) {
            CMoruRspBTCapTransferManagerField rsp;
            std::memset(&rsp, 0, sizeof(rsp));
            CMoruRtnBtCapTransferManagerField rtn;
            std::memset(&rtn, 0, sizeof(rtn));
            CMoruRspInfo refused = funds::rspInfo(3001, "可取资金不足");
            CMoruRspInfo failed = funds::rspInfo(3003, "调拨被拒绝");
            spi.onRspBTFundTransfer(&rsp, &refused, 6, true);
            spi.onRtnBTFundTransfer(&rtn, &failed, 7, true);
        });
        QCOMPARE(boxes->texts().mid(1),
                 QStringList({"warning|调拨失败|[3001]可取资金不足", "warning|调拨失败|[3003]调拨被拒绝"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"资金调拨失败[3001]可取资金不足\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"资金调拨失败[3003]调拨被拒绝\""));
        QCOMPARE(table->tableWidget()->rowCount(), 0);
        QVERIFY(fakeapi::requests().empty());  // neither answer refreshes the records
    }

    void refreshStaysDeadUntilTheLastRecord() {
        requestIdCounter = 2;
        QVERIFY(table->refreshArmed());
        QTest::mouseClick(table->refreshButton(), Qt::LeftButton);
        QTest::mouseClick(table->refreshButton(), Qt::LeftButton);
        auto queries = funds::requestsOf("reqQryBTFundTransferRecord");
        QCOMPARE(queries.size(), size_t(1));
        QVERIFY(queries[0].bytes == Image(82).text(4, "10880001").bytes());
        QCOMPARE(queries[0].requestId, 2);
        QVERIFY(!table->refreshArmed());

        answerRecords(
            {record("0101", 1000.5, '1', "093102120", 0, '6'), record("0201", 20, '2', "145959999", 0, '3')},
            funds::rspInfo(0), false);
        QVERIFY(!table->refreshArmed());
        answerRecords({record("0101", 7, '3', "bad", 3001, '9')}, funds::rspInfo(0));
        QVERIFY(table->refreshArmed());

        BaseTableWidget* t = table->tableWidget();
        QCOMPARE(t->rowCount(), 3);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(tableRow(t, 0), QStringList({"0101", "1000.50", "上交柜台调往深交柜台", "0", "成功",
                                              "操作结束", "09:31:02.120"}));
        QCOMPARE(tableRow(t, 1), QStringList({"0201", "20.00", "深交柜台调往上交柜台", "0", "成功",
                                              "接收到调出结束消息", "14:59:59.999"}));
        QCOMPARE(tableRow(t, 2), QStringList({"0101", "7.00", "", "3001", "失败", "", ""}));

        // Armed once only: one click, one query, and the table starts again.
        QTest::mouseClick(table->refreshButton(), Qt::LeftButton);
        QCOMPARE(funds::requestsOf("reqQryBTFundTransferRecord").size(), size_t(2));
        QCOMPARE(t->rowCount(), 0);
        answerRecords({record("0101", 1, '1', "000000000", 0, '1')}, funds::rspInfo(0));
        QCOMPARE(tableRow(t, 0), QStringList({"0101", "1.00", "上交柜台调往深交柜台", "0", "成功",
                                              "接收到调拨消息", "00:00:00.000"}));
        QVERIFY(boxes->shown.isEmpty());
    }

    void failedQueriesReArmTheButton() {
        fakeapi::scriptResult("reqQryBTFundTransferRecord", -1);
        QTest::mouseClick(table->refreshButton(), Qt::LeftButton);
        QCOMPARE(boxes->texts(), QStringList("warning|错误|查询失败"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "资金调拨信息查询失败"));
        QVERIFY(table->refreshArmed());

        QTest::mouseClick(table->refreshButton(), Qt::LeftButton);
        QVERIFY(!table->refreshArmed());
        answerRecords({record("0101", 1, '1', "", 0, '1')}, funds::rspInfo(5001, "查询无记录"));
        QCOMPARE(boxes->texts().last(), QStringLiteral("warning|错误|[5001]查询无记录"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"资金调拨信息查询失败[5001]查询无记录\""));
        QCOMPARE(table->tableWidget()->rowCount(), 0);
        QVERIFY(table->refreshArmed());
        QCOMPARE(funds::requestsOf("reqQryBTFundTransferRecord").size(), size_t(2));
    }

private:
    std::unique_ptr<funds::Boxes> boxes;
    std::unique_ptr<FundTransferWidget> window;
    FundTransferOperationWidget* form = nullptr;
    FundTransferTableWidget* table = nullptr;
};

QTEST_MAIN(TestFundTransfer)
#include "test_fund_transfer.moc"
