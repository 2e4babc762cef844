#pragma once

#include <QTableWidget>

// The application's table: read-only cells, its own colours, thin scroll bars.
class BaseTableWidget : public QTableWidget {
    Q_OBJECT
public:
    BaseTableWidget();

    void initTableHeader(int columnCount, const QStringList& titles);

    // Brings the scroll bars up to the rows now in the table; Qt otherwise does it on a later event.
    void updateScrollRange() { updateGeometries(); }
};
