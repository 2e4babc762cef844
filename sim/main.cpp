// moru-sim: the simulated counter and quote server.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "counter.h"
#include "options.h"
#include "server.h"

namespace {

// Bad options and data end the program with status 2, a refused port with 1.
constexpr int kBadOptions = 2;

int badOption(const QString& why) {
    std::fprintf(stderr, "moru-sim: %s\nrun \"moru-sim --help\" for the options\n", qPrintable(why));
    return kBadOptions;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // A page of query answers is hundreds of kilobytes, built and freed per request (and copied once
    // more into the socket's buffer). Kept in the heap rather than handed back to the system, it is not
    // faulted in anew every time, which otherwise took a quarter of the time of a paged query.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
#endif
    QCoreApplication app(argc, argv);
    sim::CommandLine cl;
    QString why;
    if (!sim::parseCommandLine(app.arguments().mid(1), &cl, &why)) return badOption(why);
    if (cl.help) {
        std::printf("%s", qPrintable(sim::usageText()));
        return 0;
    }

    sim::Counter counter(cl.counter);
    std::string err;
    if (!counter.loadFile(cl.data.toStdString(), &err))
        return badOption(QString("--data %1: %2").arg(cl.data, QString::fromStdString(err)));
    for (const sim::BigAccount& b : cl.bigAccounts)
        if (!counter.fillBigAccount(b.account.toStdString(), b.market, b.orders))
            return badOption(QString("--big-account: %1 has no market %2 with stocks in %3")
                                 .arg(b.account, QString(QChar(b.market)), cl.data));

    sim::Server server(counter);
    server.setQuoteInterval(cl.quoteIntervalMs);
    server.setWalk(cl.walk);
    server.setGarbageEvery(cl.garbageEvery);
    QString lerr;
    if (!server.listen(quint16(cl.counterPort), quint16(cl.quotePort), &lerr)) {
        std::fprintf(stderr, "moru-sim: %s\n", qPrintable(lerr));
        return 1;
    }
    if (cl.dropAfterMs >= 0) server.dropLinksAfter(cl.dropAfterMs, cl.dropKind);
#ifdef Q_OS_UNIX
    if (cl.exitOnStdinClose) {
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
