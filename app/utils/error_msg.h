#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>

#include "moru_api_types.h"

// Turns a response's error into the text shown to the user: the record's own text when it is already
// Chinese, else the trading library's table once its data is ready, else config/error_msg.json.
class ErrorMsg : public QObject {
    Q_OBJECT

public:
    static ErrorMsg* instance();

    // Reloads both tables for the current market; 0 on success, -1 on failure.
    int readErrorJson();

    QString getErrorMsg(const CMoruRspInfo& info);
    QString getErrorMsgManagerPriority(const CMoruRspInfo& info);
    QString getErrorMsgById(int errorId);

    // Decodes a counter text; with an empty encoding name the encoding is detected first. Bytes after
    // the first NUL are ignored.
    static QString decodeCounterText(const QByteArray& text, const QString& encoding = QString());
    static QString decodeCounterText(const char* text, const QString& encoding = QString());
    // "UTF-8 with BOM", "UTF-16", "UTF-8", "GBK", "GB18030", "Big5" or "Unknown".
    static QString detectEncoding(const QByteArray& text);

    // Another error_msg.json, for tests and tools.
    void setFilePath(const QString& path);

private:
    explicit ErrorMsg(QObject* parent = nullptr);

    // The library's text once its data is ready, else the two tables in the given order, else `text`.
    QString lookUp(const CMoruRspInfo& info, const QString& text, bool managerFirst) const;
    QString libraryText(int errorId) const;

    QString m_filePath;
    QMap<int, QString> marketErrorMap;
    QMap<int, QString> managerErrorMap;
};
