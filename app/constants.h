#pragma once

#include <QString>
#include <QStringList>

// Strings shared by several modules. Inline variables: one definition for the whole program,
// built before main runs.

inline const QString APP_NAME = QStringLiteral("Moru-Desk");
// The CMake project version, the one place it is written (app_version.cpp).
extern const char MORU_VERSION_TEXT[];
inline const QString APP_VERSION = QString::fromLatin1(MORU_VERSION_TEXT);
inline const QString APP_TITLE = QStringLiteral("%0 %1").arg(APP_NAME, APP_VERSION);

// VERSION_FILE_PATH is appended to QCoreApplication::applicationDirPath(); the config/ paths are
// resolved by configFilePath() (app_paths.h): beside the executable, or the user's folder when installed.
inline const QString VERSION_FILE_PATH = QStringLiteral("/version.txt");
inline const QString API_CONFIG_PATH = QStringLiteral("/config/api_config.txt");
inline const QString BOT_CONFIG_PATH = QStringLiteral("/config/moru_bot_config.ini");
inline const QString ERROR_MSG_PATH = QStringLiteral("/config/error_msg.json");
inline const QString RSP_CONVERT_PATH = QStringLiteral("/config/rsp_convert.json");

inline const QString ORDER_QUERY_TAB = QStringLiteral("委托查询");
inline const QString POSITION_QUERY_TAB = QStringLiteral("持仓查询");
inline const QString TRADE_QUERY_TAB = QStringLiteral("成交查询");

inline const QStringList POSITION_HEADERS = {QStringLiteral("证券代码"),   QStringLiteral("今买入"),
                                             QStringLiteral("今卖出"),     QStringLiteral("昨买仓"),
                                             QStringLiteral("总持仓"),     QStringLiteral("可用持仓"),
                                             QStringLiteral("持仓成本"),   QStringLiteral("可申购数量"),
                                             QStringLiteral("可赎回数量"), QStringLiteral("操作")};

// Column 0 holds the row check boxes; the header draws its own box there.
inline const QStringList ORDER_HEADERS = {QString(),
                                          QStringLiteral("报单编号"),
                                          QStringLiteral("节点"),
                                          QStringLiteral("证券代码"),
                                          QStringLiteral("证券类别"),
                                          QStringLiteral("报单价格"),
                                          QStringLiteral("报单数量"),
                                          QStringLiteral("报单类型"),
                                          QStringLiteral("报单状态"),
                                          QStringLiteral("报撤单"),
                                          QStringLiteral("方向"),
                                          QStringLiteral("成交价格"),
                                          QStringLiteral("成交数量"),
                                          QStringLiteral("未成交数量"),
                                          QStringLiteral("错误码"),
                                          QStringLiteral("错误信息"),
                                          QStringLiteral("请求接收时间"),
                                          QStringLiteral("要约收购人编码")};

inline const QStringList TRADE_HEADERS = {QStringLiteral("报单编号"),         QStringLiteral("证券代码"),
                                          QStringLiteral("成交价格"),         QStringLiteral("方向"),
                                          QStringLiteral("成交数量"),         QStringLiteral("未成交数量"),
                                          QStringLiteral("成交时间"),         QStringLiteral("报单类型"),
                                          QStringLiteral("本市场成份证券数"), QStringLiteral("成份证券代码"),
                                          QStringLiteral("成份证券来源"),     QStringLiteral("使用老仓数量"),
                                          QStringLiteral("成份证券成交数量"), QStringLiteral("现金替代金额")};

inline const QStringList QUOTE_HEADERS = {
    QStringLiteral("证券代码"), QStringLiteral("证券名称"), QStringLiteral("最新"), QStringLiteral("开盘"),
    QStringLiteral("最高"),     QStringLiteral("最低"),     QStringLiteral("涨停"), QStringLiteral("跌停"),
    QStringLiteral("昨收"),     QStringLiteral("操作")};

inline const QStringList IN_OUT_FUND_HEADERS = {QStringLiteral("机构代码"), QStringLiteral("出入金金额"),
                                                QStringLiteral("操作"), QStringLiteral("操作时间")};

inline const QStringList FUND_TRANSFER_HEADERS = {QStringLiteral("机构代码"),     QStringLiteral("金额"),
                                                  QStringLiteral("资金调拨方向"), QStringLiteral("错误码"),
                                                  QStringLiteral("错误信息"),     QStringLiteral("操作结果"),
                                                  QStringLiteral("操作时间")};

// Order-type names; the code each stands for is fixed by Utils' order-type converter.
inline const QString PRICE_TYPE_COUNTER_BEST = QStringLiteral("对手方最优剩余转限价");          // '1'
inline const QString PRICE_TYPE_LIMIT = QStringLiteral("限价");                                 // '2'
inline const QString PRICE_TYPE_OWN_BEST = QStringLiteral("本方最优");                          // '3'
inline const QString PRICE_TYPE_MARKET_IOC = QStringLiteral("市价立即成交剩余撤销");            // '4'
inline const QString PRICE_TYPE_MARKET_FOK = QStringLiteral("市价全额成交或撤销");              // '5'
inline const QString PRICE_TYPE_BEST5_IOC = QStringLiteral("最优五档立即成交剩余撤销");         // '6'
inline const QString PRICE_TYPE_BEST5_TO_LIMIT = QStringLiteral("最优五档立即成交剩余转限价");  // '7'
inline const QString PRICE_TYPE_LIMIT_FOK = QStringLiteral("限价全额成交或撤销");               // '8'

inline const QString OPER_WAY_KEY = QStringLiteral("OperWay");
