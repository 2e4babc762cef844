#pragma once

#include <QComboBox>
#include <QMap>

// Editable exchange chooser, filled from the exchange list in the resources.
class MyComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit MyComboBox(QWidget* parent = nullptr);

    // Narrow drop-down with 20-pixel rows, for the order-type chooser.
    void setCompactStyle();
    // Price-type name -> order-type code; keys in ascending order, "限价" made current.
    void setPriceTypes(const QMap<QString, int>& priceTypes);

public slots:
    void slotChooseItem(const QString& contry);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void buildStyles(int itemHeight);

    QString m_focusStyle;
    QString m_normalStyle;
    QString m_hoverStyle;  // kept with the others, never applied
};
