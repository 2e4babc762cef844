#include "user/orderWindow/order_records.h"

#include <QByteArray>
#include <cstring>

namespace {
// Copies at most `width` bytes of `text`, keeping one for the terminator when `terminated`; the
// rest of the (zero-filled) field stays NUL.
template <size_t N>
void putText(char (&field)[N], const QString& text, bool terminated) {
    const QByteArray bytes = text.toUtf8();
    const size_t room = terminated ? N - 1 : N;
    std::memcpy(field, bytes.constData(), qMin(room, size_t(bytes.size())));
}

// The counter's tag for orders sent by this terminal.
const char kClientTag[] = "MDsk";
}  // namespace

CMoruReqOrderInsertField makeOrderInsert(int orderRef, const QString& code, char side, double price,
                                         int quantity, char orderType) {
    CMoruReqOrderInsertField req;
    std::memset(&req, 0, sizeof req);
    req.OrderRef = orderRef;
    putText(req.SecurityID, code, true);
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
    putText(req.SecurityID, code, true);
    req.Side = side;
    req.OrderQty = quantity;
    req.OrderFlag = 0;
    req.ExtFlag = 0xFF;
    putText(req.TenderOfferorCode, offerorCode, false);
    return req;
}

CMoruReqWarrantExerciseOrderField makeWarrantExercise(int orderRef, const QString& code, double price,
                                                      int quantity) {
    CMoruReqWarrantExerciseOrderField req;
    std::memset(&req, 0, sizeof req);
    req.OrderRef = orderRef;
    putText(req.SecurityID, code, true);
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
    const size_t length = strnlen(rtn.OrderText, sizeof rtn.OrderText);
    return QString::fromUtf8(rtn.OrderText, int(length));
}
