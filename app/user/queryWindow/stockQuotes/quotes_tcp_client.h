#pragma once

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>

#include "market_data_level1.h"

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
    void initTcpConnect();
    void printMdInfo(const ClientSecurityMarketDataLevel1& record);

    // All zero bytes when the code has not been received.
    ClientSecurityMarketDataLevel1 getMarketData(const QString& securityId) const;
    QMap<QString, ClientSecurityMarketDataLevel1> marketDataMap() const;

    // Decodes the whole frames at the front of `data` into the cache; returns the bytes used.
    qint64 ingest(const char* data, qint64 length);

    bool isConnected() const { return mConnected; }
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

private:
    QString ip;
    int port = 0;
    int mSwitch = 0;
    int mPrintMD = 0;

    QString mConfigPath;
    QTcpSocket* mSocket = nullptr;
    std::atomic_bool mConnected{false};  // also read by other threads through isConnected()

    QMap<QString, ClientSecurityMarketDataLevel1> mMarketData;
    mutable QMutex mMarketDataMutex;

    int mHeaderSize = 4;
    int mRecordSize = 279;

    QTimer* mReconnectTimer = nullptr;
    int mReconnectInterval = 5000;
};
