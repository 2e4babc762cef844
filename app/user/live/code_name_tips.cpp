#include "user/live/code_name_tips.h"

#include <QHelpEvent>
#include <QTableWidget>
#include <QToolTip>

CodeNameTips::CodeNameTips(QTableWidget* table, int codeColumn, NameOf nameOf)
    : QObject(table),
      mTable(table),
      mViewport(table->viewport()),
      mColumn(codeColumn),
      mNameOf(std::move(nameOf)) {
    mViewport->installEventFilter(this);
}

QString CodeNameTips::tipForRow(int row) const {
    const QTableWidgetItem* item = mTable->item(row, mColumn);
    return item && mNameOf ? mNameOf(item->text()) : QString();
}

bool CodeNameTips::eventFilter(QObject* watched, QEvent* event) {
    // The type first: while the table is taken down its viewport still has events, and the table is no
    // longer one to ask anything.
    if (event->type() != QEvent::ToolTip || watched != mViewport) return false;
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
