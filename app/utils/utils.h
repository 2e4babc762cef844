#pragma once

#include <QString>

// Counter codes to display text, and the small text helpers of the query tables.
class Utils {
public:
    Utils() = delete;

    static QString TMoruOrderTypeTypeConvert(char type);
    static QString TMoruOrderStatusTypeConvert(char status);
    static QString TMoruSideTypeConvert(char side);
    static QString TMoruMsgKindConvert(char kind);
    static QString TMoruMarketTypeConvert(char market);
    static QString TMoruBtTransferStatusTypeConvert(char status);

    // A "hhmmsszzz" field of `length` bytes as "hh:mm:ss.zzz"; empty when it does not parse.
    static QString TimeStringConvert(const char* field, int length);
    // Exactly `length` bytes of the field as UTF-8, NUL bytes included; nothing past them is read.
    static QString FixedCharToQString(const char* field, int length);
    // True for text a spreadsheet would take as a formula (=, @, tab, CR, or a sign not starting a
    // plain number).
    static bool csvCellStartsFormula(const QString& value);
    // Appends one quoted CSV cell (a formula-like text behind a ', NUL characters dropped), then "\n" after
    // the last cell of a line or "," otherwise.
    static void appendCsvField(QString& line, const QString& value, bool lastCell);
};
