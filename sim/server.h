// TCP front of the counter and the quote publisher, on 127.0.0.1.
#ifndef MORU_SIM_SERVER_H
#define MORU_SIM_SERVER_H

#include <QObject>
#include <QTimer>
#include <QVector>

#include "counter.h"

class QTcpServer;
class QTcpSocket;

namespace sim {

class TcpLink;

class Server : public QObject {
    Q_OBJECT
public:
    Server(Counter& counter, QObject* parent = nullptr);
    bool listen(quint16 counterPort, quint16 quotePort, QString* err);
    quint16 counterPort() const;
    quint16 quotePort() const;

    void setQuoteInterval(int ms) { quoteInterval_ = ms; }
    void setWalk(bool on) { walk_ = on; }
    // Drops the client links once, `ms` after start: kind 0 all, else manager, query or trade.
    void dropLinksAfter(int ms, int kind);
    // Every `n`-th publication is preceded by a few 4-byte groups of garbage.
    void setGarbageEvery(int n) { garbageEvery_ = n; }
    // A counter client with more than this many bytes of answers not yet taken is dropped.
    void setWriteCap(qint64 bytes) { writeCap_ = bytes; }

    void publish();

private:
    void onCounterConnection();
    void onQuoteConnection();
    void quoteFault(int cmd, int arg);

    Counter& counter_;
    QTcpServer* counterServer_;
    QTcpServer* quoteServer_;
    QVector<QTcpSocket*> quoteClients_;
    QTimer quoteTimer_;
    int quoteInterval_ = 1000;
    bool walk_ = true;
    int garbageEvery_ = 0;
    qint64 writeCap_ = 64 * 1024 * 1024;
    quint64 published_ = 0;
};

}  // namespace sim

#endif
