#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "basicControl/my_combo_box.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "login/login_widget.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/read_api_config.h"
#include "utils/signal_interface.h"

// The login page against the fake trading library: input checks, the failure statuses of the login
// thread, library errors, the time-out and the reset after a link loss.
class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_config = m_dir.filePath("api_config.txt");
        QVERIFY(QFile::copy(QString(MORU_SOURCE_DIR) + "/app/config/defaults/api_config.txt", m_config));
        ErrorMsg::instance()->setFilePath(QString(MORU_SOURCE_DIR) + "/app/config/defaults/error_msg.json");
    }

    void init() {
        fakeapi::reset();
        requestIdCounter = 0;
        loginPhase = 0;
        ReadApiConfig::instance()->setFilePath(m_config);
        m_boxes.clear();
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            m_boxes << box;
            return QMessageBox::Ok;
        });
    }
    void cleanup() { DialogSeam::setBoxHandler(nullptr); }

    void everyCheckShowsItsBoxBeforeAnythingIsSent() {
        LoginWidget w;
        QCOMPARE(w.node(), 6);
        QCOMPARE(w.market(), '0');
        QVERIFY(w.exchangeBox()->currentText().isEmpty());

        w.slotLoginClick();
        expectLastBox(DialogSeam::Kind::Warning, "错误", "请选择正确的交易所！");

        w.exchangeBox()->setCurrentIndex(1);
        QCOMPARE(w.market(), '2');
        QCOMPARE(currentMarket.load(), '2');
        w.nodeEdit()->clear();
        w.slotLoginClick();
        expectLastBox(DialogSeam::Kind::Warning, "错误", "请选择正确的节点！");

        w.nodeEdit()->setText("7");
        w.slotLoginClick();
        expectLastBox(DialogSeam::Kind::Warning, "错误", "资金账户不能为空！");

        w.accountEdit()->setText("10880001");
        QCOMPARE(currentAccount, QStringLiteral("10880001"));
        w.slotLoginClick();
        expectLastBox(DialogSeam::Kind::Warning, "错误", "密码不能为空！");

        w.passwordEdit()->setText("pa$$ w0rd");  // letters, digits, signs and blanks are allowed
        QCOMPARE(w.passwordEdit()->text(), QStringLiteral("pa$$ w0rd"));
        ReadApiConfig::instance()->setFilePath(m_dir.filePath("missing.txt"));
        w.slotLoginClick();
        expectLastBox(DialogSeam::Kind::Warning, "错误", "配置文件不存在！");

        const QString lacking = m_dir.filePath("lacking.txt");
        writeConfigWithout(lacking, "AllSuperviseInfo=");
        ReadApiConfig::instance()->setFilePath(lacking);
        w.slotLoginClick();
        expectLastBox(DialogSeam::Kind::Critical, "错误", "api_config.txt缺少配置项[AllSuperviseInfo]！");

        QCOMPARE(m_boxes.size(), 6);
        QTest::qWait(20);
        QVERIFY(fakeapi::logins().empty());
        QVERIFY(!fakeapi::entryExists(0));
        QVERIFY(w.loginButton()->isEnabled());
        QVERIFY(!w.loginTimer()->isActive());
    }

    void passwordsAreSentAsTheyAreSet_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("sent");
        QTest::newRow("umlaut") << QString::fromUtf8("pässw0rd") << false;
        QTest::newRow("chinese") << QString::fromUtf8("密码123") << false;
        QTest::newRow("full-width digit") << QString::fromUtf8("12345６") << false;
        QTest::newRow("newline") << "1234\n56" << false;
        QTest::newRow("signs and a blank") << "pa$$ w0rd~" << true;
    }
    void passwordsAreSentAsTheyAreSet() {
        QFETCH(QString, password);
        QFETCH(bool, sent);
        LoginWidget w;
        fillForm(w, 0);
        w.passwordEdit()->setText(password);
        w.slotLoginClick();
        if (!sent) {
            expectLastBox(DialogSeam::Kind::Warning, "错误", "密码只能包含英文字母、数字和英文符号！");
            QCOMPARE(m_boxes.size(), 1);
            QVERIFY(w.loginButton()->isEnabled());
            return;
        }
        // The same bytes the password change writes.
        QTRY_COMPARE(int(fakeapi::logins().size()), 1);
        QCOMPARE(QByteArray::fromStdString(fakeapi::logins().front().password), password.toUtf8());
        QVERIFY(m_boxes.isEmpty());
    }

    void aLetterNodeCountsAsNodeZero() {
        LoginWidget w;
        w.slotChangeNode("x");
        QCOMPARE(w.node(), 0);
        w.slotChangeNode("");
        QCOMPARE(w.node(), -1);
    }

    void aValidLoginSendsTheFormAndWaits() {
        LoginWidget w;
        fillForm(w, 0);
        QTest::keyClick(&w, Qt::Key_Return);
        QCOMPARE(w.loginButton()->text(), QStringLiteral("登录中..."));
        QVERIFY(!w.loginButton()->isEnabled());
        QVERIFY(!w.accountEdit()->isEnabled());
        QVERIFY(w.loginTimer()->isActive());
        QCOMPARE(w.loginTimer()->interval(), 20000);
        QCOMPARE(loginPhase.load(), int(LoginPhaseLoggingIn));

        QTRY_COMPARE(int(fakeapi::logins().size()), 1);
        const fakeapi::LoginCall call = fakeapi::logins().front();
        QCOMPARE(QString::fromStdString(call.account), QStringLiteral("10880001"));
        QCOMPARE(QString::fromStdString(call.password), QStringLiteral("123456"));
        QCOMPARE(call.node, 6);
        QCOMPARE(call.market, '1');
        QCOMPARE(call.requestId, 0);
        QVERIFY(QString::fromStdString(call.configPath).endsWith("/config/api_config.txt"));
        QCOMPARE(fakeapi::registerCount(), 1);
        QVERIFY(fakeapi::registeredSpi(0).onRspLogin != nullptr);
        QVERIFY(m_boxes.isEmpty());
    }

    void failureStatusesShowTheirBoxAndFreeTheEntry_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::newRow("not sent") << "reqLogin" << 7 << "登录失败";
        QTest::newRow("out of range") << "createTraderApi" << -1 << "entryNo 超出界限";
        QTest::newRow("already created")
            << "createTraderApi" << -2 << "entryNo 已经被创建，重新创建此entryNo Api";
    }
    void failureStatusesShowTheirBoxAndFreeTheEntry() {
        QFETCH(QString, function);
        QFETCH(int, result);
        QFETCH(QString, text);
        fakeapi::scriptResult(function.toStdString(), result);
        LoginWidget w;
        fillForm(w, 1);
        w.slotLoginClick();
        QTRY_COMPARE(m_boxes.size(), 1);
        expectLastBox(DialogSeam::Kind::Warning, "错误", text);
        QVERIFY(w.loginButton()->isEnabled());
        QCOMPARE(w.loginButton()->text(), QStringLiteral("立即登录"));
        QVERIFY(w.canSendLogin());
        QCOMPARE(fakeapi::releasedEntries(), std::vector<int>{0});
        QVERIFY(!fakeapi::entryExists(0));

        // The time-out that follows finds the form idle and does nothing.
        w.handleTimerEvent();
        QCOMPARE(m_boxes.size(), 1);

        // The next attempt goes through.
        w.slotLoginClick();
        QTRY_VERIFY(fakeapi::entryExists(0));
        QTRY_COMPARE(int(fakeapi::logins().size()), function == "reqLogin" ? 2 : 1);
        QTest::qWait(20);
        QCOMPARE(m_boxes.size(), 1);
    }

    void libraryErrorsEachShowANoticeAndRelease() {
        LoginWidget w;
        fillForm(w, 0);
        w.slotLoginClick();
        QTRY_COMPARE(int(fakeapi::logins().size()), 1);

        // Two steps failing for one attempt: two boxes.
        fakeapi::fireOnOwnThread([](const CMoruTraderSpi& spi) {
            CMoruRspInfo info{};
            info.ErrorID = 1002;
            spi.onRspLogin(nullptr, &info, 0, true);
            CMoruRspInfo other{};
            other.ErrorID = 3000000000u;
            std::strcpy(other.ErrorMsg, "manager refused");
            spi.onRspLoginManager(nullptr, &other, 0, true);
        });
        QTRY_COMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes[0].title, QStringLiteral("提示"));
        QVERIFY2(m_boxes[0].text.startsWith("[1002]") && m_boxes[0].text.size() > 6,
                 qPrintable(m_boxes[0].text));
        QVERIFY(m_boxes[1].text.startsWith("[3000000000]"));
        QVERIFY(!w.loginTimer()->isActive());
        QVERIFY(w.loginButton()->isEnabled());
        QVERIFY(fakeapi::releasedEntries().size() >= 1);
        QVERIFY(!fakeapi::entryExists(0));
    }

    void successTellsTheMainWindow() {
        LoginWidget w;
        QSignalSpy spy(&w, &LoginWidget::signalLoginSuccess);
        fillForm(w, 1);
        w.slotLoginClick();
        emit SignalInterface::instance()->signal_rspSuccessLogin();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<LoginStatus>(), LoginSuccess);
        QVERIFY(!w.loginTimer()->isActive());
        QVERIFY(w.loginButton()->isEnabled());
    }

    void timeOutReleasesAndSignalsTheLinkLoss() {
        LoginWidget w;
        fillForm(w, 0);
        w.slotLoginClick();
        QTRY_VERIFY(fakeapi::entryExists(0));
        QSignalSpy lost(SignalInterface::instance(), &SignalInterface::signal_onFrontTradeDisconnected);
        w.handleTimerEvent();  // what the 20-second timer would call
        expectLastBox(DialogSeam::Kind::Warning, "错误", "登录超时");
        QCOMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).toInt(), 0);
        QVERIFY(!fakeapi::entryExists(0));
        QVERIFY(w.loginButton()->isEnabled());

        // A login already complete is not timed out.
        w.slotLoginClick();
        loginPhase = LoginPhaseReady;
        w.handleTimerEvent();
        QCOMPARE(m_boxes.size(), 1);
    }

    void aLinkLostDuringLoginEndsItAtOnce() {
        LoginWidget w;
        fillForm(w, 0);
        w.slotLoginClick();
        QTRY_VERIFY(fakeapi::entryExists(0));
        // Every link drops, from a thread of the library: one box, not a time-out 20 s later.
        fakeapi::fireOnOwnThread([](const CMoruTraderSpi& spi) {
            spi.onFrontManagerQueryDisconnected(1);
            spi.onFrontQueryDisconnected(2);
            spi.onFrontTradeDisconnected(3);
        });
        QTRY_COMPARE(m_boxes.size(), 1);
        QCoreApplication::processEvents();
        expectLastBox(DialogSeam::Kind::Warning, "错误", "与柜台的链接断开，请重新登录！");
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY(!w.loginTimer()->isActive());
        QVERIFY(w.loginButton()->isEnabled());
        QVERIFY(!fakeapi::entryExists(0));
    }

    void resetAfterALinkLoss() {
        LoginWidget w;
        fillForm(w, 1);
        w.nodeEdit()->setText("3");
        requestIdCounter = 9;
        w.slotLoginClick();
        QTRY_VERIFY(fakeapi::entryExists(0));
        w.resetAfterDisconnect();
        QCOMPARE(requestIdCounter.load(), 0);
        QCOMPARE(currentMarket.load(), '0');
        QCOMPARE(w.market(), '0');
        QCOMPARE(w.node(), 6);
        QCOMPARE(w.nodeEdit()->text(), QStringLiteral("6"));
        QVERIFY(w.accountEdit()->text().isEmpty());
        QVERIFY(w.passwordEdit()->text().isEmpty());
        QCOMPARE(w.exchangeBox()->currentIndex(), -1);
        QVERIFY(w.loginButton()->isEnabled());
        QTRY_VERIFY(!fakeapi::entryExists(0));  // released on the login thread
    }

private:
    void fillForm(LoginWidget& w, int exchange) {
        w.exchangeBox()->setCurrentIndex(exchange);
        w.accountEdit()->setText("10880001");
        w.passwordEdit()->setText("123456");
    }

    void writeConfigWithout(const QString& path, const QString& key) {
        QFile in(m_config);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray out;
        for (const QByteArray& line : in.readAll().split('\n'))
            if (!line.startsWith(key.toUtf8())) out += line + '\n';
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(out);
    }

    void expectLastBox(DialogSeam::Kind kind, const QString& title, const QString& text) {
        QVERIFY(!m_boxes.isEmpty());
        QCOMPARE(m_boxes.last().kind, kind);
        QCOMPARE(m_boxes.last().title, title);
        QCOMPARE(m_boxes.last().text, text);
    }

    QTemporaryDir m_dir;
    QString m_config;
    QList<DialogSeam::Box> m_boxes;
};

QTEST_MAIN(TestLogin)
#include "test_login.moc"
