#include "basicControl/my_combo_box.h"

#include <QCompleter>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>

#include "constants.h"

namespace {
QString comboStyle(const char* border, int itemHeight) {
    return QStringLiteral(
               "QComboBox{border: 1px solid %1;border-radius: 3px;padding: 1px 18px 1px 3px;"
               "color: rgb(118, 131, 143);font: normal normal 15px \"Microsoft YaHei\";background: "
               "transparent;}"
               "QComboBox QAbstractItemView{background: white;border: 1px solid rgb(228,231,237);"
               "selection-background-color: rgb(204, 255, 204);outline: 0px;}"
               "QComboBox QAbstractItemView::item{height: %2px;color: rgb(96, 98, 102);}"
               "QComboBox QAbstractItemView::item:hover{background: rgb(245, 247, 250);}"
               "QComboBox QScrollBar:vertical{width: 20px;}")
        .arg(QLatin1String(border))
        .arg(itemHeight);
}
}  // namespace

MyComboBox::MyComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    QFile file(QStringLiteral(":/resource/exchange.json"));
    if (file.open(QIODevice::ReadOnly)) {
        const QJsonArray items = QJsonDocument::fromJson(file.readAll()).array();
        for (const QJsonValue& item : items) addItem(QIcon(), item.toObject().value("name").toString());
    }
    clearEditText();
    setCompleter(new QCompleter(model(), this));
    setView(new QListView(this));
    buildStyles(35);
}

void MyComboBox::buildStyles(int itemHeight) {
    m_focusStyle = comboStyle("#87CEEB", itemHeight);
    m_normalStyle = comboStyle("rgb(192,191,191)", itemHeight);
    m_hoverStyle = comboStyle("#87CEFA", itemHeight);
}

void MyComboBox::setCompactStyle() {
    view()->setFixedWidth(220);
    buildStyles(20);
}

void MyComboBox::setPriceTypes(const QMap<QString, int>& priceTypes) {
    clear();
    for (auto it = priceTypes.constBegin(); it != priceTypes.constEnd(); ++it) addItem(QIcon(), it.key());
    setCurrentIndex(findText(PRICE_TYPE_LIMIT));
}

void MyComboBox::slotChooseItem(const QString& contry) {
    setEditText(contry);
}

void MyComboBox::focusInEvent(QFocusEvent* event) {
    setStyleSheet(m_focusStyle);
    QComboBox::focusInEvent(event);
}

void MyComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    setStyleSheet(m_normalStyle);
}
