#include "user/queryWindow/history_widget.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QHBoxLayout>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "journal/history_rows.h"
#include "journal/journal.h"
#include "user/queryWindow/csv_export.h"
#include "utils/dialog_seam.h"
#include "utils/utils.h"

HistoryWidget::HistoryWidget(QWidget* parent)
    : QueryWindow(QStringLiteral("历史查询"), parent),
      mFromLabel(new MyLabel(QStringLiteral("开始日期"), this)),
      mFrom(new QDateEdit(QDate::currentDate().addDays(-6), this)),
      mToLabel(new MyLabel(QStringLiteral("结束日期"), this)),
      mTo(new QDateEdit(QDate::currentDate(), this)),
      mKind(new QComboBox(this)),
      mSearch(new MyPushButton(QStringLiteral("搜索"), this)),
      mMore(new MyPushButton(QStringLiteral("更多"), this)),
      mExport(new MyPushButton(QStringLiteral("导出"), this)),
      mExportAll(new MyPushButton(QStringLiteral("全部导出"), this)) {
    for (QDateEdit* edit : {mFrom, mTo}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
    }
    for (HistoryQuery::Kind kind : HistoryRows::kinds())
        mKind->addItem(HistoryRows::kindName(kind), int(kind));
    mKind->setToolTip(HistoryRows::profitRule());
    mMore->setEnabled(false);

    QHBoxLayout* tools = toolLayout();
    for (QWidget* w : std::initializer_list<QWidget*>{mFromLabel, mFrom, mToLabel, mTo, mKind})
        tools->addWidget(w, 0, Qt::AlignLeft);
    tools->addWidget(mSearch, 0, Qt::AlignRight);
    tools->addWidget(mMore, 0, Qt::AlignRight);
    addExportButtons(mExport, mExportAll);

    const QStringList titles = HistoryRows::titles(currentKind());
    setTableHeader(titles.size(), titles);

    connect(mSearch, &QPushButton::clicked, this, &HistoryWidget::slot_search);
    connect(mMore, &QPushButton::clicked, this, &HistoryWidget::slot_more);
    connect(Journal::instance(), &Journal::answered, this, &HistoryWidget::slot_answered);
}

HistoryQuery::Kind HistoryWidget::currentKind() const {
    return HistoryQuery::Kind(mKind->currentData().toInt());
}

void HistoryWidget::slot_search() {
    HistoryQuery query;
    query.kind = currentKind();
    query.from = qMin(mFrom->date(), mTo->date()).toString(Qt::ISODate);
    query.to = qMax(mFrom->date(), mTo->date()).toString(Qt::ISODate);
    mSearch->setEnabled(false);
    mPendingId = Journal::instance()->ask(query);
}

void HistoryWidget::slot_answered(const HistoryAnswer& answer) {
    if (answer.id != mPendingId) return;
    mPendingId = 0;
    mSearch->setEnabled(true);
    if (!answer.error.isEmpty()) {
        DialogSeam::warningFor(this, QStringLiteral("错误"), QStringLiteral("历史记录查询出错"));
        return;
    }
    mTitles = HistoryRows::titles(answer.query.kind);
    mRows = HistoryRows::rows(answer);
    setTableHeader(mTitles.size(), mTitles);
    tableWidget()->setRowCount(0);
    showBlock();
    mMore->setEnabled(tableWidget()->rowCount() < mRows.size());
    const bool profit =
        answer.query.kind == HistoryQuery::ProfitByDay || answer.query.kind == HistoryQuery::ProfitByCode;
    tableWidget()->setToolTip(profit ? HistoryRows::profitRule() : QString());
}

void HistoryWidget::showBlock() {
    BaseTableWidget* table = tableWidget();
    const int first = table->rowCount();
    const int end = qMin(first + ROWS_PER_BLOCK, mRows.size());
    table->setRowCount(end);
    for (int r = first; r < end; ++r) {
        const QStringList& cells = mRows.at(r);
        for (int c = 0; c < cells.size(); ++c) table->setItem(r, c, new QTableWidgetItem(cells.at(c)));
    }
}

void HistoryWidget::slot_more() {
    showBlock();
    if (tableWidget()->rowCount() == mRows.size()) mMore->setEnabled(false);
}

void HistoryWidget::exportAllToCsv() {
    CsvExport::exportLines(
        headerLabels(), [this] { return mRows.size(); },
        [this](QString& out, int index) {
            const QStringList& cells = mRows.at(index);
            for (int c = 0; c < cells.size(); ++c)
                Utils::appendCsvField(out, cells.at(c), c == cells.size() - 1);
        });
}
