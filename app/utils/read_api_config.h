#pragma once

#include <QMap>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

// Reads config/api_config.txt: checks it holds every key of the embedded template, and gives the
// values the program itself needs. The file is never written.
class ReadApiConfig : public QObject {
    Q_OBJECT

public:
    static ReadApiConfig* instance();

    explicit ReadApiConfig(QObject* parent = nullptr);

    bool configFileExists() const;
    // (true, "") when every template key is present, else (false, the first missing key in template order).
    QPair<bool, QString> checkConfig();
    void readConfig();
    QString value(const QString& key) const;
    QString getBusinessCode();

    // The byte a cancel request carries for an operation way: its first character, or 0 when the value
    // is empty or that character is not Latin-1.
    static char operWayByte(const QString& operWay);

    // Other locations, for tests and tools; the existence flag follows the new file.
    void setFilePath(const QString& path);
    void setTemplatePath(const QString& path);

private:
    void readTemplateKeys();
    void readFileKeys();

    QString m_filePath;
    QString m_templatePath;
    bool fileExists = false;
    QString businessCode;
    QSet<QString> templateKeys;
    QStringList templateKeyOrder;
    QSet<QString> fileKeys;
    QMap<QString, QString> configMap;
};
