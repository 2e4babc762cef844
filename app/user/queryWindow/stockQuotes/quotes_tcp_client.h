#pragma once

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>

#include "market_data_level1.h"
#include "quote_cache_index.h"

class QTcpSocket;
class QTimer;

// Receives level-1 quotes from the quote server on the manager's worker thread and keeps the
// latest record of every code. GUI-thread readers only ever get copies, taken under the lock.
class QuotesTcpClient : public QObject {
    Q_OBJECT
public:
    // An empty path means the program's own config/moru_bot_config.ini.
    explicit QuotesTcpClient(QObject* parent = nullptr, const QString& configPath = QString());
    ~QuotesTcpClient() override;

    void readConfig();
    // Starts one connection attempt unless one is under way; it ends on its own, at the latest after
    // the connect time-out, so the thread's event loop is never blocked by it.
    void initTcpConnect();
    void printMdInfo(const ClientSecurityMarketDataLevel1& record);

    // All zero bytes when the code has not been received.
    ClientSecurityMarketDataLevel1 getMarketData(const QString& securityId) const;
    QMap<QString, ClientSecurityMarketDataLevel1> marketDataMap() const;

    // Decodes the whole frames at the front of `data` into the cache; returns the bytes used.
    qint64 ingest(const char* data, qint64 length);

    bool isConnected() const { return mConnected; }
    bool isConnecting() const { return mConnecting; }
    // 30 seconds unless a test needs a shorter wait; takes effect at the next attempt.
    void setConnectTimeout(int milliseconds) { mConnectTimeoutMs = milliseconds; }
    int quoteSwitch() const { return mSwitch; }
    QString host() const { return ip; }
    int serverPort() const { return port; }

signals:
    void signal_readValue(QString securityId, ClientSecurityMarketDataLevel1 securityMkt);

public slots:
    void slot_start();
    void slot_read();
    void slot_disconnect();
    void slot_reConnect();

private slots:
    void slot_connected();
    void slot_connectError();
    void slot_connectTimeout();

private:
    void failConnectAttempt();
    // Files one wire record into the cache and returns it as stored; the cache lock is held.
    const ClientSecurityMarketDataLevel1& storeRecord(const char* wire);

    QString ip;
    int port = 0;
    int mSwitch = 0;
    int mPrintMD = 0;

    QString mConfigPath;
    QTcpSocket* mSocket = nullptr;
    std::atomic_bool mConnected{false};  // also read by other threads through isConnected()
    std::atomic_bool mConnecting{false};
    QTimer* mConnectTimer = nullptr;
    int mConnectTimeoutMs = 30000;

    QMap<QString, ClientSecurityMarketDataLevel1> mMarketData;
    QuoteCacheIndex mIndex;  // into mMarketData's nodes; both under the lock
    mutable QMutex mMarketDataMutex;

    int mHeaderSize = 4;
    int mRecordSize = 279;

    QTimer* mReconnectTimer = nullptr;
    int mReconnectInterval = 5000;
};
