#pragma once

#include <QObject>
#include <functional>

class QTableWidget;

// Shows the security's name as the tooltip of a table's code cells, looked up when the pointer
// rests on one: filling thousands of rows costs nothing more.
class CodeNameTips : public QObject {
    Q_OBJECT
public:
    using NameOf = std::function<QString(const QString& code)>;

    CodeNameTips(QTableWidget* table, int codeColumn, NameOf nameOf);

    // The tooltip text for a row's code cell; empty when the name is unknown.
    QString tipForRow(int row) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidget* mTable;
    QWidget* mViewport;
    int mColumn;
    NameOf mNameOf;
};
