#pragma once

#include <QDebug>
#include <QMetaType>
#include <QObject>
#include <QString>

#include "moru_api_types.h"
#include "utils/gathered_records.h"

// The trading library's records travel through queued connections by value; Qt copies them with
// their (trivial) copy constructors.
Q_DECLARE_METATYPE(CMoruRspInfo)
Q_DECLARE_METATYPE(CMoruRspQryStockClientAccountField)
Q_DECLARE_METATYPE(CMoruRspQryStockPositionField)
Q_DECLARE_METATYPE(CMoruRspQryTradeField)
Q_DECLARE_METATYPE(CMoruRspQryOrderField)
Q_DECLARE_METATYPE(CMoruRspQryStockSecuritiesField)
Q_DECLARE_METATYPE(CMoruRspQryCapTransferRecordField)
Q_DECLARE_METATYPE(CMoruRspCapTransferField)
Q_DECLARE_METATYPE(CMoruRspQryBTCapTransferManagerField)
Q_DECLARE_METATYPE(CMoruRspBTCapTransferManagerField)
Q_DECLARE_METATYPE(CMoruRtnBtCapTransferManagerField)
Q_DECLARE_METATYPE(CMoruRspOrderInsertField)
Q_DECLARE_METATYPE(CMoruRtnOrderField)
Q_DECLARE_METATYPE(CMoruRspOrderActionField)
Q_DECLARE_METATYPE(CMoruRspUserPasswordUpdateField)
Q_DECLARE_METATYPE(CMoruRspTenderOfferOrderField)
Q_DECLARE_METATYPE(CMoruRspWarrantExerciseOrderField)

// Registers every record type above under its own name; the hub does it when it is created, so no
// record is dropped by a queued connection. Each page also registers the types it receives;
// registering twice is harmless.
void registerApiMetaTypes();

// The process-wide hub: the trading library's callbacks emit here from the library's threads, and
// widgets connect here, so each result reaches its slot queued in the GUI thread.
class SignalInterface : public QObject {
    Q_OBJECT

public:
    // Created on first use (from the GUI thread, so the hub lives there); null once destroyed at exit.
    static SignalInterface* instance();
    ~SignalInterface() override;

signals:
    void signal_rspSuccessLogin();
    void signal_rspErrorLogin(const CMoruRspInfo& pRspInfo);
    // With its response info: a refused query comes with a zeroed record that is no account's figures.
    void signal_personalInfo(const CMoruRspQryStockClientAccountField& msg, const CMoruRspInfo& pRspInfo,
                             int nRequestID, bool bIsLast);
    void signal_rspQryPosition(const CMoruRspQryStockPositionField& pRspField, const CMoruRspInfo& pRspInfo,
                               int nRequestID, bool bIsLast);
    void signal_rspQryTrade(const CMoruRspQryTradeField& pRspField, const CMoruRspInfo& pRspInfo,
                            int nRequestID, bool bIsLast);
    void signal_rspQryOrder(const CMoruRspQryOrderField& pRspField, const CMoruRspInfo& pRspInfo,
                            int nRequestID, bool bIsLast);
    // signal_rspQryOrder again, emitted in the hub's thread in arrival order without an event per
    // record: a search brings tens of thousands of them.
    void signal_rspQryOrderGathered(const CMoruRspQryOrderField& pRspField, const CMoruRspInfo& pRspInfo,
                                    int nRequestID, bool bIsLast);
    void signal_rspQryInOutFundRecord(const CMoruRspQryCapTransferRecordField& pRspField,
                                      const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void signal_rspInsertOrder(const CMoruRspOrderInsertField& pRspField, const CMoruRspInfo& pRspInfo,
                               int nRequestID, bool bIsLast);
    void signal_rspErrInsertOrder(const CMoruRspOrderInsertField& pRspField, const CMoruRspInfo& pRspInfo,
                                  int nRequestID, bool bIsLast);
    void signal_rtnOrder(const CMoruRtnOrderField& pRspField, const CMoruRspInfo& pRspInfo, int nRequestID,
                         bool bIsLast);
    void signal_rspInFund(const CMoruRspCapTransferField& pRspField, const CMoruRspInfo& pRspInfo,
                          int nRequestID, bool bIsLast);
    void signal_rspOutFund(const CMoruRspCapTransferField& pRspField, const CMoruRspInfo& pRspInfo,
                           int nRequestID, bool bIsLast);
    void signal_rspQryBTFundTransferRecord(const CMoruRspQryBTCapTransferManagerField& pRspField,
                                           const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void signal_rspBTFundTransfer(const CMoruRspBTCapTransferManagerField& pRspField,
                                  const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void signal_rtnBTFundTransfer(const CMoruRtnBtCapTransferManagerField& pRspField,
                                  const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void signal_rspCancelOrder(const CMoruRspOrderActionField& pRspField, const CMoruRspInfo& pRspInfo,
                               int nRequestID, bool bIsLast);
    void signal_rspUpdatePwd(const CMoruRspUserPasswordUpdateField& pRspField, const CMoruRspInfo& pRspInfo,
                             int nRequestID, bool bIsLast);
    void signal_rspTenderOfferOrder(const CMoruRspTenderOfferOrderField& pRspField,
                                    const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void signal_rspWarrantExerciseOrder(const CMoruRspWarrantExerciseOrderField& pRspField,
                                        const CMoruRspInfo& pRspInfo, int nRequestID, bool bIsLast);
    void signal_onFrontManagerQueryDisconnected(int nReason);
    void signal_onFrontQueryDisconnected(int nReason);
    void signal_onFrontTradeDisconnected(int nReason);
    void signal_clicketOrder(const QString& code);

private:
    SignalInterface();
    Q_DISABLE_COPY(SignalInterface)

    GatheredRecords<CMoruRspQryOrderField> mOrders;
};
