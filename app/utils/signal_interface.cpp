#include "utils/signal_interface.h"

#include <atomic>

namespace {
// Set when the hub is destroyed at exit; a callback arriving later finds no hub instead of a dead one.
std::atomic<bool> hubDestroyed{false};
}  // namespace

void registerApiMetaTypes() {
    qRegisterMetaType<CMoruRspInfo>("CMoruRspInfo");
    qRegisterMetaType<CMoruRspQryStockClientAccountField>("CMoruRspQryStockClientAccountField");
    qRegisterMetaType<CMoruRspQryStockPositionField>("CMoruRspQryStockPositionField");
    qRegisterMetaType<CMoruRspQryTradeField>("CMoruRspQryTradeField");
    qRegisterMetaType<CMoruRspQryOrderField>("CMoruRspQryOrderField");
    qRegisterMetaType<CMoruRspQryStockSecuritiesField>("CMoruRspQryStockSecuritiesField");
    qRegisterMetaType<CMoruRspQryCapTransferRecordField>("CMoruRspQryCapTransferRecordField");
    qRegisterMetaType<CMoruRspCapTransferField>("CMoruRspCapTransferField");
    qRegisterMetaType<CMoruRspQryBTCapTransferManagerField>("CMoruRspQryBTCapTransferManagerField");
    qRegisterMetaType<CMoruRspBTCapTransferManagerField>("CMoruRspBTCapTransferManagerField");
    qRegisterMetaType<CMoruRtnBtCapTransferManagerField>("CMoruRtnBtCapTransferManagerField");
    qRegisterMetaType<CMoruRspOrderInsertField>("CMoruRspOrderInsertField");
    qRegisterMetaType<CMoruRtnOrderField>("CMoruRtnOrderField");
    qRegisterMetaType<CMoruRspOrderActionField>("CMoruRspOrderActionField");
    qRegisterMetaType<CMoruRspUserPasswordUpdateField>("CMoruRspUserPasswordUpdateField");
    qRegisterMetaType<CMoruRspTenderOfferOrderField>("CMoruRspTenderOfferOrderField");
    qRegisterMetaType<CMoruRspWarrantExerciseOrderField>("CMoruRspWarrantExerciseOrderField");
}

SignalInterface* SignalInterface::instance() {
    if (hubDestroyed.load()) return nullptr;
    static SignalInterface hub;
    return &hub;
}

SignalInterface::SignalInterface()
    : mOrders(this,
              [this](const CMoruRspQryOrderField& record, const CMoruRspInfo& info, int requestId,
                     bool isLast) { emit signal_rspQryOrderGathered(record, info, requestId, isLast); }) {
    registerApiMetaTypes();
    connect(
        this, &SignalInterface::signal_rspQryOrder, this,
        [this](const CMoruRspQryOrderField& record, const CMoruRspInfo& info, int requestId, bool isLast) {
            mOrders.push(record, info, requestId, isLast);
        },
        Qt::DirectConnection);
}

SignalInterface::~SignalInterface() {
    hubDestroyed.store(true);
}
