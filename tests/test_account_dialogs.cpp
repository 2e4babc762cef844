#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "captured_log.h"
#include "funds_support.h"
#include "user/personal_inf_dialog.h"
#include "user/queryWindow/depositandwithdrawal_dialog.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/update_pwd_dialog.h"
#include "user/user_widget.h"
#include "utils/read_api_config.h"

using funds::Image;

namespace {

QStringList texts(const QList<MyLabel*>& labels) {
    QStringList out;
    for (const MyLabel* label : labels) out << label->text();
    return out;
}

void answerFunds(const CMoruRspQryStockClientAccountField& record) {
    funds::fire([&](const CMoruTraderSpi& spi) {
        CMoruRspQryStockClientAccountField r = record;
        CMoruRspInfo ok = funds::rspInfo(0);
        spi.onRspQryFund(&r, &ok, 1, true);
    });
}

void answerPassword(const CMoruRspInfo& info) {
    funds::fire([&](const CMoruTraderSpi& spi) {
        CMoruRspUserPasswordUpdateField r;
        std::memset(&r, 0xAB, sizeof(r));
        CMoruRspInfo i = info;
        spi.onRspUpdatePwd(&r, &i, 77, false);
    });
}

}  // namespace

class TestAccountDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }
    void init() {
        funds::resetLibrary(QStringLiteral("10880003"));
        CapturedLog::install();
        boxes = std::make_unique<funds::Boxes>();
    }
    void cleanup() {
        boxes.reset();
        CapturedLog::uninstall();
    }

    void fundQueryIsLockedForASecond() {
        PersonalInfDialog dialog;
        QCOMPARE(dialog.size(), QSize(260, 290));
        QVERIFY(dialog.windowFlags() & Qt::Tool);
        QCOMPARE(texts(dialog.captionLabels()),
                 QStringList({"上场资金", "可用资金", "可取金额", "冻结资金", "锁定手续费", "手续费",
                              "今日卖出金额", "今日买入金额"}));
        QCOMPARE(texts(dialog.valueLabels()),
                 funds::repeated(8, QString()));  // nothing before the first answer
        dialog.show();
        requestIdCounter = 5;
        QTest::mouseClick(dialog.refreshButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.refreshButton(), Qt::LeftButton);
        const auto sent = funds::requestsOf("reqQryFund");
        QCOMPARE(sent.size(), size_t(1));
        QVERIFY(sent[0].bytes == Image(143).text(0, "10880003").bytes());
        QCOMPARE(sent[0].requestId, 5);
        QVERIFY(!dialog.refreshButton()->isEnabled());
        QVERIFY(dialog.refreshLockTimer()->isActive());
        QVERIFY(dialog.refreshLockTimer()->isSingleShot());
        QCOMPARE(dialog.refreshLockTimer()->interval(), 1000);
        dialog.slot_unlockRefresh();  // what the timer calls
        QVERIFY(dialog.refreshButton()->isEnabled());

        // A query that cannot be sent shows nothing.
        fakeapi::scriptResult("reqQryFund", -1);
        QTest::mouseClick(dialog.refreshButton(), Qt::LeftButton);
        QVERIFY(boxes->shown.isEmpty());
        QCOMPARE(funds::requestsOf("reqQryFund").size(), size_t(2));
    }

    void everyFundFigureShowsWithThreeDecimals() {
        PersonalInfDialog dialog;  // never shown: hidden dialogs take the figures too
        const Image figures = Image(224)
                                  .text(0, "10880003")
                                  .real(16, 4.0)        // frozen
                                  .real(24, 5.5)        // locked fee
                                  .real(32, 6.25)       // fee
                                  .real(40, 1000000.0)  // placed on the counter
                                  .real(48, 99.0)       // not shown
                                  .real(56, 7.0006)     // sold today
                                  .real(64, 8.1234)     // bought today
                                  .real(88, 2.5)        // available
                                  .real(96, 99.0)       // not shown
                                  .real(130, 3.75);     // withdrawable, unaligned
        answerFunds(figures.as<CMoruRspQryStockClientAccountField>());
        QCOMPARE(texts(dialog.valueLabels()),
                 QStringList({"1000000.000", "2.500", "3.750", "4.000", "5.500", "6.250", "7.001", "8.123"}));
        answerFunds(Image(224).as<CMoruRspQryStockClientAccountField>());
        QCOMPARE(texts(dialog.valueLabels()), funds::repeated(8, "0.000"));
    }

    void passwordInputsAreCheckedInOrder() {
        UpdatePwdDialog dialog;
        QCOMPARE(dialog.size(), QSize(254, 160));
        dialog.show();
        QTest::mouseClick(dialog.confirmButton(), Qt::LeftButton);  // both empty: the old one is named
        QTest::keyClicks(dialog.oldPasswordEdit(), "123456");
        QTest::mouseClick(dialog.confirmButton(), Qt::LeftButton);
        QTest::keyClicks(dialog.newPasswordEdit(), "123456");
        QTest::mouseClick(dialog.confirmButton(), Qt::LeftButton);
        QCOMPARE(boxes->texts(),
                 QStringList({"warning|错误|老密码不能为空！", "warning|错误|新密码不能为空！",
                              "information|信息|新密码和老密码一致,重新输入"}));
        // Only the new field is emptied, and the dialog stays for another try.
        QCOMPARE(dialog.oldPasswordEdit()->text(), QStringLiteral("123456"));
        QVERIFY(dialog.newPasswordEdit()->text().isEmpty());
        QVERIFY(dialog.isVisible());

        // Letters and signs are welcome, the eleventh character is not.
        QTest::keyClicks(dialog.newPasswordEdit(), "aB3$%xyz9Qw");
        QCOMPARE(dialog.newPasswordEdit()->text(), QStringLiteral("aB3$%xyz9Q"));
        QCOMPARE(dialog.newPasswordEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.oldPasswordEdit()->echoMode(), QLineEdit::Password);

        // Ten characters that take more than the ten bytes of the field would reach the counter cut.
        dialog.newPasswordEdit()->setText(QStringLiteral("密码密码ab"));
        QTest::mouseClick(dialog.confirmButton(), Qt::LeftButton);
        QCOMPARE(boxes->texts().last(), QStringLiteral("warning|错误|新密码过长！"));
        QVERIFY(dialog.isVisible());
        QVERIFY(fakeapi::requests().empty());
    }

    void confirmedOrCancelledTheDialogClosesEmpty() {
        UpdatePwdDialog dialog;
        requestIdCounter = 3;
        const struct {
            int answer;
            int sendResult;
            QStringList boxes;
        } cases[] = {
            {0, 0, {"information|确认|是否确认修改密码"}},
            {1, 0, {"information|确认|是否确认修改密码"}},
            {-1, 0, {"information|确认|是否确认修改密码"}},
            {0, -1, {"information|确认|是否确认修改密码", "critical|失败|发送更新密码失败"}},
        };
        int sent = 0;
        for (const auto& c : cases) {
            boxes->shown.clear();
            boxes->choiceAnswer = c.answer;
            if (c.sendResult) fakeapi::scriptResult("reqUpdatePwd", c.sendResult);
            dialog.show();
            QTest::keyClicks(dialog.oldPasswordEdit(), "123456");
            QTest::keyClicks(dialog.newPasswordEdit(), "abcdefghij");
            QTest::mouseClick(dialog.confirmButton(), Qt::LeftButton);
            QCOMPARE(boxes->texts(), c.boxes);
            QCOMPARE(boxes->shown[0].choices, QStringList({"确认", "取消"}));
            QVERIFY(dialog.oldPasswordEdit()->text().isEmpty());
            QVERIFY(dialog.newPasswordEdit()->text().isEmpty());
            QVERIFY(!dialog.isVisible());
            if (c.answer == 0) ++sent;
            QCOMPARE(funds::requestsOf("reqUpdatePwd").size(), size_t(sent));
        }
        // A ten-character new password fills its field without terminator.
        const auto request = funds::requestsOf("reqUpdatePwd").front();
        QVERIFY(request.bytes ==
                Image(99).text(0, "10880003").text(15, "abcdefghij").text(25, "123456").bytes());
        QCOMPARE(request.requestId, 3);
    }

    void linkLossDuringTheConfirmationLeavesTheDialogAlone() {
        UpdatePwdDialog dialog;
        dialog.show();
        DialogSeam::setChoiceHandler([](const DialogSeam::Box&) {
            DialogSeam::endSession();
            return 0;
        });
        QTest::keyClicks(dialog.oldPasswordEdit(), "123456");
        QTest::keyClicks(dialog.newPasswordEdit(), "654321");
        QTest::mouseClick(dialog.confirmButton(), Qt::LeftButton);
        QVERIFY(fakeapi::requests().empty());
        // The workspace that owns it is about to go; the dialog is not touched any further.
        QCOMPARE(dialog.newPasswordEdit()->text(), QStringLiteral("654321"));
        QVERIFY(dialog.isVisible());
    }

    void clearEmptiesFieldsAndAnswersAreReported() {
        UpdatePwdDialog dialog;
        dialog.oldPasswordEdit()->setText("1");
        dialog.newPasswordEdit()->setText("2");
        dialog.clearButton()->click();
        QVERIFY(dialog.oldPasswordEdit()->text().isEmpty());
        QVERIFY(dialog.newPasswordEdit()->text().isEmpty());

        answerPassword(funds::rspInfo(4001, "原密码错误"));
        answerPassword(funds::rspInfo(0));
        QCOMPARE(boxes->texts(),
                 QStringList({"warning|错误|[4001]原密码错误", "information|成功|密码修改成功"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"密码修改失败[4001]原密码错误\""));
    }

    void workspaceButtonsKeepTheirDialogs() {
        QFile config(dir.filePath("api_config.txt"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("ManagerURL=tcp://127.0.0.1:1\nBusinessCode=\n");
        config.close();
        ReadApiConfig::instance()->setFilePath(config.fileName());
        UserWidget workspace;
        workspace.buildWorkspace();
        workspace.refreshAccountInfo();
        workspace.show();
        QVERIFY(!workspace.accountDialog() && !workspace.transferWindow() && !workspace.depositDialog() &&
                !workspace.passwordDialog());

        // "资金查询" asks again on every press, past the dialog's own one-second lock.
        QTest::mouseClick(workspace.fundButton(), Qt::LeftButton);
        PersonalInfDialog* account = workspace.accountDialog();
        QVERIFY(account && account->isVisible());
        QCOMPARE(account->parent(), &workspace);
        account->hide();
        QTest::mouseClick(workspace.fundButton(), Qt::LeftButton);
        QCOMPARE(workspace.accountDialog(), account);
        QVERIFY(account->isVisible());
        QCOMPARE(funds::requestsOf("reqQryFund").size(), size_t(2));

        QTest::mouseClick(workspace.passwordButton(), Qt::LeftButton);
        UpdatePwdDialog* password = workspace.passwordDialog();
        QVERIFY(password && password->isVisible());
        password->oldPasswordEdit()->setText("123");
        password->newPasswordEdit()->setText("456");
        password->close();
        QTest::mouseClick(workspace.passwordButton(), Qt::LeftButton);
        QCOMPARE(workspace.passwordDialog(), password);
        QVERIFY(password->isVisible());
        QVERIFY(password->oldPasswordEdit()->text().isEmpty());
        QVERIFY(password->newPasswordEdit()->text().isEmpty());

        QTest::mouseClick(workspace.transferButton(), Qt::LeftButton);
        QTest::mouseClick(workspace.depositButton(), Qt::LeftButton);
        FundTransferWidget* transfer = workspace.transferWindow();
        DepositAndWithdrawalDialog* deposit = workspace.depositDialog();
        QVERIFY(transfer && transfer->isVisible() && transfer->parent() == &workspace);
        QVERIFY(deposit && deposit->isVisible() && deposit->parent() == &workspace);
        transfer->close();
        deposit->close();
        QTest::mouseClick(workspace.transferButton(), Qt::LeftButton);
        QTest::mouseClick(workspace.depositButton(), Qt::LeftButton);
        QCOMPARE(workspace.transferWindow(), transfer);
        QCOMPARE(workspace.depositDialog(), deposit);
        QVERIFY(transfer->isVisible() && deposit->isVisible());
        QCOMPARE(workspace.findChildren<FundTransferWidget*>().size(), 1);
        QCOMPARE(workspace.findChildren<DepositAndWithdrawalDialog*>().size(), 1);
        QVERIFY(boxes->shown.isEmpty());

        // After a link loss the dialogs hear the counter no more.
        workspace.detachFromCounter();
        answerFunds(Image(224).real(40, 1.0).as<CMoruRspQryStockClientAccountField>());
        QVERIFY(account->valueLabels().first()->text().isEmpty());
    }

private:
    QTemporaryDir dir;
    std::unique_ptr<funds::Boxes> boxes;
};

QTEST_MAIN(TestAccountDialogs)
#include "test_account_dialogs.moc"
