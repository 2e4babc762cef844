#pragma once

#include <QString>

#include "moru_api_types.h"

// The boxes and log lines the order window's forms share: the trade confirmation, a request the
// library would not send, and the counter's answer.

// "是否确认交易" with "确认" and "取消"; true only for "确认". A non-empty `detail` shows under the
// question what is being confirmed.
bool confirmTrade(const QString& detail = QString());

// The lines under the confirmation: code, name, side, order type, quantity, price and amount. An
// order without a price shows "-" for price and amount.
QString tradeDetailText(const QString& code, const QString& name, char side, const QString& typeText,
                        qint64 quantity, double price);

// The library refused to send: `logText` goes to the log, the user sees "出错".
void reportNotSent(const QString& logText);

// "<failurePrefix>[<error number>]<error text>"; the number unsigned, as the counter means it.
QString failureText(const QString& failurePrefix, const CMoruRspInfo& info);

// A failure is logged as a warning and shown titled "失败"; a success logged and shown titled "成功".
// One box at a time for `owner` (the form): a storm of answers is logged, not boxed.
void reportResponse(const void* owner, const CMoruRspInfo& info, const QString& successText,
                    const QString& failurePrefix);

// The log line of an order return: "<text>交易成功", or "<text>交易失败[<number>]<error text>".
QString orderReturnLogText(const QString& returnText, const CMoruRspInfo& info);
