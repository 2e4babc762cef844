#include "basicControl/text_cell_item.h"

TextCellItem::TextCellItem(const QString& text) : QTableWidgetItem(UserType), mText(text) {}

QVariant TextCellItem::data(int role) const {
    if (mOwnText && isTextRole(role)) return mText;
    return QTableWidgetItem::data(role);
}

void TextCellItem::setData(int role, const QVariant& value) {
    if (mOwnText && isTextRole(role)) {
        // As the plain item: an unchanged value is no change.
        if (value == QVariant(mText)) return;
        mOwnText = false;
        mText.clear();
    }
    QTableWidgetItem::setData(role, value);
}

QTableWidgetItem* TextCellItem::clone() const {
    return new TextCellItem(*this);
}
