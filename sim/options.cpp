#include "options.h"

#include <climits>

namespace sim {

namespace {

constexpr int kMaxBigOrders = 1000000;

struct NumberOption {
    const char* name;
    int* target;
    qint64 lo, hi;
};

bool readNumber(const QString& name, const QString& text, qint64 lo, qint64 hi, int* out, QString* err) {
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < lo || v > hi) {
        *err = QString("%1 expects a whole number from %2 to %3, not \"%4\"")
                   .arg(name)
                   .arg(lo)
                   .arg(hi)
                   .arg(text);
        return false;
    }
    *out = int(v);
    return true;
}

// A[:N[:M]]
bool readBigAccount(const QString& text, BigAccount* out, QString* err) {
    const QStringList p = text.split(':');
    const QString name = "--big-account";
    if (p.size() > 3 || p[0].isEmpty()) {
        *err = QString("%1 expects ACCOUNT[:ORDERS[:MARKET]], not \"%2\"").arg(name, text);
        return false;
    }
    out->account = p[0];
    if (p.size() > 1 && !readNumber(name + " orders", p[1], 1, kMaxBigOrders, &out->orders, err))
        return false;
    if (p.size() > 2) {
        if (p[2] != "1" && p[2] != "2") {
            *err = QString("%1 market is 1 (Shanghai) or 2 (Shenzhen), not \"%2\"").arg(name, p[2]);
            return false;
        }
        out->market = p[2].at(0).toLatin1();
    }
    return true;
}

// N[:all|manager|query|trade]
bool readDrop(const QString& text, CommandLine* out, QString* err) {
    const QStringList p = text.split(':');
    const QString name = "--drop-links-after-ms";
    if (p.size() > 2) {
        *err = QString("%1 expects MS[:KIND], not \"%2\"").arg(name, text);
        return false;
    }
    if (!readNumber(name, p[0], 0, INT_MAX, &out->dropAfterMs, err)) return false;
    const QStringList kinds{"all", "manager", "query", "trade"};
    out->dropKind = p.size() > 1 ? kinds.indexOf(p[1]) : 0;
    if (out->dropKind < 0) {
        *err = QString("%1 kind is all, manager, query or trade, not \"%2\"").arg(name, p[1]);
        return false;
    }
    return true;
}

}  // namespace

bool parseCommandLine(const QStringList& args, CommandLine* out, QString* err) {
    const NumberOption numbers[] = {
        {"--counter-port", &out->counterPort, 0, 65535},
        {"--quote-port", &out->quotePort, 0, 65535},
        {"--seed", &out->counter.seed, 0, INT_MAX},
        {"--page-size", &out->counter.pageSize, 1, 1000000},
        {"--quote-interval-ms", &out->quoteIntervalMs, 1, 3600000},
        {"--transfer-step-ms", &out->counter.transferStepMs, 0, 3600000},
        {"--heartbeat-sec", &out->counter.heartbeatSec, 0, INT_MAX},
        {"--quote-garbage-every", &out->garbageEvery, 0, INT_MAX},
    };
    const QStringList withValue{"--data", "--big-account", "--drop-links-after-ms"};
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const NumberOption* number = nullptr;
        for (const auto& n : numbers)
            if (a == n.name) number = &n;
        if (number || withValue.contains(a)) {
            if (i + 1 >= args.size()) {
                *err = a + " needs a value";
                return false;
            }
            const QString& v = args[++i];
            bool ok = true;
            if (number) {
                ok = readNumber(a, v, number->lo, number->hi, number->target, err);
            } else if (a == "--data") {
                out->data = v;
                ok = !v.isEmpty();
                if (!ok) *err = "--data needs a file name";
            } else if (a == "--big-account") {
                BigAccount b;
                ok = readBigAccount(v, &b, err);
                out->bigAccounts.append(b);
            } else {
                ok = readDrop(v, out, err);
            }
            if (!ok) return false;
        } else if (a == "--no-walk") {
            out->walk = false;
        } else if (a == "--single-data-ready") {
            out->counter.singleDataReady = true;
        } else if (a == "--no-heartbeat") {
            out->counter.heartbeatsOff = true;
        } else if (a == "--verbose") {
            out->counter.verbose = true;
        } else if (a == "--exit-on-stdin-close") {
            out->exitOnStdinClose = true;
        } else if (a == "--help" || a == "-h") {
            out->help = true;
        } else {
            *err = QString("unknown option \"%1\"").arg(a);
            return false;
        }
    }
    return true;
}

QString usageText() {
    return "usage: moru-sim [options]\n"
           "  --counter-port N        counter port (default 18801, 0 = any free port)\n"
           "  --quote-port N          quote port (default 18802, 0 = any free port)\n"
           "  --data FILE             accounts and securities (JSON)\n"
           "  --seed N                seed of the random walk\n"
           "  --page-size N           records per query page (default 1000)\n"
           "  --quote-interval-ms N   time between quote publications (default 1000)\n"
           "  --no-walk               keep the books where they start\n"
           "  --transfer-step-ms N    time between transfer status steps (default 150)\n"
           "  --single-data-ready     announce one data-ready notification at login\n"
           "  --heartbeat-sec N       heartbeat interval announced at login\n"
           "  --no-heartbeat          never answer heartbeats\n"
           "  --big-account A[:N[:M]] give account A N finished orders (default 25000, at most 1000000)\n"
           "                          in market M (1 Shanghai, the default, or 2 Shenzhen)\n"
           "  --drop-links-after-ms N[:K] drop the counter links once, N ms after start; K = manager,\n"
           "                          query or trade drops only that kind (default: all)\n"
           "  --quote-garbage-every N garbage before every N-th quote publication\n"
           "  --verbose               log every frame\n"
           "  --exit-on-stdin-close   end when standard input closes (a test harness that dies)\n";
}

}  // namespace sim
