#include "basicControl/base_table_widget.h"

#include <QHeaderView>

BaseTableWidget::BaseTableWidget() : QTableWidget(nullptr) {
    setStyleSheet(QStringLiteral(
        "QTableWidget{background: #FFFAFA;border-top-left-radius: 15px;border-top-right-radius: 5px;}"
        "QTableWidget::item{color: #242424;text-align: center;background: #FFFAFA;}"
        "QTableWidget::item:hover{background: #87CEEB;}"
        "QTableWidget::item:selected{background: #87CEEB;}"
        // No padding above and below: a 12-pixel CJK title needs 18 of the header's 23 pixels.
        "QHeaderView::section{text-align: center;padding: 0px 3px;border: 1px solid #8B8682;border-radius: "
        "3px;}"
        "QHeaderView::section:checked{border: 1px solid white;}"
        "QScrollBar:vertical{width: 8px;background: #FFFAFA;}"
        "QScrollBar:horizontal{height: 8px;background: #FFFAFA;}"
        "QScrollBar::handle:vertical{border-radius: 4px;background: rgba(190, 190, 190, 0.50);min-height: "
        "91px;}"
        "QScrollBar::handle:horizontal{border-radius: 4px;background: rgba(190, 190, 190, 0.50);min-width: "
        "91px;}"
        "QScrollBar::handle:hover, QScrollBar::handle:pressed{background: rgba(190, 190, 190, 0.90);}"
        "QScrollBar::add-line, QScrollBar::sub-line{width: 0px;height: 0px;}"
        "QScrollBar::add-page, QScrollBar::sub-page{background: #FFFAFA;}"));
}

void BaseTableWidget::initTableHeader(int columnCount, const QStringList& titles) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnCount(columnCount);
    setHorizontalHeaderLabels(titles);
    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFixedHeight(23);
    QFont font = header->font();
    font.setPixelSize(12);
    header->setFont(font);
}
