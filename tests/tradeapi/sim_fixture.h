// Test helpers: a moru-sim process on free loopback ports, a configuration file
// for the library, and a recorder for every callback the library makes.
#ifndef MORU_TESTS_SIM_FIXTURE_H
#define MORU_TESTS_SIM_FIXTURE_H

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "moru_securities_api.h"
#include "moru_wire.h"

namespace fixture {

// A copy of a packed record's field: QCOMPARE would bind a misaligned reference.
template <typename T>
T val(T v) {
    return v;
}

class Sim {
public:
    ~Sim() { stop(); }

    bool start(const QStringList& extra = {}) {
        counterPort = quotePort = 0;
        QStringList args{"--counter-port",
                         "0",
                         "--quote-port",
                         "0",
                         "--data",
                         QString(MORU_SOURCE_DIR) + "/sim/data/demo.json",
                         "--exit-on-stdin-close"};
        args << extra;
        proc_.setProgram(MORU_SIM_PATH);
        proc_.setArguments(args);
        proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc_.start();
        if (!proc_.waitForStarted(5000)) return false;
        QByteArray out;
        while (counterPort == 0 || quotePort == 0) {
            if (!proc_.waitForReadyRead(5000)) return false;
            out += proc_.readAllStandardOutput();
            for (const QByteArray& line : out.split('\n')) {
                QList<QByteArray> parts = line.trimmed().split(' ');
                if (parts.size() != 2) continue;
                if (parts[0] == "counter-port") counterPort = parts[1].toInt();
                if (parts[0] == "quote-port") quotePort = parts[1].toInt();
            }
        }
        return true;
    }
    void kill() {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished(5000);
        }
    }
    // Ends it the gentle way (standard input closes); true when it exited cleanly, which
    // under the sanitizers also means no leak was found.
    bool stop() {
        if (proc_.state() == QProcess::NotRunning) return true;
        proc_.closeWriteChannel();
        if (!proc_.waitForFinished(5000)) {
            kill();
            return false;
        }
        return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
    }
    bool running() const { return proc_.state() == QProcess::Running; }

    // A control request on a connection of its own; true when the counter said yes.
    bool control(uint8_t cmd, int32_t arg = 0, const std::string& account = {}) {
        QTcpSocket s;
        s.connectToHost("127.0.0.1", quint16(counterPort));
        if (!s.waitForConnected(2000)) return false;
        std::vector<uint8_t> body(moru_wire::ControlBody::kSize, 0);
        body[moru_wire::ControlBody::kCommand] = cmd;
        std::memcpy(body.data() + moru_wire::ControlBody::kArg, &arg, 4);
        moru_wire::putText(body.data() + moru_wire::ControlBody::kAccount, 16, account);
        std::vector<uint8_t> f;
        moru_wire::appendFrame(f, moru_wire::Msg::Control, 1, 0, body.data(), body.size());
        s.write(reinterpret_cast<const char*>(f.data()), qint64(f.size()));
        QByteArray in;
        while (in.size() < int(moru_wire::kHeaderSize + moru_wire::kRspInfoSize))
            if (!s.waitForReadyRead(2000))
                return false;
            else
                in += s.readAll();
        int32_t err;
        std::memcpy(&err, in.constData() + moru_wire::kHeaderSize, 4);
        return err == 0;
    }

    int counterPort = 0;
    int quotePort = 0;

private:
    QProcess proc_;
};

// Writes a configuration file for the library and returns its path.
inline QString writeConfig(QTemporaryDir& dir, int port, double connectTimeout = 1, double heartbeat = 1,
                           int misses = 3) {
    QString path = dir.path() + "/api_config.txt";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QString text = QString(
                       "# test settings\nManagerURL=tcp://127.0.0.1:%1\nQueryURL=tcp://127.0.0.1:%1\n"
                       "TcpConnectTimeout=%2\nHeartBeatInterval=%3\nHeartBeatTimeOutCnt=%4\n")
                       .arg(port)
                       .arg(connectTimeout)
                       .arg(heartbeat)
                       .arg(misses);
    f.write(text.toUtf8());
    return path;
}

// One callback as the library made it.
struct Event {
    std::string name;
    int errorId = 0;
    std::string errorMsg;
    int requestId = 0;
    bool last = false;
    int reason = 0;
    bool success = false;
    std::vector<uint8_t> record;

    template <typename T>
    T as() const {
        T t;
        std::memset(&t, 0, sizeof t);
        std::memcpy(&t, record.data(), std::min(sizeof t, record.size()));
        return t;
    }
};

class Recorder {
public:
    void add(Event e) {
        std::lock_guard<std::mutex> lock(mu_);
        events_.push_back(std::move(e));
        cv_.notify_all();
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mu_);
        events_.clear();
    }
    std::vector<Event> events() const {
        std::lock_guard<std::mutex> lock(mu_);
        return events_;
    }
    // Waits until `pred` holds over the events, at most `ms` milliseconds.
    bool waitFor(const std::function<bool(const std::vector<Event>&)>& pred, int ms) {
        std::unique_lock<std::mutex> lock(mu_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return pred(events_); });
    }
    bool waitForName(const std::string& name, int ms, size_t count = 1) {
        return waitFor([&](const std::vector<Event>& ev) { return countOf(ev, name) >= count; }, ms);
    }
    static size_t countOf(const std::vector<Event>& ev, const std::string& name) {
        size_t n = 0;
        for (const auto& e : ev) n += e.name == name;
        return n;
    }
    std::vector<Event> named(const std::string& name) const {
        std::vector<Event> out;
        for (const auto& e : events())
            if (e.name == name) out.push_back(e);
        return out;
    }

private:
    mutable std::mutex mu_;
    std::condition_variable cv_;
    std::vector<Event> events_;
};

Recorder& recorder();
// A table whose every callback the library may call records into recorder().
CMoruTraderSpi recordingSpi();

}  // namespace fixture

#endif
