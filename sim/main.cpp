// moru-sim: the simulated counter and quote server.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "counter.h"
#include "server.h"

namespace {

void usage() {
    std::printf(
        "usage: moru-sim [options]\n"
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
        "  --big-account A[:N[:M]] give account A N finished orders (default 25000) in market M (1)\n"
        "  --drop-links-after-ms N[:K] drop the counter links once, N ms after start; K = manager,\n"
        "                          query or trade drops only that kind (default: all)\n"
        "  --quote-garbage-every N garbage before every N-th quote publication\n"
        "  --verbose               log every frame\n"
        "  --exit-on-stdin-close   end when standard input closes (a test harness that dies)\n");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    sim::Options opt;
    int counterPort = 18801, quotePort = 18802, interval = 1000, dropAfter = -1, dropKind = 0,
        garbageEvery = 0;
    bool walk = true, exitOnStdinClose = false;
    QString data = "sim/data/demo.json";
    QStringList big;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&](bool* ok) -> QString {
            if (i + 1 >= args.size()) {
                *ok = false;
                return {};
            }
            return args[++i];
        };
        bool ok = true;
        if (a == "--counter-port")
            counterPort = next(&ok).toInt(&ok);
        else if (a == "--quote-port")
            quotePort = next(&ok).toInt(&ok);
        else if (a == "--data")
            data = next(&ok);
        else if (a == "--seed")
            opt.seed = next(&ok).toInt(&ok);
        else if (a == "--page-size")
            opt.pageSize = next(&ok).toInt(&ok);
        else if (a == "--quote-interval-ms")
            interval = next(&ok).toInt(&ok);
        else if (a == "--no-walk")
            walk = false;
        else if (a == "--transfer-step-ms")
            opt.transferStepMs = next(&ok).toInt(&ok);
        else if (a == "--single-data-ready")
            opt.singleDataReady = true;
        else if (a == "--heartbeat-sec")
            opt.heartbeatSec = next(&ok).toInt(&ok);
        else if (a == "--no-heartbeat")
            opt.heartbeatsOff = true;
        else if (a == "--big-account")
            big << next(&ok);
        else if (a == "--drop-links-after-ms") {
            QStringList p = next(&ok).split(':');
            if (ok) dropAfter = p[0].toInt(&ok);
            const QStringList kinds{"all", "manager", "query", "trade"};
            dropKind = p.size() > 1 ? kinds.indexOf(p[1]) : 0;
            ok = ok && dropKind >= 0;
        } else if (a == "--quote-garbage-every")
            garbageEvery = next(&ok).toInt(&ok);
        else if (a == "--verbose")
            opt.verbose = true;
        else if (a == "--exit-on-stdin-close")
            exitOnStdinClose = true;
        else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else
            ok = false;
        if (!ok || opt.pageSize <= 0 || interval <= 0 || counterPort < 0 || counterPort > 65535 ||
            quotePort < 0 || quotePort > 65535) {
            std::fprintf(stderr, "moru-sim: bad argument near %s\n", qPrintable(a));
            usage();
            return 2;
        }
    }

    sim::Counter counter(opt);
    std::string err;
    if (!counter.loadFile(data.toStdString(), &err)) {
        std::fprintf(stderr, "moru-sim: %s\n", err.c_str());
        return 1;
    }
    for (const QString& b : big) {
        QStringList p = b.split(':');
        int n = p.size() > 1 ? p[1].toInt() : 25000;
        char mk = p.size() > 2 && !p[2].isEmpty() ? p[2].at(0).toLatin1() : '1';
        if (!counter.fillBigAccount(p[0].toStdString(), mk, n)) {
            std::fprintf(stderr, "moru-sim: cannot fill account %s\n", qPrintable(b));
            return 1;
        }
    }

    sim::Server server(counter);
    server.setQuoteInterval(interval);
    server.setWalk(walk);
    server.setGarbageEvery(garbageEvery);
    QString lerr;
    if (!server.listen(quint16(counterPort), quint16(quotePort), &lerr)) {
        std::fprintf(stderr, "moru-sim: %s\n", qPrintable(lerr));
        return 1;
    }
    if (dropAfter >= 0) server.dropLinksAfter(dropAfter, dropKind);
#ifdef Q_OS_UNIX
    if (exitOnStdinClose) {
        auto* n = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
        QObject::connect(n, &QSocketNotifier::activated, &app, [n] {
            char buf[256];
            if (::read(STDIN_FILENO, buf, sizeof buf) <= 0) {
                n->setEnabled(false);
                QCoreApplication::quit();
            }
        });
    }
#endif
    std::printf("counter-port %u\nquote-port %u\n", unsigned(server.counterPort()),
                unsigned(server.quotePort()));
    std::fflush(stdout);
    return app.exec();
}
