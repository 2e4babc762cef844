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

void answerFunds(const Image& image, int error = 0, const char* text = "") {
    funds::fire([&](const CMoruTraderSpi& spi) {
        auto record = image.as<CMoruRspQryStockClientAccountField>();
        CMoruRspInfo info = funds::rspInfo(error, text);
        spi.onRspQryFund(&record, &info, 1, true);
    });
}
}  // namespace

class TestAccountDialogs : public QObject {
    Q_OBJECT
private slots:
    void init() {
        funds::resetLibrary(QStringLiteral("10880003"));
        CapturedLog::install();
        boxes = std::make_unique<funds::Boxes>();
    }
    void cleanup() {
        boxes.reset();
        CapturedLog::uninstall();
    }

    void fundQueryIsLockedForASecondAndShowsEveryFigure() {
        PersonalInfDialog dialog;  // hidden: it takes the figures all the same
        QCOMPARE(texts(dialog.valueLabels()), funds::repeated(8, QString()));
        requestIdCounter = 5;
        QTest::mouseClick(dialog.refreshButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.refreshButton(), Qt::LeftButton);
        const auto sent = funds::requestsOf("reqQryFund");
        QCOMPARE(sent.size(), size_t(1));
        QVERIFY(sent[0].bytes == Image(143).text(0, "10880003").bytes());
        QCOMPARE(sent[0].requestId, 5);
        QVERIFY(dialog.refreshLockTimer()->isActive() && dialog.refreshLockTimer()->isSingleShot());
        QCOMPARE(dialog.refreshLockTimer()->interval(), 1000);
        dialog.slot_unlockRefresh();  // what the timer calls
        QVERIFY(dialog.refreshButton()->isEnabled());

        // Each figure from its own offset (48 and 96 are not shown), withdrawable unaligned.
        answerFunds(Image(224)
                        .put(16, 4.0)
                        .put(24, 5.5)
                        .put(32, 6.25)
                        .put(40, 1e6)
                        .put(48, 99.0)
                        .put(56, 7.0006)
                        .put(64, 8.1234)
                        .put(88, 2.5)
                        .put(96, 99.0)
                        .put(130, 3.75));
        QCOMPARE(texts(dialog.valueLabels()),
                 QStringList({"1000000.000", "2.500", "3.750", "4.000", "5.500", "6.250", "7.001", "8.123"}));
        answerFunds(Image(224));
        QCOMPARE(texts(dialog.valueLabels()), funds::repeated(8, "0.000"));
        QVERIFY(boxes->shown.isEmpty());
    }

