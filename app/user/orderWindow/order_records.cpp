#include "user/orderWindow/order_records.h"

#include <QByteArray>
#include <cstring>

#include "utils/record_text.h"

namespace {
// The counter's tag for orders sent by this terminal.
const char kClientTag[] = "MDsk";
}  // namespace

CMoruReqOrderInsertField makeOrderInsert(int orderRef, const QString& code, char side, double price,
                                         int quantity, char orderType) {
    CMoruReqOrderInsertField req;
    std::memset(&req, 0, sizeof req);
    req.OrderRef = orderRef;
    putFieldText(req.SecurityID, code.toUtf8(), sizeof req.SecurityID - 1);
    req.Side = side;
    req.LimitPrice = price;
    req.OrderQty = quantity;
    req.OrderType = orderType;
    req.OrderFlag = '0';
    std::memcpy(req.ClientTag, kClientTag, sizeof kClientTag - 1);
    return req;
}

CMoruReqTenderOfferOrderField makeTenderOffer(int orderRef, const QString& code, char side, int quantity,
                                              const QString& offerorCode) {
    CMoruReqTenderOfferOrderField req;
    std::memset(&req, 0, sizeof req);
    req.OrderRef = orderRef;
    putFieldText(req.SecurityID, code.toUtf8(), sizeof req.SecurityID - 1);
    req.Side = side;
    req.OrderQty = quantity;
    req.OrderFlag = 0;
    req.ExtFlag = 0xFF;
    putFieldText(req.TenderOfferorCode, offerorCode.toUtf8());
    return req;
}

CMoruReqWarrantExerciseOrderField makeWarrantExercise(int orderRef, const QString& code, double price,
                                                      int quantity) {
    CMoruReqWarrantExerciseOrderField req;
    std::memset(&req, 0, sizeof req);
    req.OrderRef = orderRef;
    putFieldText(req.SecurityID, code.toUtf8(), sizeof req.SecurityID - 1);
    req.Side = '1';
    req.LimitPrice = price;
    req.OrderQty = quantity;
    req.OrderType = '2';
    req.OrderFlag = 0;
    req.ExtFlag = 0xFF;
    return req;
}

QString orderReturnText(const CMoruRtnOrderField& rtn) {
    // A counter may fill the field to its last byte without a terminator.
    return fieldText(rtn.OrderText);
}
