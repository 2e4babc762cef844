#pragma once

#include <QtGlobal>

#include "moru_api_types.h"

// How an order return changes the order page's stored record of that order.

// Takes status, traded and left quantities from the return. The return carries no traded amount:
// newly traded shares count at the return's price until the next search brings the counter's own
// amount. True when anything shown changed.
bool applyOrderReturn(CMoruRspQryOrderField& record, const CMoruRtnOrderField& rtn);

// The record of an order the page has not seen (placed after its last search), as far as the
// return tells it.
CMoruRspQryOrderField orderRecordFromReturn(const CMoruRtnOrderField& rtn, quint16 errorCode);

// Statuses after which nothing more happens to an order: it can no longer be cancelled.
bool isFinalOrderStatus(char status);
