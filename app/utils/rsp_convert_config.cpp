#include "utils/rsp_convert_config.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app_paths.h"
#include "constants.h"
#include "utils/api_state.h"

namespace {

QString builtInSecuritiesType(int type, char market) {
    switch (type) {
        case 1:
            return QStringLiteral("股票");
        case 2:
            return QStringLiteral("基金");
        case 3:
            return QStringLiteral("可转债券");
        case 4:
            return QStringLiteral("新股");
        case 5:
            return QStringLiteral("配股");
        case 6:
            return QStringLiteral("新债申购");
        case 7:
            return QStringLiteral("配债");
        case 17:
            return QStringLiteral("逆回购");
        case 18:
            return QStringLiteral("ETF基金");
        case 19:
            return QStringLiteral("货币ETF基金");
        case 20:
            return QStringLiteral("国债ETF基金");
        case 21:
            return QStringLiteral("主板CDR");
        case 23:
            return QStringLiteral("LOF基金");
        case 24:
            return QStringLiteral("封闭式基金");
        case 27:
            return QStringLiteral("权证");
        default:
            break;
    }
    if (market == '1') {
        switch (type) {
            case 8:
                return QStringLiteral("科创板");
            case 9:
                return QStringLiteral("科创板新股申购");
            case 10:
                return QStringLiteral("科创板配股");
            case 11:
                return QStringLiteral("非交易类型");
            case 22:
                return QStringLiteral("科创板CDR");
            default:
                break;
        }
    } else if (market == '2') {
        switch (type) {
            case 8:
                return QStringLiteral("核准制创业板");
            case 9:
                return QStringLiteral("核准制创业板申购");
            case 10:
                return QStringLiteral("核准制创业板配股");
            case 14:
                return QStringLiteral("注册制创业板");
            case 15:
                return QStringLiteral("注册制创业板申购");
            case 16:
                return QStringLiteral("注册制创业板配股");
            case 22:
                return QStringLiteral("创业板CDR");
            default:
                break;
        }
    }
    return QString();
}

}  // namespace

RspConvertConfig* RspConvertConfig::instance() {
    static RspConvertConfig config;
    return &config;
}

RspConvertConfig::RspConvertConfig(QObject* parent)
    : QObject(parent), m_filePath(configFilePath(RSP_CONVERT_PATH)) {}

void RspConvertConfig::setFilePath(const QString& path) {
    m_filePath = path;
}

int RspConvertConfig::readRspJson() {
    securitiesTypeMap.clear();
    const QString marketKey = currentMarket.load() == '2' ? QStringLiteral("SZ") : QStringLiteral("SS");
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning() << "无法打开rsp_convert文件";
        return -1;
    }
    const QByteArray data = file.readAll();
    file.close();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning() << "解析 rsp_convert 失败：" << error.errorString();
        return -1;
    }
    const QJsonObject root = doc.object();
    if (!root.contains(marketKey)) {
        qWarning() << "rsp_convert 文件内容格式错误";
        return -1;
    }
    const QJsonArray types =
        root.value(marketKey).toObject().value(QStringLiteral("SecuritiesType")).toArray();
    for (const QJsonValue& entry : types) {
        const QJsonObject object = entry.toObject();
        securitiesTypeMap.insert(object.value(QStringLiteral("key")).toInt(),
                                 object.value(QStringLiteral("value")).toString());
    }
    return 0;
}

QString RspConvertConfig::TMoruSecuritiesTypeConvert(unsigned char type) {
    // Only an empty table is reloaded, so a loaded table keeps the market of its first use.
    if (securitiesTypeMap.isEmpty()) readRspJson();
    auto it = securitiesTypeMap.constFind(int(type));
    if (it != securitiesTypeMap.cend()) return it.value();
    const QString builtIn = builtInSecuritiesType(type, currentMarket.load());
    if (!builtIn.isEmpty()) return builtIn;
    qInfo() << "rsp_convert.json中的SecuritiesType缺少对应的类型请更新";
    return QString(QChar(ushort(type)));
}
