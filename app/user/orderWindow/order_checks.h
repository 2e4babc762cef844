#pragma once

#include <QMap>
#include <QString>

// What the order window's forms check before anything is sent. Each check function returns the
// message of the first failed check, or an empty text when the input may go on to the confirmation.

// Price-type name -> order-type code offered for a market ('1' Shanghai, '2' Shenzhen, else none).
QMap<QString, int> priceTypesFor(char market);

// Shenzhen takes a price only for limit orders; Shanghai (and no market) takes one for every type.
bool priceTakenFor(char market, int orderType);

struct OrderEntry {
    QString code;
    QString typeText;  // the chooser's edit text
    double price = 0;
    int quantity = 0;
    char side = '1';
};

QString checkOrderEntry(const OrderEntry& entry, const QMap<QString, int>& priceTypes, char market);

QString checkTenderOffer(const QString& code, int quantity, const QString& offerorCode);

QString checkWarrantExercise(const QString& code, double price, int quantity);
