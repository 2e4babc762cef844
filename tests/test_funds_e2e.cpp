// Funds and account end to end: the terminal's dialogs driven as a user drives them, the real trading
// library, and moru-sim keeping the account's money.
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QtTest>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_double_spin_box.h"
#include "basicControl/my_label.h"
#include "captured_log.h"
#include "e2e_session.h"
#include "user/personal_inf_dialog.h"
#include "user/queryWindow/depositandwithdrawal_dialog.h"
#include "user/queryWindow/depositandwithdrawal_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_operation_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_table_widget.h"
#include "user/queryWindow/fundtransfer/fundtransfer_widget.h"
#include "user/update_pwd_dialog.h"

namespace {

QStringList labelTexts(const QList<MyLabel*>& labels) {
    QStringList out;
    for (const MyLabel* label : labels) out << label->text();
    return out;
}

// The figures the dialog should show for funds that only moved in and out: nothing frozen, no fees, no
// trades, so all three of placed, available and withdrawable equal the money held.
QStringList figuresFor(double money) {
    const QString held = QString::number(money, 'f', 3);
    return {held, held, held, "0.000", "0.000", "0.000", "0.000", "0.000"};
}

void typeInto(QWidget* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

}  // namespace

class TestFundsE2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QFile data(QStringLiteral(MORU_SOURCE_DIR "/sim/data/demo.json"));
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QJsonObject root = QJsonDocument::fromJson(data.readAll()).object();
        for (const QJsonValue& account : root.value("accounts").toArray()) {
            const QJsonObject markets = account["markets"].toObject();
            for (const QString& market : markets.keys())
                capital.insert(account["account"].toString() + market, markets[market]["capital"].toDouble());
        }
        QVERIFY(capital.value("108800011") > 10000 && capital.value("108800012") > 10000);
    }
    void cleanup() { CapturedLog::uninstall(); }

    void depositThenRefreshShowsTheRecordAndOverdrawingIsRefused();
    void transferMovesMoneyBetweenShanghaiAndShenzhen();
    void changedPasswordIsTheOneTheNextLoginNeeds();

private:
    // Presses "资金查询" and waits for the figures the counter should report.
    void expectFigures(e2e::Session& s, const QStringList& expected) {
        QTest::mouseClick(s.workspace()->fundButton(), Qt::LeftButton);
        PersonalInfDialog* dialog = s.workspace()->accountDialog();
        QVERIFY(dialog && dialog->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(labelTexts(dialog->valueLabels()), expected, 10000);
    }

    // Waits for the next box and returns it as "title|text".
    static QString nextBox(e2e::Session& s, int before) {
        if (!s.waitForBoxes(before + 1)) return QStringLiteral("<no box>");
        return s.boxes.at(before).title + "|" + s.boxes.at(before).text;
    }

    // Drops every link of the session and waits for the login page.
    static bool loseTheCounter(e2e::Session& s) {
        const int before = s.boxes.size();
        if (!s.sim.control(moru_wire::kCtlDropAll)) return false;
        if (!s.waitForBoxes(before + 1)) return false;
        QTest::qWait(300);  // the other links' losses arrive too
        return !s.loggedIn() && s.boxes.at(before).text == QStringLiteral("与柜台的链接断开，请重新登录！");
    }

    QMap<QString, double> capital;  // account + market -> starting capital
};

void TestFundsE2e::depositThenRefreshShowsTheRecordAndOverdrawingIsRefused() {
    e2e::Session s;
    QVERIFY(s.start());
    QVERIFY2(s.login(e2e::Shanghai, "10880001", "123456"), qPrintable(s.boxesText()));
    const double start = capital.value("108800011");
    expectFigures(s, figuresFor(start));

    QTest::mouseClick(s.workspace()->depositButton(), Qt::LeftButton);
    DepositAndWithdrawalWidget* page = s.workspace()->depositDialog()->page();
    BaseTableWidget* table = page->tableWidget();
    QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
    QCOMPARE(nextBox(s, 0), QStringLiteral("提示|查询成功，没有记录"));
    QCOMPARE(table->rowCount(), 0);

    typeInto(page->amountEdit(), "1234.56");
    QTest::mouseClick(page->depositButton(), Qt::LeftButton);
    QCOMPARE(nextBox(s, 1), QStringLiteral("提示|调入资金成功"));
    QCOMPARE(table->rowCount(), 0);  // the list waits for "刷新"

    page->slot_unlockRefresh();  // what the one-second timer calls
    QTest::mouseClick(page->refreshButton(), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 10000);
    const QStringList row = e2e::rowTexts(table, 0);
    QCOMPARE(row.mid(0, 3), QStringList({"0101", "1234.56", "入金"}));
    const QDateTime when = QDateTime::fromString(row.at(3), "yyyyMMdd hh:mm:ss");
    QVERIFY2(when.isValid() && qAbs(when.secsTo(QDateTime::currentDateTime())) < 120, qPrintable(row.at(3)));
    expectFigures(s, figuresFor(start + 1234.56));

    // One cent more than may be taken out.
    typeInto(page->amountEdit(), QString::number(start + 1234.56 + 0.01, 'f', 2));
    QTest::mouseClick(page->withdrawButton(), Qt::LeftButton);
    QCOMPARE(nextBox(s, 2), QStringLiteral("错误|调出资金失败[3001]可取资金不足"));
    expectFigures(s, figuresFor(start + 1234.56));

    QCOMPARE(s.boxes.size(), 3);
}

