#include <QProcess>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "login/login_widget.h"
#include "mainwindow.h"
#include "user/queryWindow/stockQuotes/stock_quotes_widget.h"
#include "user/user_widget.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_boxes.clear();
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            m_boxes << box;
            return QMessageBox::Ok;
        });
    }
    void cleanup() { DialogSeam::setBoxHandler(nullptr); }

    void startsOnTheLoginPageAtItsSize() {
        MainWindow w;
        QCOMPARE(w.size(), QSize(1280, 720));
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        QCOMPARE(w.stackedWidget()->count(), 2);
        QVERIFY(!w.windowIcon().isNull());
    }

    void backgroundFollowsEveryResize() {
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const QSize size : {QSize(1280, 720), QSize(900, 1000), QSize(1400, 500)}) {
            w.resize(size);
            QCoreApplication::processEvents();
            const QBrush brush = w.palette().brush(QPalette::Active, QPalette::Window);
            QCOMPARE(brush.texture().size(), w.size());
            QCOMPARE(w.palette().brush(QPalette::Inactive, QPalette::Window).texture().size(), w.size());
        }
    }

    void onlySuccessShowsTheWorkspace() {
        MainWindow w;
        w.slotChangeUi(LoginNotSent);
        w.slotChangeUi(LoginEntryAlreadyMade);
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        w.slotChangeUi(LoginSuccess);
        QCOMPARE(w.stackedWidget()->currentWidget(), w.userWidget());
    }

    void linkLossOnTheLoginPageIsIgnored() {
        MainWindow w;
        emit SignalInterface::instance()->signal_onFrontTradeDisconnected(4);
        QVERIFY(m_boxes.isEmpty());
        QVERIFY(w.userWidget() != nullptr);
    }

    void linkLossWhileLoggedInShowsOneBoxAndANewLoginBuildsANewWorkspace() {
        MainWindow w;
        w.slotChangeUi(LoginSuccess);
        QPointer<UserWidget> first = w.userWidget();

        // All three links drop at once, from a thread of the library.
        QThread* lib = QThread::create([] {
            SignalInterface* hub = SignalInterface::instance();
            emit hub->signal_onFrontTradeDisconnected(1);
            emit hub->signal_onFrontQueryDisconnected(2);
            emit hub->signal_onFrontManagerQueryDisconnected(3);
        });
        lib->start();
        QVERIFY(lib->wait(5000));
        delete lib;
        QTRY_COMPARE(m_boxes.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0].kind, DialogSeam::Kind::Critical);
        QCOMPARE(m_boxes[0].title, QStringLiteral("错误"));
        QCOMPARE(m_boxes[0].text, QStringLiteral("与柜台的链接断开，请重新登录！"));
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        QVERIFY(first.isNull());
        QVERIFY(w.userWidget() == nullptr);

        w.slotChangeUi(LoginSuccess);
        QVERIFY(w.userWidget() != nullptr);
        QCOMPARE(w.stackedWidget()->currentWidget(), w.userWidget());
    }

    // The loss arrives while the save dialog is open: the page outlives the dialog and still writes the
    // file the user chose (its rows are in memory); the login page; the old workspace goes afterwards.
    void linkLossInsideTheSaveDialogStillWritesTheFile() {
        MainWindow w;
        w.slotChangeUi(LoginSuccess);
        QPointer<UserWidget> first = w.userWidget();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quotes.csv"));
        bool aliveInside = false;
        DialogSeam::setSaveHandler([&](const QString&, const QString&, const QString&) {
            emit SignalInterface::instance()->signal_onFrontTradeDisconnected(7);
            aliveInside = !first.isNull() && w.userWidget() == nullptr;
            return path;
        });
        first->quotePage()->exportToCsv();
        DialogSeam::setSaveHandler({});

        QVERIFY(aliveInside);
        QVERIFY(QFile::exists(path));
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes[0].text, QStringLiteral("与柜台的链接断开，请重新登录！"));
        QCOMPARE(m_boxes[1].text, QStringLiteral("文件写入成功"));
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        QVERIFY(first->isHidden());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());

        w.slotChangeUi(LoginSuccess);
        QVERIFY(w.userWidget() != nullptr);
        QCOMPARE(w.stackedWidget()->currentWidget(), w.userWidget());
    }

    void linkLossInsideAConfirmationCancelsIt() {
        MainWindow w;
        w.slotChangeUi(LoginSuccess);
        QPointer<UserWidget> first = w.userWidget();
        // A window of the workspace that is open at the time closes with it.
        auto* tool = new QWidget(first, Qt::Tool);
        tool->show();
        int depthInside = 0;
        DialogSeam::setChoiceHandler([&](const DialogSeam::Box&) {
            emit SignalInterface::instance()->signal_onFrontQueryDisconnected(3);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            depthInside = first.isNull() ? -1 : DialogSeam::openDialogs();
            return 0;  // "确认"
        });
        const int answer = DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"),
                                              QStringLiteral("是否确认交易"),
                                              {QStringLiteral("确认"), QStringLiteral("取消")});
        DialogSeam::setChoiceHandler({});

        QCOMPARE(answer, -1);
        QCOMPARE(depthInside, 1);
        QVERIFY(tool->isHidden());
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(w.stackedWidget()->currentIndex(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"), QString(),
                                    {QStringLiteral("确认"), QStringLiteral("取消")}),
                 0);
    }

    void closingEndsTheProcessWithStatusZero() {
        QProcess proc;
        proc.start(QCoreApplication::applicationDirPath() + "/close_helper", {"-platform", "offscreen"});
        QVERIFY(proc.waitForFinished(20000));
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
    }

private:
    QList<DialogSeam::Box> m_boxes;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
