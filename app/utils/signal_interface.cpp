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

SignalInterface::SignalInterface() {
    registerApiMetaTypes();
}

SignalInterface::~SignalInterface() {
    hubDestroyed.store(true);
}