void TestFundsE2e::transferMovesMoneyBetweenShanghaiAndShenzhen() {
    CapturedLog::install();
    e2e::Session s;
    // Slow steps, so the record can be seen before the transfer ends.
    QVERIFY(s.start({"--transfer-step-ms", "400"}));
    QVERIFY2(s.login(e2e::Shanghai, "10880001", "123456"), qPrintable(s.boxesText()));
    const double shanghai = capital.value("108800011");
    const double shenzhen = capital.value("108800012");

    QTest::mouseClick(s.workspace()->transferButton(), Qt::LeftButton);
    FundTransferWidget* window = s.workspace()->transferWindow();
    FundTransferOperationWidget* form = window->operationWidget();
    FundTransferTableWidget* records = window->tableWidget();

    typeInto(form->amountBox(), "1000");
    QTest::mouseClick(form->sendButton(), Qt::LeftButton);
    QCOMPARE(nextBox(s, 0), QStringLiteral("确认|是否确认调拨"));
    // Accepted: the response shows nothing.
    QTRY_VERIFY_WITH_TIMEOUT(CapturedLog::has(QtInfoMsg, "等待资金调拨rtn回报"), 10000);
    QCOMPARE(s.boxes.size(), 1);

    QTest::mouseClick(records->refreshButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(records->refreshArmed(), 10000);
    QCOMPARE(records->tableWidget()->rowCount(), 1);
    const QStringList early = e2e::rowTexts(records->tableWidget(), 0);
    QCOMPARE(early.mid(0, 5), QStringList({"0101", "1000.00", "上交柜台调往深交柜台", "0", "成功"}));
    const QStringList unfinished = {"接收到调拨消息", "发送调出请求结束", "接收到调出结束消息",
                                    "发送调入消息请求结束", "接收到调入结束消息"};
    QVERIFY2(unfinished.contains(early.at(5)), qPrintable(early.at(5)));

    QCOMPARE(nextBox(s, 1), QStringLiteral("信息|调拨成功"));
    QTest::mouseClick(records->refreshButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(records->refreshArmed(), 10000);
    QCOMPARE(records->tableWidget()->rowCount(), 1);
    const QStringList done = e2e::rowTexts(records->tableWidget(), 0);
    QCOMPARE(done.mid(0, 6),
             QStringList({"0101", "1000.00", "上交柜台调往深交柜台", "0", "成功", "操作结束"}));
    QVERIFY2(QTime::fromString(done.at(6), "hh:mm:ss.zzz").isValid(), qPrintable(done.at(6)));
    QCOMPARE(done.at(6), early.at(6));  // the time the transfer was taken
    expectFigures(s, figuresFor(shanghai - 1000));

    // The money is on the Shenzhen side.
    QVERIFY(loseTheCounter(s));
    QVERIFY2(s.login(e2e::Shenzhen, "10880001", "123456"), qPrintable(s.boxesText()));
    expectFigures(s, figuresFor(shenzhen + 1000));
}

void TestFundsE2e::changedPasswordIsTheOneTheNextLoginNeeds() {
    e2e::Session s;
    QVERIFY(s.start());
    QVERIFY2(s.login(e2e::Shanghai, "10880003", "111111"), qPrintable(s.boxesText()));

    QTest::mouseClick(s.workspace()->passwordButton(), Qt::LeftButton);
    UpdatePwdDialog* dialog = s.workspace()->passwordDialog();
    QVERIFY(dialog->isVisible());
    QTest::keyClicks(dialog->oldPasswordEdit(), "111111");
    QTest::keyClicks(dialog->newPasswordEdit(), "246810");
    QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    QCOMPARE(nextBox(s, 0), QStringLiteral("确认|是否确认修改密码"));
    QCOMPARE(nextBox(s, 1), QStringLiteral("成功|密码修改成功"));
    QVERIFY(!dialog->isVisible() && dialog->oldPasswordEdit()->text().isEmpty());

    QVERIFY(loseTheCounter(s));
    QVERIFY(!s.login(e2e::Shanghai, "10880003", "111111"));
    QCOMPARE(nextBox(s, 3), QStringLiteral("提示|[1002]密码错误"));
    QTest::qWait(300);
    QVERIFY2(s.login(e2e::Shanghai, "10880003", "246810"), qPrintable(s.boxesText()));
    QCOMPARE(s.boxes.size(), 4);
}

QTEST_MAIN(TestFundsE2e)
#include "test_funds_e2e.moc"
