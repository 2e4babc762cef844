#include "user/live/code_name_tips.h"

#include <QHelpEvent>
#include <QTableWidget>
#include <QToolTip>

CodeNameTips::CodeNameTips(QTableWidget* table, int codeColumn, NameOf nameOf)
    : QObject(table), mTable(table), mColumn(codeColumn), mNameOf(std::move(nameOf)) {
    table->viewport()->installEventFilter(this);
}

QString CodeNameTips::tipForRow(int row) const {
    const QTableWidgetItem* item = mTable->item(row, mColumn);
    return item && mNameOf ? mNameOf(item->text()) : QString();
}

bool CodeNameTips::eventFilter(QObject* watched, QEvent* event) {
    if (watched != mTable->viewport() || event->type() != QEvent::ToolTip) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = mTable->indexAt(help->pos());
    if (!index.isValid() || index.column() != mColumn) return false;
    const QString tip = tipForRow(index.row());
    if (tip.isEmpty()) return false;
    // Names come from the quote feed: escaped inside a paragraph, so markup shows as written.
    QToolTip::showText(help->globalPos(), QStringLiteral("<p>%1</p>").arg(tip.toHtmlEscaped()),
                       mTable->viewport());
    return true;
}
