#pragma once

#include <QTableWidgetItem>

// A table cell holding only a text, kept in a string of its own: a plain item keeps it in a list of
// role values, one more allocation per cell, which tells on a block of ten thousand rows. A change
// of the text through setData/setText hands the cell over to the plain item's storage. What reads
// the item's raw values (drag and drop, QDataStream) does not see the first text.
class TextCellItem : public QTableWidgetItem {
public:
    explicit TextCellItem(const QString& text);

    QVariant data(int role) const override;
    void setData(int role, const QVariant& value) override;
    QTableWidgetItem* clone() const override;

private:
    static bool isTextRole(int role) { return role == Qt::DisplayRole || role == Qt::EditRole; }

    QString mText;
    bool mOwnText = true;
};
