#pragma once

#include <QTableWidget>

// The application's table: read-only cells, its own colours, thin scroll bars.
class BaseTableWidget : public QTableWidget {
    Q_OBJECT
public:
    BaseTableWidget();

    void initTableHeader(int columnCount, const QStringList& titles);
};
