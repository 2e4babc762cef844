#include "journal/history_rows.h"

#include "journal/daily_statement.h"
#include "journal/realised_profit.h"
#include "utils/utils.h"

namespace HistoryRows {

namespace {
char code(const QString& text) {
    return text.isEmpty() ? '\0' : text.at(0).toLatin1();
}

// A code the counter left empty shows empty, without asking the converter (which logs unknown codes).
QString convert(QString (*converter)(char), const QString& text) {
    return text.isEmpty() ? QString() : converter(code(text));
}

QString timeText(const QString& hhmmsszzz) {
    const QByteArray bytes = hhmmsszzz.toLatin1();
    return Utils::TimeStringConvert(bytes.constData(), bytes.size());
}

QString money(double value) {
    return QString::number(value, 'f', 2);
}

QString price(double value) {
    return QString::number(value, 'f', 3);
}

QString feeText(bool known, double fee) {
    return known ? money(fee) : QString();
}

QString fundKindText(JournalFundMove::Kind kind) {
    switch (kind) {
        case JournalFundMove::Deposit:
            return QStringLiteral("入金");
        case JournalFundMove::Withdrawal:
            return QStringLiteral("出金");
        case JournalFundMove::Transfer:
            break;
    }
    return QStringLiteral("调拨");
}

QStringList orderRow(const JournalOrder& o) {
    return {o.scope.day,
            o.orderNo.isEmpty() ? QString::number(o.orderSysId) : o.orderNo,
            o.securityId,
            convert(&Utils::TMoruSideTypeConvert, o.side),
            price(o.limitPrice),
            QString::number(o.orderQty),
            convert(&Utils::TMoruOrderTypeTypeConvert, o.orderType),
            convert(&Utils::TMoruOrderStatusTypeConvert, o.orderStatus),
            Utils::TMoruMsgKindConvert(char(o.msgKind)),
            QString::number(o.tradeQty),
            QString::number(o.leavesQty),
            money(o.tradeAmount),
            QString::number(o.errorCode),
            timeText(o.recvTime)};
}

QStringList tradeRow(const JournalTrade& t) {
    return {t.scope.day,
            t.orderNo,
            t.securityId,
            convert(&Utils::TMoruSideTypeConvert, t.side),
            price(t.price),
            QString::number(t.qty),
            money(double(t.qty) * t.price),
            QString::number(t.leavesQty),
            timeText(t.tradeTime),
            convert(&Utils::TMoruOrderTypeTypeConvert, t.orderType),
            feeText(t.hasFee, t.fee)};
}

QStringList fundRow(const JournalFundMove& f) {
    const bool transfer = f.kind == JournalFundMove::Transfer;
    QString direction;
    if (transfer && f.direction == QLatin1String("1"))
        direction = QStringLiteral("上交柜台调往深交柜台");
    else if (transfer && f.direction == QLatin1String("2"))
        direction = QStringLiteral("深交柜台调往上交柜台");
    return {f.scope.day,
            fundKindText(f.kind),
            f.orgCode,
            money(f.amount),
            direction,
            transfer ? QString::number(f.errorCode) : QString(),
            transfer ? convert(&Utils::TMoruBtTransferStatusTypeConvert, f.status) : QString(),
            transfer ? timeText(f.operTime) : f.operTime};
}

QStringList statementRow(const StatementLine& s) {
    if (s.closing) {
        return {s.day,
                QStringLiteral("当日合计"),
                QString(),
                QString(),
                QString(),
                QString(),
                money(s.buys + s.sells),
                feeText(s.hasFee, s.fee),
                money(s.cash),
                money(s.deposits),
                money(s.withdrawals),
                money(s.transfers),
                QString()};
    }
    const JournalTrade& t = *s.fill;
    return {s.day,
            timeText(t.tradeTime),
            t.securityId,
            convert(&Utils::TMoruSideTypeConvert, t.side),
            QString::number(t.qty),
            price(t.price),
            money(s.amount),
            feeText(s.hasFee, s.fee),
            money(s.cash),
            QString(),
            QString(),
            QString(),
            t.orderNo};
}

QStringList profitRow(const ProfitLine& p, bool byDay) {
    return {byDay ? p.day : p.code,
            QString::number(p.soldQty),
            money(p.proceeds),
            money(p.cost),
            money(p.fees),
            money(p.profit),
            QString::number(p.unmatchedQty)};
}
}  // namespace

QVector<HistoryQuery::Kind> kinds() {
    return {HistoryQuery::Orders,    HistoryQuery::Trades,      HistoryQuery::Funds,
            HistoryQuery::Statement, HistoryQuery::ProfitByDay, HistoryQuery::ProfitByCode};
}

QString kindName(HistoryQuery::Kind kind) {
    switch (kind) {
        case HistoryQuery::Orders:
            return QStringLiteral("委托");
        case HistoryQuery::Trades:
            return QStringLiteral("成交");
        case HistoryQuery::Funds:
            return QStringLiteral("资金");
        case HistoryQuery::Statement:
            return QStringLiteral("交割单");
        case HistoryQuery::ProfitByDay:
            return QStringLiteral("按日盈亏");
        case HistoryQuery::ProfitByCode:
            break;
    }
    return QStringLiteral("按代码盈亏");
}

QStringList titles(HistoryQuery::Kind kind) {
    const QStringList profit = {QStringLiteral("卖出数量"),   QStringLiteral("卖出金额"),
                                QStringLiteral("成本"),       QStringLiteral("费用"),
                                QStringLiteral("已实现盈亏"), QStringLiteral("无成本数量")};
    switch (kind) {
        case HistoryQuery::Orders:
            return {QStringLiteral("交易日"),   QStringLiteral("报单编号"),    QStringLiteral("证券代码"),
                    QStringLiteral("方向"),     QStringLiteral("报单价格"),    QStringLiteral("报单数量"),
                    QStringLiteral("报单类型"), QStringLiteral("报单状态"),    QStringLiteral("报撤单"),
                    QStringLiteral("成交数量"), QStringLiteral("未成交数量"),  QStringLiteral("成交金额"),
                    QStringLiteral("错误码"),   QStringLiteral("请求接收时间")};
        case HistoryQuery::Trades:
            return {QStringLiteral("交易日"),   QStringLiteral("报单编号"),   QStringLiteral("证券代码"),
                    QStringLiteral("方向"),     QStringLiteral("成交价格"),   QStringLiteral("成交数量"),
                    QStringLiteral("成交金额"), QStringLiteral("未成交数量"), QStringLiteral("成交时间"),
                    QStringLiteral("报单类型"), QStringLiteral("费用")};
        case HistoryQuery::Funds:
            return {QStringLiteral("交易日"),   QStringLiteral("类别"),         QStringLiteral("机构代码"),
                    QStringLiteral("金额"),     QStringLiteral("资金调拨方向"), QStringLiteral("错误码"),
                    QStringLiteral("操作结果"), QStringLiteral("操作时间")};
        case HistoryQuery::Statement:
            return {QStringLiteral("交易日"),   QStringLiteral("成交时间"), QStringLiteral("证券代码"),
                    QStringLiteral("方向"),     QStringLiteral("成交数量"), QStringLiteral("成交价格"),
                    QStringLiteral("成交金额"), QStringLiteral("费用"),     QStringLiteral("发生金额"),
                    QStringLiteral("入金"),     QStringLiteral("出金"),     QStringLiteral("调拨"),
                    QStringLiteral("报单编号")};
        case HistoryQuery::ProfitByDay:
            return QStringList{QStringLiteral("交易日")} + profit;
        case HistoryQuery::ProfitByCode:
            break;
    }
    return QStringList{QStringLiteral("证券代码")} + profit;
}

QVector<QStringList> rows(const HistoryAnswer& answer) {
    QVector<QStringList> out;
    const HistoryQuery& q = answer.query;
    switch (q.kind) {
        case HistoryQuery::Orders:
            for (const JournalOrder& o : answer.orders) out.append(orderRow(o));
            break;
        case HistoryQuery::Trades:
            for (const JournalTrade& t : answer.trades) out.append(tradeRow(t));
            break;
        case HistoryQuery::Funds:
            for (const JournalFundMove& f : answer.funds) out.append(fundRow(f));
            break;
        case HistoryQuery::Statement:
            for (const StatementLine& s : DailyStatement::build(answer.trades, answer.funds, q.market))
                out.append(statementRow(s));
            break;
        case HistoryQuery::ProfitByDay:
        case HistoryQuery::ProfitByCode: {
            const bool byDay = q.kind == HistoryQuery::ProfitByDay;
            const QVector<ProfitLine> sales = RealisedProfit::perSale(answer.trades, q.from, q.to);
            for (const ProfitLine& p : byDay ? RealisedProfit::byDay(sales) : RealisedProfit::byCode(sales))
                out.append(profitRow(p, byDay));
            break;
        }
    }
    return out;
}

QString profitRule() {
    return QStringLiteral(
        "已实现盈亏按先进先出计算：每笔卖出依次冲抵同一代码最早的买入，成本为买入价加已知费用；"
        "记录开始前已有的持仓没有成本，卖出时计入无成本数量，不计盈亏；只计买入和卖出。");
}

}  // namespace HistoryRows
