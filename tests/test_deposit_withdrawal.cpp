#include <QTimer>
#include <QtTest>
#include <memory>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "captured_log.h"
#include "constants.h"
#include "funds_support.h"
#include "user/queryWindow/depositandwithdrawal_dialog.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"

using funds::Image;

namespace {

CMoruRspQryCapTransferRecordField record(const char* org, double amount, char direction, const char* time) {
    return Image(sizeof(CMoruRspQryCapTransferRecordField))
        .text(0, org)
        .text(4, "10880001")
        .real(19, amount)
        .byte(27, direction)
        .text(32, time)
        .as<CMoruRspQryCapTransferRecordField>();
}

void answerRecords(const QList<CMoruRspQryCapTransferRecordField>& records, const CMoruRspInfo& info) {
    funds::fire([&](const CMoruTraderSpi& spi) {
        for (int i = 0; i < records.size(); ++i) {
            CMoruRspQryCapTransferRecordField r = records.at(i);
            CMoruRspInfo rspInfo = info;
            spi.onRspQryInOutFundRecord(&r, &rspInfo, 3, i + 1 == records.size());
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

    void dialogHoldsThePageWithItsHeader() {
        QCOMPARE(dialog->minimumSize(), QSize(660, 265));
        QVERIFY(dialog->windowFlags() & Qt::Tool);
        QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(page->windowName(), QStringLiteral("出入金"));
        QCOMPARE(page->headerLabels(), IN_OUT_FUND_HEADERS);
        QCOMPARE(page->tableWidget()->columnCount(), 4);
        QCOMPARE(page->amountEdit()->placeholderText(), QStringLiteral("金额"));
    }

    void badAmountsAreRefusedBeforeAnyRequest() {
        // Typed as a user types: the validator keeps two decimals and plain notation.
        QTest::keyClicks(page->amountEdit(), "12.345");
        QCOMPARE(page->amountEdit()->text(), QStringLiteral("12.34"));
        page->slot_clickedClear();
        QTest::keyClicks(page->amountEdit(), "1e5x");
        QCOMPARE(page->amountEdit()->text(), QStringLiteral("15"));

        const QStringList refused = {"", "-5", "0", "0.00", "-"};
        for (const QString& amount : refused) {
            page->amountEdit()->clear();
            QTest::keyClicks(page->amountEdit(), amount);
            QCOMPARE(page->amountEdit()->text(), amount);
            CapturedLog::clear();
            QTest::mouseClick(page->depositButton(), Qt::LeftButton);
            QTest::mouseClick(page->withdrawButton(), Qt::LeftButton);
            const double shown = amount.toDouble();
            const QString logLine = QStringLiteral("input error money double is : %1").arg(shown);
            QCOMPARE(CapturedLog::count(logLine), 2);
        }
        QCOMPARE(boxes->texts(), funds::repeated(refused.size() * 2, "warning|提示|请输入正确的金额"));
        QVERIFY(fakeapi::requests().empty());
        QCOMPARE(requestIdCounter.load(), 0);
    }

    void depositAndWithdrawalSendTheAmountTyped() {
        requestIdCounter = 7;
        QTest::keyClicks(page->amountEdit(), "1234.56");
        QTest::mouseClick(page->depositButton(), Qt::LeftButton);
        QTest::mouseClick(page->withdrawButton(), Qt::LeftButton);
        const Image expected = Image(134).text(4, "10880001").real(30, 1234.56);
        const auto in = funds::requestsOf("reqInFund");
        const auto out = funds::requestsOf("reqOutFund");
        QCOMPARE(in.size(), size_t(1));
        QCOMPARE(out.size(), size_t(1));
        QVERIFY(in[0].bytes == expected.bytes());
        QVERIFY(out[0].bytes == expected.bytes());
        QCOMPARE(in[0].requestId, 7);
        QCOMPARE(out[0].requestId, 8);
        QCOMPARE(in[0].entryNo, 0);
        QVERIFY(boxes->shown.isEmpty());

        // A request the library does not send.
        fakeapi::scriptResult("reqInFund", -1);
        fakeapi::scriptResult("reqOutFund", 3);
        QTest::mouseClick(page->depositButton(), Qt::LeftButton);
        QTest::mouseClick(page->withdrawButton(), Qt::LeftButton);
        QCOMPARE(boxes->texts(), QStringList({"warning|错误|请求失败", "warning|错误|请求失败"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "入金请求失败"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "出金请求失败"));

        page->clearButton()->click();
        QVERIFY(page->amountEdit()->text().isEmpty());
    }

    void answersAreReportedAndChangeNothingElse() {
        page->amountEdit()->setText("500");
        CapturedLog::clear();
        funds::fire([](const CMoruTraderSpi& spi) {
            CMoruRspCapTransferField rsp;
            std::memset(&rsp, 0, sizeof(rsp));
            CMoruRspInfo ok = funds::rspInfo(0);
            CMoruRspInfo refused = funds::rspInfo(3001, "可取资金不足");
            spi.onRspInFund(&rsp, &ok, 1, true);
            spi.onRspOutFund(&rsp, &ok, 2, true);
            spi.onRspInFund(&rsp, &refused, 3, true);
            spi.onRspOutFund(&rsp, &refused, 4, true);
        });
        QCOMPARE(boxes->texts(),
                 QStringList({"information|提示|调入资金成功", "information|提示|调出资金成功",
                              "warning|错误|调入资金失败[3001]可取资金不足",
                              "warning|错误|调出资金失败[3001]可取资金不足"}));
        QVERIFY(CapturedLog::has(QtInfoMsg, "\"调入资金成功\""));
        QVERIFY(CapturedLog::has(QtInfoMsg, "\"调出资金成功\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"调入资金失败[3001]可取资金不足\""));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"调出资金失败[3001]可取资金不足\""));
        QCOMPARE(page->amountEdit()->text(), QStringLiteral("500"));
        QCOMPARE(page->tableWidget()->rowCount(), 0);
        QVERIFY(fakeapi::requests().empty());  // no refresh of its own
    }

    void refreshIsLockedForASecond() {
        requestIdCounter = 4;
        QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
        QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
        auto queries = funds::requestsOf("reqQryInOutFundRecord");
        QCOMPARE(queries.size(), size_t(1));
        QVERIFY(queries[0].bytes == Image(83).text(4, "10880001").bytes());
        QCOMPARE(queries[0].requestId, 4);
        QVERIFY(!page->refreshButton()->isEnabled());
        QTimer* lock = page->refreshLockTimer();
        QVERIFY(lock->isActive());
        QVERIFY(lock->isSingleShot());
        QCOMPARE(lock->interval(), 1000);

        page->slot_unlockRefresh();  // what the timer calls
        QVERIFY(page->refreshButton()->isEnabled());

        // A query the library does not send locks the button all the same.
        fakeapi::scriptResult("reqQryInOutFundRecord", -1);
        QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
        QCOMPARE(boxes->texts(), QStringList("warning|错误|查询出错"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "出入金信息查询请求失败"));
        QVERIFY(!page->refreshButton()->isEnabled());
        QVERIFY(lock->isActive());
    }

    void recordsFillTheTableFromTheTopOnEachRefresh() {
        page->refreshButton()->click();
        answerRecords({record("0101", 1234.5, '1', "20240105 09:31:02"),
                       record("0101", 0.004, '2', "20240105 10:00:00"), record("0102", 7, '9', "")},
                      funds::rspInfo(0));
        BaseTableWidget* table = page->tableWidget();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(page->rowCount(), 3);
        QCOMPARE(tableRow(table, 0), QStringList({"0101", "1234.50", "入金", "20240105 09:31:02"}));
        QCOMPARE(tableRow(table, 1), QStringList({"0101", "0.00", "出金", "20240105 10:00:00"}));
        QCOMPARE(tableRow(table, 2), QStringList({"0102", "7.00", "", ""}));
        QVERIFY(boxes->shown.isEmpty());

        // Fields filled to their width are read to their width and no further.
        CMoruRspQryCapTransferRecordField full = record("", 1, '1', "");
        std::memset(full.OrgCode, '7', sizeof(full.OrgCode));
        std::memset(full.AccountID, 'X', sizeof(full.AccountID));
        std::memset(full.OperTime, '8', sizeof(full.OperTime));
        std::memset(full.Reserved64, 'Y', sizeof(full.Reserved64));
        page->slot_unlockRefresh();
        page->refreshButton()->click();
        QCOMPARE(table->rowCount(), 0);
        answerRecords({full}, funds::rspInfo(0));
        QCOMPARE(tableRow(table, 0), QStringList({"7777", "1.00", "入金", QString(32, '8')}));
    }

    void emptyAndFailedAnswersAddNoRow() {
        page->refreshButton()->click();
        answerRecords({record("0101", 0, '0', "")}, funds::rspInfo(0));
        QCOMPARE(page->tableWidget()->rowCount(), 0);
        QCOMPARE(boxes->texts(), QStringList("information|提示|查询成功，没有记录"));

        CapturedLog::clear();
        answerRecords({record("0101", 5, '1', "t")}, funds::rspInfo(5001, "查询无记录"));
        QCOMPARE(page->tableWidget()->rowCount(), 0);
        QCOMPARE(boxes->texts().last(), QStringLiteral("warning|错误|[5001]查询无记录"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"出入金信息查询失败[5001]查询无记录\""));
    }

private:
    std::unique_ptr<funds::Boxes> boxes;
    std::unique_ptr<DepositAndWithdrawalDialog> dialog;
    DepositAndWithdrawalWidget* page = nullptr;
};

QTEST_MAIN(TestDepositWithdrawal)
#include "test_deposit_withdrawal.moc"
