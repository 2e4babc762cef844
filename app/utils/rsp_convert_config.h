#pragma once

#include <QMap>
#include <QObject>
#include <QString>

// Security-type names: config/rsp_convert.json first (so new types need no new program), then a
// built-in table.
class RspConvertConfig : public QObject {
    Q_OBJECT

public:
    static RspConvertConfig* instance();

    // Reloads the table for the current market; 0 on success, -1 on failure.
    int readRspJson();
    QString TMoruSecuritiesTypeConvert(unsigned char type);

    // Another rsp_convert.json, for tests and tools.
    void setFilePath(const QString& path);

private:
    explicit RspConvertConfig(QObject* parent = nullptr);

    QString m_filePath;
    QMap<int, QString> securitiesTypeMap;
};
