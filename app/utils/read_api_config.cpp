#include "utils/read_api_config.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "app_paths.h"
#include "constants.h"

namespace {

const QString kTemplatePath = QStringLiteral(":/build/Moru-Desk/config/api_config.txt");

// Lines are bytes; only the part before a NUL byte counts, taken as Latin-1.
QStringList readLatin1Lines(const QString& path) {
    QStringList lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return lines;
    while (!file.atEnd()) {
        const QByteArray raw = file.readLine();
        lines.append(QString::fromLatin1(raw.constData(), int(qstrnlen(raw.constData(), uint(raw.size())))));
    }
    return lines;
}

QString keyOf(const QString& line) {
    return line.simplified().split(QLatin1Char('=')).first();
}

}  // namespace

ReadApiConfig* ReadApiConfig::instance() {
    static ReadApiConfig config;
    return &config;
}

ReadApiConfig::ReadApiConfig(QObject* parent)
    : QObject(parent), m_filePath(configFilePath(API_CONFIG_PATH)), m_templatePath(kTemplatePath) {
    fileExists = QFileInfo(m_filePath).isFile();
}

void ReadApiConfig::setFilePath(const QString& path) {
    m_filePath = path;
    fileExists = QFileInfo(m_filePath).isFile();
}

void ReadApiConfig::setTemplatePath(const QString& path) {
    m_templatePath = path;
}

bool ReadApiConfig::configFileExists() const {
    return fileExists;
}

// Blank lines give an empty key in both readers; it names no setting, so it is left out.
void ReadApiConfig::readTemplateKeys() {
    templateKeys.clear();
    templateKeyOrder.clear();
    for (const QString& line : readLatin1Lines(m_templatePath)) {
        if (line.contains(QLatin1Char('#'))) continue;
        const QString key = keyOf(line);
        if (key.isEmpty() || templateKeys.contains(key)) continue;
        templateKeys.insert(key);
        templateKeyOrder.append(key);
    }
}

void ReadApiConfig::readFileKeys() {
    fileKeys.clear();
    static const QRegularExpression leadingSpace(QStringLiteral("^\\s+"));
    for (QString line : readLatin1Lines(m_filePath)) {
        line.remove(leadingSpace);
        if (line.startsWith(QLatin1Char('#'))) continue;
        const QString key = keyOf(line);
        if (!key.isEmpty()) fileKeys.insert(key);
    }
}

QPair<bool, QString> ReadApiConfig::checkConfig() {
    readTemplateKeys();
    readFileKeys();
    templateKeys.subtract(fileKeys);
    if (templateKeys.isEmpty()) return qMakePair(true, QString());
    for (const QString& key : qAsConst(templateKeyOrder)) {
        if (templateKeys.contains(key)) return qMakePair(false, key);
    }
    return qMakePair(false, *templateKeys.cbegin());
}

void ReadApiConfig::readConfig() {
    configMap.clear();
    static const QRegularExpression leadingSpace(QStringLiteral("^\\s+"));
    for (QString line : readLatin1Lines(m_filePath)) {
        line.remove(leadingSpace);
        if (line.startsWith(QLatin1Char('#')) || !line.contains(QLatin1Char('='))) continue;
        const QStringList pieces = line.simplified().split(QLatin1Char('='));
        configMap.insert(pieces.at(0), pieces.at(1));
    }
}

QString ReadApiConfig::value(const QString& key) const {
    return configMap.value(key);
}

QString ReadApiConfig::getBusinessCode() {
    if (!fileExists) return businessCode;
    for (const QString& line : readLatin1Lines(m_filePath)) {
        if (!line.contains(QLatin1String("BusinessCode=")) || line.contains(QLatin1Char('#'))) continue;
        businessCode = line.simplified().split(QLatin1Char('=')).at(1);
    }
    return businessCode;
}

char ReadApiConfig::operWayByte(const QString& operWay) {
    if (operWay.isEmpty()) return 0;
    const ushort code = operWay.at(0).unicode();
    return code > 0xFF ? 0 : char(code);
}