    void passwordInputsAreCheckedInOrder() {
        UpdatePwdDialog dialog;
        dialog.show();
        dialog.confirmButton()->click();  // both empty: the old one is named
        QTest::keyClicks(dialog.oldPasswordEdit(), "123456");
        dialog.confirmButton()->click();
        QTest::keyClicks(dialog.newPasswordEdit(), "123456");
        dialog.confirmButton()->click();
        // Only the new field is emptied, and the dialog stays for another try.
        QCOMPARE(dialog.oldPasswordEdit()->text(), QStringLiteral("123456"));
        QVERIFY(dialog.newPasswordEdit()->text().isEmpty() && dialog.isVisible());

        // Letters and signs are welcome, the eleventh character is not.
        QTest::keyClicks(dialog.newPasswordEdit(), "aB3$%xyz9Qw");
        QCOMPARE(dialog.newPasswordEdit()->text(), QStringLiteral("aB3$%xyz9Q"));
        QCOMPARE(dialog.newPasswordEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(boxes->shown, QStringList({"warning|错误|老密码不能为空！", "warning|错误|新密码不能为空！",
                                            "information|信息|新密码和老密码一致,重新输入"}));
        QVERIFY(dialog.isVisible());
        QVERIFY(fakeapi::requests().empty());
    }

    void refusedFundQueryKeepsTheLastFigures() {
        PersonalInfDialog dialog;
        answerFunds(Image(224).put(40, 1e6).put(88, 2.5));
        const QStringList figures = texts(dialog.valueLabels());
        QCOMPARE(figures.mid(0, 2), QStringList({"1000000.000", "2.500"}));
        // A refusal brings a zeroed record that is nobody's figures.
        answerFunds(Image(224), 3002, "资金账户不存在");
        QCOMPARE(texts(dialog.valueLabels()), figures);
        QCOMPARE(boxes->shown, QStringList("warning|错误|[3002]资金账户不存在"));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"资金查询失败[3002]资金账户不存在\""));
        answerFunds(Image(224).put(88, 7.0));
        QCOMPARE(texts(dialog.valueLabels()).at(1), QStringLiteral("7.000"));
    }

    void passwordsHoldOnlyWhatTheLoginCanSend_data() {
        QTest::addColumn<QString>("oldPassword");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("refusal");  // empty: sent
        const QString oldRefused = "老密码只能包含英文字母、数字和英文符号！";
        const QString newRefused = "新密码只能包含英文字母、数字和英文符号！";
        QTest::newRow("umlaut") << "123456" << QString::fromUtf8("pässw0rd") << newRefused;
        QTest::newRow("chinese") << "123456" << QString::fromUtf8("密码密码ab") << newRefused;
        QTest::newRow("full-width sign") << "123456" << QString::fromUtf8("abc！") << newRefused;
        QTest::newRow("tab") << "123456"
                             << "ab\tcd" << newRefused;
        QTest::newRow("old one unsendable") << QString::fromUtf8("pässw0rd") << "123456" << oldRefused;
        QTest::newRow("signs and a blank") << "123456"
                                           << " ~!@#$%^&*"
                                           << "";
        QTest::newRow("letters and digits") << "a1B2c3"
                                            << "Zz09"
                                            << "";
    }
    void passwordsHoldOnlyWhatTheLoginCanSend() {
        QFETCH(QString, oldPassword);
        QFETCH(QString, newPassword);
        QFETCH(QString, refusal);
        UpdatePwdDialog dialog;
        dialog.show();
        dialog.oldPasswordEdit()->setText(oldPassword);
        dialog.newPasswordEdit()->setText(newPassword);
        dialog.confirmButton()->click();
        const auto sent = funds::requestsOf("reqUpdatePwd");
        if (!refusal.isEmpty()) {
            QCOMPARE(boxes->shown, QStringList("warning|错误|" + refusal));
            QVERIFY(sent.empty() && dialog.isVisible());
            return;
        }
        // What is set is byte for byte what the login page sends.
        QCOMPARE(sent.size(), size_t(1));
        QVERIFY(sent[0].bytes == Image(99)
                                     .text(0, "10880003")
                                     .text(15, newPassword.toLatin1().toStdString())
                                     .text(25, oldPassword.toLatin1().toStdString())
                                     .bytes());
    }

    void everyConfirmationEndsWithTheDialogClosedAndEmpty() {
        UpdatePwdDialog dialog;
        requestIdCounter = 3;
        const QString ask = "information|确认|是否确认修改密码";
        const struct {
            int answer, sendResult;
            QStringList boxes;
        } cases[] = {
            {0, 0, {ask}}, {1, 0, {ask}}, {-1, 0, {ask}}, {0, -1, {ask, "critical|失败|发送更新密码失败"}}};
        size_t sent = 0;
        for (const auto& c : cases) {
            boxes->shown.clear();
            boxes->choice = c.answer;
            if (c.sendResult) fakeapi::scriptResult("reqUpdatePwd", c.sendResult);
            dialog.show();
            QTest::keyClicks(dialog.oldPasswordEdit(), "123456");
            QTest::keyClicks(dialog.newPasswordEdit(), "abcdefghij");
            dialog.confirmButton()->click();
            QCOMPARE(boxes->shown, c.boxes);
            QVERIFY(dialog.oldPasswordEdit()->text().isEmpty() && dialog.newPasswordEdit()->text().isEmpty());
            QVERIFY(!dialog.isVisible());
            sent += c.answer == 0;
            QCOMPARE(funds::requestsOf("reqUpdatePwd").size(), sent);
        }
        QCOMPARE(boxes->choices.first(), QStringList({"确认", "取消"}));
        // A ten-character new password fills its field without terminator.
        const auto request = funds::requestsOf("reqUpdatePwd").front();
        QVERIFY(request.bytes ==
                Image(99).text(0, "10880003").text(15, "abcdefghij").text(25, "123456").bytes());
        QCOMPARE(request.requestId, 3);

        // A link loss while the box is open: nothing sent, and the dialog (about to go) left alone.
        DialogSeam::setChoiceHandler([](const DialogSeam::Box&) {
            DialogSeam::endSession();
            return 0;
        });
        dialog.show();
        QTest::keyClicks(dialog.oldPasswordEdit(), "123456");
        QTest::keyClicks(dialog.newPasswordEdit(), "abcdefghij");
        dialog.confirmButton()->click();
        QCOMPARE(funds::requestsOf("reqUpdatePwd").size(), sent);
        QCOMPARE(dialog.oldPasswordEdit()->text(), QStringLiteral("123456"));
    }

    void clearEmptiesFieldsAndAnswersAreReported() {
        UpdatePwdDialog dialog;
        dialog.oldPasswordEdit()->setText("1");
        dialog.newPasswordEdit()->setText("2");
        dialog.clearButton()->click();
        QVERIFY(dialog.oldPasswordEdit()->text().isEmpty() && dialog.newPasswordEdit()->text().isEmpty());
        funds::fire([](const CMoruTraderSpi& spi) {
            CMoruRspUserPasswordUpdateField rsp{};
            CMoruRspInfo refused = funds::rspInfo(4001, "原密码错误"), ok = funds::rspInfo(0);
            spi.onRspUpdatePwd(&rsp, &refused, 77, false);
            spi.onRspUpdatePwd(&rsp, &ok, 78, false);
        });
        QCOMPARE(boxes->shown,
                 QStringList({"warning|错误|[4001]原密码错误", "information|成功|密码修改成功"}));
        QVERIFY(CapturedLog::has(QtWarningMsg, "\"密码修改失败[4001]原密码错误\""));
    }

    void workspaceButtonsKeepTheirDialogs() {
        QTemporaryDir dir;
        QFile config(dir.filePath("api_config.txt"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("ManagerURL=tcp://127.0.0.1:1\nBusinessCode=\n");
        config.close();
        ReadApiConfig::instance()->setFilePath(config.fileName());
        UserWidget workspace;
        workspace.buildWorkspace();
        workspace.show();

        // "资金查询" asks again on every press, past the dialog's own one-second lock.
        workspace.fundButton()->click();
        PersonalInfDialog* account = workspace.accountDialog();
        account->hide();
        workspace.fundButton()->click();
        QVERIFY(workspace.accountDialog() == account && account->isVisible() &&
                account->parent() == &workspace);
        QCOMPARE(funds::requestsOf("reqQryFund").size(), size_t(2));

        workspace.passwordButton()->click();
        UpdatePwdDialog* password = workspace.passwordDialog();
        password->oldPasswordEdit()->setText("123");
        password->newPasswordEdit()->setText("456");
        password->close();
        workspace.passwordButton()->click();
        QVERIFY(workspace.passwordDialog() == password && password->isVisible());
        QVERIFY(password->oldPasswordEdit()->text().isEmpty() &&
                password->newPasswordEdit()->text().isEmpty());

        for (int press = 0; press < 2; ++press) {
            workspace.transferButton()->click();
            workspace.depositButton()->click();
            QVERIFY(workspace.transferWindow()->isVisible() && workspace.depositDialog()->isVisible());
            workspace.transferWindow()->close();
            workspace.depositDialog()->close();
        }
        QCOMPARE(workspace.findChildren<FundTransferWidget*>().size(), 1);
        QCOMPARE(workspace.findChildren<DepositAndWithdrawalDialog*>().size(), 1);

        QVERIFY(boxes->shown.isEmpty());
    }

private:
    std::unique_ptr<funds::Boxes> boxes;
};

QTEST_MAIN(TestAccountDialogs)
#include "test_account_dialogs.moc"
