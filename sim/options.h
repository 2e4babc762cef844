// What moru-sim is told on its command line, and the counter's own settings among it.
#ifndef MORU_SIM_OPTIONS_H
#define MORU_SIM_OPTIONS_H

#include <QString>
#include <QStringList>
#include <QVector>

namespace sim {

struct Options {
    int pageSize = 1000;
    int transferStepMs = 150;
    bool singleDataReady = false;  // announce LoginFlags 0x02
    int heartbeatSec = 0;          // announced after login; 0 = the library keeps its own
    bool heartbeatsOff = false;
    bool verbose = false;
    int seed = -1;  // -1: the data file's seed
};

struct BigAccount {
    QString account;
    int orders = 25000;
    char market = '1';
};

struct CommandLine {
    Options counter;
    int counterPort = 18801;
    int quotePort = 18802;
    int quoteIntervalMs = 1000;
    bool walk = true;
    int dropAfterMs = -1;  // -1: never
    int dropKind = 0;      // 0 all, else the link kind
    int garbageEvery = 0;
    bool exitOnStdinClose = false;
    bool help = false;
    QString data = "sim/data/demo.json";
    QVector<BigAccount> bigAccounts;
};

// Reads the arguments that follow the program name. On a bad one returns false and says
// which option and why in `err`.
bool parseCommandLine(const QStringList& args, CommandLine* out, QString* err);
QString usageText();

}  // namespace sim

#endif
