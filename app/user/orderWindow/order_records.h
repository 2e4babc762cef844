#pragma once

#include <QString>

#include "moru_api_types.h"

// The request records of the order window's three forms, zero-filled and then filled field by field,
// and the one text read back from an order return.

CMoruReqOrderInsertField makeOrderInsert(int orderRef, const QString& code, char side, double price,
                                         int quantity, char orderType);

CMoruReqTenderOfferOrderField makeTenderOffer(int orderRef, const QString& code, char side, int quantity,
                                              const QString& offerorCode);

CMoruReqWarrantExerciseOrderField makeWarrantExercise(int orderRef, const QString& code, double price,
                                                      int quantity);

// The return's text at offset 122, up to its first NUL and never past the end of its field.
QString orderReturnText(const CMoruRtnOrderField& rtn);
