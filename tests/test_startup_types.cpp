// The program's own start-up path, then every hub signal from a thread of its own: each one must reach
// its receiver in the GUI thread (Qt drops a queued record whose type it does not know).
#include <QThread>
#include <QtTest>

#include "app_startup.h"
#include "mainwindow.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

namespace {

// Connects the way the pages do: automatic connection type, receiver in the GUI thread.
template <typename... Args>
void listen(void (SignalInterface::*signal)(Args...), QObject* context, QStringList* heard,
            const char* name) {
    QObject::connect(SignalInterface::instance(), signal, context,
                     [heard, name](Args...) { *heard << name; });
}

}  // namespace

class TestStartupTypes : public QObject {
    Q_OBJECT
private slots:
    void everyHubSignalCrossesThreadsAfterStartUp();
};

void TestStartupTypes::everyHubSignalCrossesThreadsAfterStartUp() {
    prepareApplication();
    MainWindow window;
    // The login page answers some of these with boxes of its own.
    DialogSeam::setBoxHandler([](const DialogSeam::Box&) { return QMessageBox::Ok; });

    using S = SignalInterface;
    QObject context;
    QStringList heard;
    listen(&S::signal_rspSuccessLogin, &context, &heard, "rspSuccessLogin");
    listen(&S::signal_rspErrorLogin, &context, &heard, "rspErrorLogin");
    listen(&S::signal_personalInfo, &context, &heard, "personalInfo");
    listen(&S::signal_rspQryPosition, &context, &heard, "rspQryPosition");
    listen(&S::signal_rspQryTrade, &context, &heard, "rspQryTrade");
    listen(&S::signal_rspQryOrder, &context, &heard, "rspQryOrder");
    listen(&S::signal_rspQryInOutFundRecord, &context, &heard, "rspQryInOutFundRecord");
    listen(&S::signal_rspInsertOrder, &context, &heard, "rspInsertOrder");
    listen(&S::signal_rspErrInsertOrder, &context, &heard, "rspErrInsertOrder");
    listen(&S::signal_rtnOrder, &context, &heard, "rtnOrder");
    listen(&S::signal_rspInFund, &context, &heard, "rspInFund");
    listen(&S::signal_rspOutFund, &context, &heard, "rspOutFund");
    listen(&S::signal_rspQryBTFundTransferRecord, &context, &heard, "rspQryBTFundTransferRecord");
    listen(&S::signal_rspBTFundTransfer, &context, &heard, "rspBTFundTransfer");
    listen(&S::signal_rtnBTFundTransfer, &context, &heard, "rtnBTFundTransfer");
    listen(&S::signal_rspCancelOrder, &context, &heard, "rspCancelOrder");
    listen(&S::signal_rspUpdatePwd, &context, &heard, "rspUpdatePwd");
    listen(&S::signal_rspTenderOfferOrder, &context, &heard, "rspTenderOfferOrder");
    listen(&S::signal_rspWarrantExerciseOrder, &context, &heard, "rspWarrantExerciseOrder");
    listen(&S::signal_onFrontManagerQueryDisconnected, &context, &heard, "onFrontManagerQueryDisconnected");
    listen(&S::signal_onFrontQueryDisconnected, &context, &heard, "onFrontQueryDisconnected");
    listen(&S::signal_onFrontTradeDisconnected, &context, &heard, "onFrontTradeDisconnected");
    listen(&S::signal_clicketOrder, &context, &heard, "clicketOrder");

    QThread* library = QThread::create([] {
        S* hub = S::instance();
        const CMoruRspInfo info{};
        emit hub->signal_rspSuccessLogin();
        emit hub->signal_rspErrorLogin(info);
        emit hub->signal_personalInfo(CMoruRspQryStockClientAccountField{}, info, 1, true);
        emit hub->signal_rspQryPosition(CMoruRspQryStockPositionField{}, info, 1, true);
        emit hub->signal_rspQryTrade(CMoruRspQryTradeField{}, info, 1, true);
        emit hub->signal_rspQryOrder(CMoruRspQryOrderField{}, info, 1, true);
        emit hub->signal_rspQryInOutFundRecord(CMoruRspQryCapTransferRecordField{}, info, 1, true);
        emit hub->signal_rspInsertOrder(CMoruRspOrderInsertField{}, info, 1, true);
        emit hub->signal_rspErrInsertOrder(CMoruRspOrderInsertField{}, info, 1, true);
        emit hub->signal_rtnOrder(CMoruRtnOrderField{}, info, 1, true);
        emit hub->signal_rspInFund(CMoruRspCapTransferField{}, info, 1, true);
        emit hub->signal_rspOutFund(CMoruRspCapTransferField{}, info, 1, true);
        emit hub->signal_rspQryBTFundTransferRecord(CMoruRspQryBTCapTransferManagerField{}, info, 1, true);
        emit hub->signal_rspBTFundTransfer(CMoruRspBTCapTransferManagerField{}, info, 1, true);
        emit hub->signal_rtnBTFundTransfer(CMoruRtnBtCapTransferManagerField{}, info, 1, true);
        emit hub->signal_rspCancelOrder(CMoruRspOrderActionField{}, info, 1, true);
        emit hub->signal_rspUpdatePwd(CMoruRspUserPasswordUpdateField{}, info, 1, true);
        emit hub->signal_rspTenderOfferOrder(CMoruRspTenderOfferOrderField{}, info, 1, true);
        emit hub->signal_rspWarrantExerciseOrder(CMoruRspWarrantExerciseOrderField{}, info, 1, true);
        emit hub->signal_onFrontManagerQueryDisconnected(1);
        emit hub->signal_onFrontQueryDisconnected(2);
        emit hub->signal_onFrontTradeDisconnected(3);
        emit hub->signal_clicketOrder(QStringLiteral("600000"));
    });
    library->start();
    QVERIFY(library->wait(10000));
    delete library;
    QTRY_COMPARE(heard.size(), 23);
    QCOMPARE(heard.first(), QStringLiteral("rspSuccessLogin"));
    QCOMPARE(heard.last(), QStringLiteral("clicketOrder"));
    QCOMPARE(heard.removeDuplicates(), 0);
}

QTEST_MAIN(TestStartupTypes)
#include "test_startup_types.moc"
