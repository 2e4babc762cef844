#include "server.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>
#include <cstdio>
#include <random>

namespace sim {

constexpr qint64 kQuoteBacklog = 64 * 1024 * 1024;

// One counter connection; deleted after the socket has gone.
class TcpLink : public QObject, public Link {
public:
    TcpLink(Counter& c, QTcpSocket* s, qint64 writeCap)
        : QObject(s), counter_(c), socket_(s), writeCap_(writeCap) {
        counter_.attach(*this);
        QObject::connect(s, &QTcpSocket::readyRead, this, [this] { read(); });
        QObject::connect(s, &QTcpSocket::disconnected, this, [this] { closed(); });
    }
    void send(const std::vector<uint8_t>& bytes) override {
        if (dropped || socket_->state() != QAbstractSocket::ConnectedState) return;
        // A client that leaves answers unread would make us hold them without end.
        if (socket_->bytesToWrite() > writeCap_) {
            drop("client does not read its answers");
            return;
        }
        socket_->write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    void drop(const std::string& why) override {
        if (dropped) return;
        dropped = true;
        std::fprintf(stderr, "moru-sim: dropping link: %s\n", why.c_str());
        // Not from inside the read handler: the socket goes on the next turn of the loop.
        QTimer::singleShot(0, socket_, [s = socket_] { s->abort(); });
    }

private:
    void read() {
        QByteArray b = socket_->readAll();
        if (!b.isEmpty())
            counter_.onData(*this, reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()));
    }
    void closed() {
        if (done_) return;
        done_ = true;
        counter_.onClosed(*this);
        socket_->deleteLater();
    }
    Counter& counter_;
    QTcpSocket* socket_;
    qint64 writeCap_;
    bool done_ = false;
};

Server::Server(Counter& counter, QObject* parent)
    : QObject(parent),
      counter_(counter),
      counterServer_(new QTcpServer(this)),
      quoteServer_(new QTcpServer(this)) {
    connect(counterServer_, &QTcpServer::newConnection, this, &Server::onCounterConnection);
    connect(quoteServer_, &QTcpServer::newConnection, this, &Server::onQuoteConnection);
    connect(&quoteTimer_, &QTimer::timeout, this, &Server::publish);
    counter_.schedule = [this](int ms, std::function<void()> fn) {
        QTimer::singleShot(ms, this, std::move(fn));
    };
    counter_.quoteControl = [this](int cmd, int arg) { quoteFault(cmd, arg); };
}

bool Server::listen(quint16 counterPort, quint16 quotePort, QString* err) {
    if (!counterServer_->listen(QHostAddress::LocalHost, counterPort)) {
        if (err) *err = "counter port: " + counterServer_->errorString();
        return false;
    }
    if (!quoteServer_->listen(QHostAddress::LocalHost, quotePort)) {
        if (err) *err = "quote port: " + quoteServer_->errorString();
        return false;
    }
    quoteTimer_.start(quoteInterval_);
    return true;
}

quint16 Server::counterPort() const {
    return counterServer_->serverPort();
}
quint16 Server::quotePort() const {
    return quoteServer_->serverPort();
}

void Server::dropLinksAfter(int ms, int kind) {
    QTimer::singleShot(ms, this,
                       [this, kind] { counter_.control(uint8_t(moru_wire::kCtlDropAll + kind), 0, {}); });
}

void Server::onCounterConnection() {
    while (QTcpSocket* s = counterServer_->nextPendingConnection()) {
        s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new TcpLink(counter_, s, writeCap_);
    }
}

void Server::onQuoteConnection() {
    while (QTcpSocket* s = quoteServer_->nextPendingConnection()) {
        quoteClients_.append(s);
        connect(s, &QTcpSocket::disconnected, this, [this, s] {
            quoteClients_.removeAll(s);
            s->deleteLater();
        });
        // A new client gets the whole book at once instead of waiting for the next step.
        std::vector<uint8_t> frames;
        counter_.market().quoteFrames(frames,
                                      quint64(QTime::currentTime().toString("hhmmsszzz").toULongLong()));
        s->write(reinterpret_cast<const char*>(frames.data()), qint64(frames.size()));
    }
}

void Server::quoteFault(int cmd, int arg) {
    if (cmd == moru_wire::kCtlQuotePublishNow) {
        publish();
        return;
    }
    // A copy: a client may leave the list while we write to it.
    const QVector<QTcpSocket*> clients = quoteClients_;
    for (QTcpSocket* s : clients) {
        if (cmd == moru_wire::kCtlQuoteGarbage) {
            // Whole 4-byte groups that are not a frame type: a reader can find its feet again.
            int groups = arg > 0 ? arg : 5;
            QByteArray g;
            for (int i = 0; i < groups; ++i) g.append("\xde\xad\xbe\xef", 4);
            s->write(g);
        } else if (cmd == moru_wire::kCtlQuotePartial) {
            // Half a frame, then the connection ends.
            std::vector<uint8_t> frames;
            counter_.market().quoteFrames(frames, 0);
            int n = arg > 0 && arg < int(simquote::kFrameSize) ? arg : int(simquote::kFrameSize / 2);
            s->write(reinterpret_cast<const char*>(frames.data()), n);
            s->disconnectFromHost();
        }
    }
}

void Server::publish() {
    if (walk_) counter_.market().walk();
    counter_.matchResting();
    ++published_;
    std::vector<uint8_t> frames;
    counter_.market().quoteFrames(frames, quint64(QTime::currentTime().toString("hhmmsszzz").toULongLong()));
    bool garbage = garbageEvery_ > 0 && published_ % quint64(garbageEvery_) == 0;
    const QVector<QTcpSocket*> clients = quoteClients_;
    for (QTcpSocket* s : clients) {
        // A reader that falls far behind skips steps instead of growing our buffer without end.
        if (s->bytesToWrite() > kQuoteBacklog) continue;
        if (garbage) s->write("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
        s->write(reinterpret_cast<const char*>(frames.data()), qint64(frames.size()));
    }
}

}  // namespace sim
