#include "quotes_tcp_client.h"

#include <QDebug>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSettings>
#include <QTcpSocket>
#include <QTimer>
#include <QVector>

#include "app_paths.h"
#include "constants.h"
#include "quote_frame_reader.h"

QuotesTcpClient::QuotesTcpClient(QObject* parent, const QString& configPath)
    : QObject(parent),
      mConfigPath(configPath),
      mSocket(new QTcpSocket(this)),
      mConnectTimer(new QTimer(this)) {
    qRegisterMetaType<ClientSecurityMarketDataLevel1>("ClientSecurityMarketDataLevel1");
    mConnectTimer->setSingleShot(true);
    connect(mConnectTimer, &QTimer::timeout, this, &QuotesTcpClient::slot_connectTimeout);
    connect(mSocket, &QTcpSocket::connected, this, &QuotesTcpClient::slot_connected);
    connect(mSocket, &QAbstractSocket::errorOccurred, this, &QuotesTcpClient::slot_connectError);
    readConfig();
}

QuotesTcpClient::~QuotesTcpClient() {
    // The timer has no parent (it is made on the worker thread); it goes with the client.
    delete mReconnectTimer;
}

void QuotesTcpClient::readConfig() {
    const QString path = mConfigPath.isEmpty() ? configFilePath(BOT_CONFIG_PATH) : mConfigPath;
    if (!QFileInfo(path).isFile()) {
        qWarning() << "can not found moru_bot_config.ini file " << path;
        return;
    }
    QSettings settings(path, QSettings::IniFormat);
    mSwitch = settings.value(QStringLiteral("/MD/switch"), 0).toInt();
    mPrintMD = settings.value(QStringLiteral("/MD/printMD"), 0).toInt();
    ip = settings.value(QStringLiteral("/MD/ip"), QString()).toString();
    port = settings.value(QStringLiteral("/MD/port"), 0).toInt();
    // One substitution pass: a '%' in the host (an IPv6 scope, say) must reach the log unchanged.
    qInfo() << QStringLiteral("ini mSwitch is [%0], mPrintMD is [%1], ip is[%2], port is[%3]")
                   .arg(QString::number(mSwitch), QString::number(mPrintMD), ip, QString::number(port));
}

void QuotesTcpClient::slot_start() {
    if (mSwitch == 0) return;
    initTcpConnect();
    mReconnectTimer = new QTimer;
    mReconnectTimer->setInterval(mReconnectInterval);
    connect(mReconnectTimer, &QTimer::timeout, this, &QuotesTcpClient::slot_reConnect);
    mReconnectTimer->start();
}

void QuotesTcpClient::initTcpConnect() {
    // A host that drops packets keeps an attempt open for the whole time-out; the 5-second retry
    // must not start a second one meanwhile.
    if (mConnecting || mConnected) return;
    mConnecting = true;
    // Waiting in the event loop rather than in waitForConnected: quitting the thread must not
    // wait for the time-out.
    mConnectTimer->start(mConnectTimeoutMs);
    // A refusal can be reported from inside this call.
    mSocket->connectToHost(ip, static_cast<quint16>(port), QIODevice::ReadWrite,
                           QAbstractSocket::AnyIPProtocol);
}

void QuotesTcpClient::slot_connected() {
    if (!mConnecting) return;
    mConnecting = false;
    mConnectTimer->stop();
    mConnected = true;
    qInfo() << "connect success";
    connect(mSocket, &QTcpSocket::readyRead, this, &QuotesTcpClient::slot_read, Qt::UniqueConnection);
    connect(mSocket, &QTcpSocket::disconnected, this, &QuotesTcpClient::slot_disconnect,
            Qt::UniqueConnection);
}

void QuotesTcpClient::slot_connectError() {
    // Errors of an established link end in disconnected(), which slot_disconnect handles.
    if (mConnecting) failConnectAttempt();
}

void QuotesTcpClient::slot_connectTimeout() {
    if (mConnecting) failConnectAttempt();
}

void QuotesTcpClient::failConnectAttempt() {
    mConnecting = false;
    mConnectTimer->stop();
    qWarning() << "tcp connect error";
    // Back to the unconnected state, or the next attempt would be refused as still in progress.
    if (mSocket->state() != QAbstractSocket::UnconnectedState) mSocket->abort();
}

void QuotesTcpClient::slot_reConnect() {
    if (!mConnected) initTcpConnect();
}

void QuotesTcpClient::slot_disconnect() {
    qInfo() << "quotes tcp client disconnect!";
    disconnect(mSocket, &QTcpSocket::readyRead, this, &QuotesTcpClient::slot_read);
    disconnect(mSocket, &QTcpSocket::disconnected, this, &QuotesTcpClient::slot_disconnect);
    mConnected = false;
}

void QuotesTcpClient::slot_read() {
    const qint64 available = mSocket->bytesAvailable();
    if (available < mHeaderSize) {
        qWarning() << "recv_len < sizeof ClientSecurityMarketDataLevel1Header";
        return;
    }
    if (available < mHeaderSize + mRecordSize)
        return;  // a partial frame waits in the socket for the next readyRead

    // Peek, then drop only what was used: a frame cut short stays buffered in the socket.
    const QByteArray bytes = mSocket->peek(available);
    const qint64 used = ingest(bytes.constData(), bytes.size());
    if (used > 0) mSocket->skip(used);
}

