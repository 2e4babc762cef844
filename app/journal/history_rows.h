#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "journal/history_query.h"

// What the history page shows for each kind: its column titles and the texts of its rows.
namespace HistoryRows {

// The kinds in the page's list, in order, with their names.
QVector<HistoryQuery::Kind> kinds();
QString kindName(HistoryQuery::Kind kind);
QStringList titles(HistoryQuery::Kind kind);

// The rows of an answer, cell texts in title order.
QVector<QStringList> rows(const HistoryAnswer& answer);

// The tooltip that says how realised profit is counted.
QString profitRule();

}  // namespace HistoryRows
