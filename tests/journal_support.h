// Helpers of the journal suites: records as the counter sends them, delivered through the fake
// library's threads; a throwaway PostgreSQL cluster on a Unix socket; fresh journals on either backend.
#pragma once

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "fake_tradeapi/fake_tradeapi.h"
#include "journal/journal_target.h"
#include "query_page_support.h"
#include "utils/api_client_utils.h"
#include "utils/api_state.h"

namespace js {

using qps::rspInfo;
using qps::setText;
using qps::zeroed;

inline CMoruRtnOrderField orderReturn(uint32_t sysId, const QByteArray& code, char side, uint32_t qty,
                                      double price, char status, uint32_t traded = 0) {
    auto r = zeroed<CMoruRtnOrderField>();
    r.OrderRef = int32_t(sysId) + 100;
    setText(r.SecurityID, code);
    r.Side = side;
    r.LimitPrice = price;
    r.OrderQty = qty;
    r.OrderType = '1';
    r.OrderSysID = sysId;
    setText(r.RecvTime, "093000000");
    r.TradeQty = traded;
    r.LeavesQty = qty - traded;
    r.OrderStatus = status;
    setText(r.OrderText, code + " order");
    return r;
}

inline CMoruRspQryOrderField orderAnswer(uint32_t sysId, const QByteArray& code, char status,
                                         uint32_t traded) {
    auto r = zeroed<CMoruRspQryOrderField>();
    r.OrderRef = int32_t(sysId) + 100;
    setText(r.SecurityID, code);
    r.Side = '1';
    r.LimitPrice = 10.5;
    r.OrderQty = 1000;
    r.OrderType = '1';
    r.OrderSysID = sysId;
    setText(r.RecvTime, "093000000");
    r.TradeQty = traded;
    r.LeavesQty = 1000 - traded;
    r.OrderStatus = status;
    setText(r.OrderNo, QByteArray::number(sysId).rightJustified(10, '0'));
    r.MsgKind = 0x65;
    r.TradeAmount = traded * 10.5;
    return r;
}

inline CMoruRspQryTradeField fill(uint32_t sysId, const QByteArray& code, char side, int qty, double price,
                                  const QByteArray& time) {
    auto r = zeroed<CMoruRspQryTradeField>();
    r.OrderSysID = sysId;
    r.TradeQty = qty;
    setText(r.SecurityID, code);
    setText(r.TradeTime, time);
    r.TradePrice = price;
    r.Side = side;
    setText(r.OrderNo, QByteArray::number(sysId));
    r.OrderType = '1';
    return r;
}

inline CMoruRspQryStockPositionField position(const QByteArray& code, uint32_t total) {
    auto r = zeroed<CMoruRspQryStockPositionField>();
    setText(r.SecurityID, code);
    r.TotalQty = total;
    r.AvailableQty = total;
    r.PositionCost = 9.75;
    return r;
}

inline CMoruRspQryCapTransferRecordField inOut(char direction, double amount, const QByteArray& time) {
    auto r = zeroed<CMoruRspQryCapTransferRecordField>();
    setText(r.OrgCode, "0001");
    r.Amount = amount;
    r.TransferDirection = direction;
    setText(r.OperTime, time);
    return r;
}

inline CMoruRspQryBTCapTransferManagerField transfer(char direction, double amount, char status) {
    auto r = zeroed<CMoruRspQryBTCapTransferManagerField>();
    setText(r.OrgCode, "0001");
    r.Amount = amount;
    r.TransferDirection = direction;
    setText(r.OperTime, "101500000");
    r.TransferStatus = status;
    return r;
}

// The callback table registered with the fake library, as a login leaves it.
inline void armCallbacks() {
    fakeapi::reset();
    ApiClientUtils::fillCallbackTable();
    registerSpi(ApiClientUtils::callbackTable(), entryNo);
}

// Runs `fire` on a thread of the fake library, as the counter's answers arrive.
inline void fromLibrary(const std::function<void(const CMoruTraderSpi&)>& fire) {
    fakeapi::fireOnOwnThread(fire);
}

// A PostgreSQL cluster of its own under a temporary folder, reached only through its Unix socket.
// Run as nobody when the tests run as root (the server refuses root).
class PgCluster {
public:
    ~PgCluster() { stop(); }

    bool start() {
        const QString bin = QStringLiteral("/usr/lib/postgresql/15/bin");
        if (!QFile::exists(bin + "/initdb") || !QFile::exists(bin + "/pg_ctl"))
            return fail("PostgreSQL 15 server programs are not installed (Debian package postgresql)");
        if (!QSqlDatabase::isDriverAvailable("QPSQL"))
            return fail("Qt's QPSQL driver is not installed (Debian package libqt5sql5-psql)");
        if (!m_dir.isValid()) return fail("no temporary folder");
        m_data = m_dir.filePath("data");
        m_socket = m_dir.filePath("sock");
        QDir().mkpath(m_socket);
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody) return fail("running as root and there is no user nobody to run the server");
            for (const QString& path : {m_dir.path(), m_socket})
                if (chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                    return fail("cannot hand the cluster folder to nobody");
            m_prefix = QStringList{"runuser", "-u", "nobody", "--"};
        }
        if (!run({bin + "/initdb", "-D", m_data, "-U", "moru", "-A", "trust", "--no-sync", "-E", "UTF8",
                  "--locale=C"}))
            return false;
        const QString options =
            QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off -p %2").arg(m_socket).arg(port);
        if (!run({bin + "/pg_ctl", "-D", m_data, "-w", "-t", "30", "-l", m_dir.filePath("log"), "-o", options,
                  "start"}))
            return false;
        m_started = true;
        return true;
    }

    void stop() {
        if (!m_started) return;
        m_started = false;
        run({"/usr/lib/postgresql/15/bin/pg_ctl", "-D", m_data, "-m", "immediate", "-w", "stop"});
    }

    // A new, empty database on the cluster.
    JournalTarget freshDatabase() {
        const QString name = QStringLiteral("journal_%1").arg(++m_databases);
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase("QPSQL", "pg-admin");
            admin.setHostName(m_socket);
            admin.setPort(port);
            admin.setUserName("moru");
            admin.setDatabaseName("postgres");
            if (admin.open()) QSqlQuery(admin).exec("CREATE DATABASE " + name);
            admin.close();
        }
        QSqlDatabase::removeDatabase("pg-admin");
        JournalTarget t;
        t.server = m_socket;
        t.port = port;
        t.database = name;
        t.user = "moru";
        return t;
    }

    QString why() const { return m_why; }
    static constexpr int port = 5432;

private:
    bool fail(const QString& why) {
        m_why = why;
        return false;
    }
    bool run(QStringList command) {
        command = m_prefix + command;
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(command.takeFirst(), command);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return fail("cannot start PostgreSQL: " +
                        QString::fromLocal8Bit(p.readAllStandardError()).trimmed() + " " + p.errorString());
        return true;
    }

    QTemporaryDir m_dir;
    QString m_data;
    QString m_socket;
    QStringList m_prefix;
    QString m_why;
    bool m_started = false;
    int m_databases = 0;
};

}  // namespace js
