#include <QDir>
#include <QStackedWidget>
#include <QTcpServer>
#include <QtTest>

#include "basicControl/my_combo_box.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "login/login_widget.h"
#include "mainwindow.h"
#include "moru_securities_api.h"
#include "tradeapi/sim_fixture.h"
#include "user/user_widget.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/read_api_config.h"

// The terminal's login road end to end: the real trading library against moru-sim on free ports.
class TestLoginE2e : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The login thread hands the library config/ beside the executable, as the program does.
        QVERIFY(QDir().mkpath(configDir()));
        QFile::remove(configDir() + "/error_msg.json");
        QVERIFY(QFile::copy(QString(MORU_SOURCE_DIR) + "/app/config/defaults/error_msg.json",
                            configDir() + "/error_msg.json"));
    }

    void init() {
        m_boxes.clear();
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            m_boxes << box;
            return QMessageBox::Ok;
        });
    }
    void cleanup() {
        DialogSeam::setBoxHandler(nullptr);
        release(entryNo);
        m_sim.stop();
    }

    void shanghaiAndShenzhenLoginsReachTheWorkspace() {
        QVERIFY(startSim());
        writeConfig(m_sim.counterPort, "8888");
        {
            MainWindow w;
            login(w, 0, "10880001", "123456");
            QTRY_VERIFY_WITH_TIMEOUT(w.stackedWidget()->currentIndex() != 0, 15000);
            QVERIFY(m_boxes.isEmpty());
            UserWidget* ws = w.userWidget();
            QCOMPARE(w.stackedWidget()->currentWidget(), ws);
            QCOMPARE(ws->accountLabel()->text(), QStringLiteral("10880001"));
            QCOMPARE(ws->businessCodeLabel()->text(), QStringLiteral("8888"));
            QVERIFY(!ws->businessIcon()->isHidden());
            QCOMPARE(ws->exchangeIconPath(), QStringLiteral(":/resource/sse.svg"));
            QCOMPARE(loginPhase.load(), int(LoginPhaseReady));
            release(entryNo);
        }  // one main window at a time, as in the program

        writeConfig(m_sim.counterPort, "");
        MainWindow w2;
        login(w2, 1, "10880002", "654321");
        QTRY_VERIFY_WITH_TIMEOUT(w2.stackedWidget()->currentIndex() != 0, 15000);
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(w2.userWidget()->accountLabel()->text(), QStringLiteral("10880002"));
        QCOMPARE(w2.userWidget()->exchangeIconPath(), QStringLiteral(":/resource/szse.svg"));
        QVERIFY(w2.userWidget()->businessIcon()->isHidden());
        QVERIFY(w2.userWidget()->businessCodeLabel()->text().isEmpty());
    }

    void wrongPasswordShowsTheCountersError() {
        QVERIFY(startSim());
        writeConfig(m_sim.counterPort, "");
        MainWindow w;
        login(w, 0, "10880001", "999999");
        QTRY_VERIFY_WITH_TIMEOUT(!m_boxes.isEmpty(), 15000);
        QTest::qWait(200);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].title, QStringLiteral("提示"));
        QVERIFY2(m_boxes[0].text.startsWith("[1002]"), qPrintable(m_boxes[0].text));
        QVERIFY(m_boxes[0].text.size() > 6);
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        QVERIFY(w.loginWidget()->loginButton()->isEnabled());

        // The instance was released: a correct login now goes through.
        login(w, 0, "10880001", "123456");
        QTRY_VERIFY_WITH_TIMEOUT(w.stackedWidget()->currentIndex() != 0, 15000);
        QCOMPARE(m_boxes.size(), 1);
    }

    void aCounterThatNeverAnswersTimesOut() {
        QTcpServer silent;  // accepts and never says a word
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        writeConfig(silent.serverPort(), "");
        MainWindow w;
        login(w, 0, "10880001", "123456");
        QTRY_VERIFY(silent.hasPendingConnections());
        w.loginWidget()->handleTimerEvent();  // what the 20-second timer would call
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].title, QStringLiteral("错误"));
        QCOMPARE(m_boxes[0].text, QStringLiteral("登录超时"));
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        QVERIFY(w.loginWidget()->loginButton()->isEnabled());
        QCOMPARE(createTraderApi(entryNo), 0);  // the entry was freed
    }

    void losingTheCounterReturnsToTheLoginPageOnce() {
        QVERIFY(startSim());
        writeConfig(m_sim.counterPort, "");
        MainWindow w;
        login(w, 1, "10880001", "123456");
        QTRY_VERIFY_WITH_TIMEOUT(w.stackedWidget()->currentIndex() != 0, 15000);
        QPointer<UserWidget> first = w.userWidget();

        m_sim.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!m_boxes.isEmpty(), 15000);
        QTest::qWait(500);  // the other links' losses arrive too, and must be ignored
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, DialogSeam::Kind::Critical);
        QCOMPARE(m_boxes[0].text, QStringLiteral("与柜台的链接断开，请重新登录！"));
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        QVERIFY(first.isNull());
        LoginWidget* page = w.loginWidget();
        QVERIFY(page->accountEdit()->text().isEmpty());
        QCOMPARE(page->exchangeBox()->currentIndex(), -1);
        QCOMPARE(page->node(), 6);
        QCOMPARE(requestIdCounter.load(), 0);

        // A new counter, a new login, a new workspace.
        QVERIFY(startSim());
        writeConfig(m_sim.counterPort, "");
        login(w, 0, "10880001", "123456");
        QTRY_VERIFY_WITH_TIMEOUT(w.stackedWidget()->currentIndex() != 0, 15000);
        QVERIFY(w.userWidget() != nullptr);
        QCOMPARE(w.stackedWidget()->currentWidget(), w.userWidget());
        QCOMPARE(m_boxes.size(), 1);
    }

private:
    bool startSim() {
        m_sim.counterPort = m_sim.quotePort = 0;  // a restarted counter gets new ports
        return m_sim.start();
    }

    static QString configDir() { return QCoreApplication::applicationDirPath() + "/config"; }

    void writeConfig(int port, const QString& businessCode) {
        QFile in(QString(MORU_SOURCE_DIR) + "/app/config/defaults/api_config.txt");
        QVERIFY(in.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(in.readAll());
        text.replace("tcp://127.0.0.1:18801", QString("tcp://127.0.0.1:%1").arg(port));
        text.replace(QRegularExpression("\nBusinessCode=[^\n]*"), "\nBusinessCode=" + businessCode);
        text.replace(QRegularExpression("\nTcpConnectTimeout=[^\n]*"), "\nTcpConnectTimeout=2");
        QFile out(configDir() + "/api_config.txt");
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text.toUtf8());
    }

    void login(MainWindow& w, int exchange, const QString& account, const QString& password) {
        LoginWidget* page = w.loginWidget();
        page->exchangeBox()->setCurrentIndex(exchange);
        page->accountEdit()->setText(account);
        page->passwordEdit()->setText(password);
        page->nodeEdit()->setText("6");
        QVERIFY(page->loginButton()->isEnabled());
        QTest::mouseClick(page->loginButton(), Qt::LeftButton);
    }

    fixture::Sim m_sim;
    QList<DialogSeam::Box> m_boxes;
};

QTEST_MAIN(TestLoginE2e)
#include "test_login_e2e.moc"