qint64 QuotesTcpClient::ingest(const char* data, qint64 length) {
    QVector<ClientSecurityMarketDataLevel1> toPrint;
    QuoteFrameReadResult result;
    {
        // One lock for the slice: a reader waits for at most one readyRead's worth of frames.
        QMutexLocker lock(&mMarketDataMutex);
        // A reader's copy shares the nodes; take our own before writing through the index.
        if (!mMarketData.isDetached()) {
            mMarketData.detach();
            mIndex.relink(mMarketData);
        }
        result = walkQuoteFrames(data, length, [&](const char* wire) {
            const ClientSecurityMarketDataLevel1& stored = storeRecord(wire);
            if (mPrintMD != 0) toPrint.append(stored);
        });
    }
    // Logging takes the log lock; readers of the cache need not wait for it.
    for (const ClientSecurityMarketDataLevel1& record : toPrint) printMdInfo(record);
    return result.consumed;
}

const ClientSecurityMarketDataLevel1& QuotesTcpClient::storeRecord(const char* wire) {
    char code[QuoteCacheIndex::CODE_WIDTH];
    QuoteCacheIndex::normalizeCode(wire + offsetof(ClientSecurityMarketDataLevel1, SecurityID), code);
    const char* wireName = wire + offsetof(ClientSecurityMarketDataLevel1, SecurityName);
    QuoteCacheIndex::Entry* entry = mIndex.find(code);
    ClientSecurityMarketDataLevel1* record;
    if (entry) {
        record = entry->record;
        std::memcpy(record, wire, sizeof *record);
    } else {
        ClientSecurityMarketDataLevel1 fresh;
        std::memcpy(&fresh, wire, sizeof fresh);
        auto it = mMarketData.insert(quoteSecurityId(fresh), fresh);
        record = &it.value();
        entry = mIndex.insert(code, record);
    }
    // The name as sent is compared whole, so a change behind its NUL only costs a conversion.
    if (entry->named && std::memcmp(entry->wireName, wireName, sizeof entry->wireName) == 0) {
        std::memcpy(record->SecurityName, entry->cachedName, sizeof entry->cachedName);
        return *record;
    }
    convertSecurityNameToUtf8(*record);
    std::memcpy(entry->wireName, wireName, sizeof entry->wireName);
    std::memcpy(entry->cachedName, record->SecurityName, sizeof entry->cachedName);
    entry->named = true;
    return *record;
}

ClientSecurityMarketDataLevel1 QuotesTcpClient::getMarketData(const QString& securityId) const {
    ClientSecurityMarketDataLevel1 record;
    std::memset(&record, 0, sizeof record);
    QMutexLocker lock(&mMarketDataMutex);
    const auto it = mMarketData.constFind(securityId);
    if (it != mMarketData.constEnd()) record = it.value();
    return record;
}

QMap<QString, ClientSecurityMarketDataLevel1> QuotesTcpClient::marketDataMap() const {
    QMutexLocker lock(&mMarketDataMutex);
    // An implicitly shared copy: the next insertion detaches the cache, under this same lock.
    return mMarketData;
}

void QuotesTcpClient::printMdInfo(const ClientSecurityMarketDataLevel1& r) {
    if (mPrintMD == 0) return;
    QDebug out = qInfo().noquote();
    out << "更新时间:" << r.UpdateTime << ", 证券代码:" << quoteSecurityId(r)
        << ", 证券名称:" << quoteSecurityName(r) << ", 最新:" << r.LastPrice << ", 开盘:" << r.OpenPrice
        << ", 最高:" << r.HighPrice << ", 最低:" << r.LowPrice << ", 涨停:" << r.UpperLimitPrice
        << ", 跌停:" << r.LowerLimitPrice << ", 昨收:" << r.PreClosePrice << ", 成交总数: " << r.TotalVolume
        << ", 成交总金额: " << r.TotalAmount;

    const double bidPrices[5] = {r.BidPrice1, r.BidPrice2, r.BidPrice3, r.BidPrice4, r.BidPrice5};
    const uint64_t bidVolumes[5] = {r.BidVolume1, r.BidVolume2, r.BidVolume3, r.BidVolume4, r.BidVolume5};
    const double askPrices[5] = {r.AskPrice1, r.AskPrice2, r.AskPrice3, r.AskPrice4, r.AskPrice5};
    const uint64_t askVolumes[5] = {r.AskVolume1, r.AskVolume2, r.AskVolume3, r.AskVolume4, r.AskVolume5};
    static const char* const bidLabels[5] = {", :买一", ", :买二", ", :买三", ", :买四", ", :买五"};
    static const char* const askLabels[5] = {", :卖一", ", :卖二", ", :卖三", ", :卖四", ", :卖五"};
    for (int i = 0; i < 5; ++i)
        out << bidLabels[i] << bidPrices[i] << " " << static_cast<quint64>(bidVolumes[i]);
    for (int i = 0; i < 5; ++i)
        out << askLabels[i] << askPrices[i] << " " << static_cast<quint64>(askVolumes[i]);
}
