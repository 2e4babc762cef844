#include "user/orderWindow/order_feedback.h"

#include <QDebug>
#include <QStringList>

#include "utils/dialog_seam.h"
#include "utils/error_msg.h"

bool confirmTrade(const QString& detail) {
    return DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"),
                              QStringLiteral("是否确认交易"),
                              {QStringLiteral("确认"), QStringLiteral("取消")}, detail) == 0;
}

QString tradeDetailText(const QString& code, const QString& name, char side, const QString& typeText,
                        qint64 quantity, double price) {
    const QString sideText = side == '1'   ? QStringLiteral("买")
                             : side == '2' ? QStringLiteral("卖")
                             : side == '3' ? QStringLiteral("申购")
                             : side == '4' ? QStringLiteral("赎回")
                                           : QString();
    const bool priced = price > 0;
    const QStringList lines = {
        QStringLiteral("代码: %1").arg(code),
        QStringLiteral("名称: %1").arg(name),
        QStringLiteral("方向: %1").arg(sideText),
        QStringLiteral("报单类型: %1").arg(typeText),
        QStringLiteral("数量: %1").arg(quantity),
        QStringLiteral("价格: %1").arg(priced ? QString::number(price, 'f', 3) : QStringLiteral("-")),
        QStringLiteral("金额: %1")
            .arg(priced ? QString::number(price * double(quantity), 'f', 2) : QStringLiteral("-")),
    };
    return lines.join(QLatin1Char('\n'));
}

void reportNotSent(const QString& logText) {
    qWarning() << logText;
    DialogSeam::warning(QStringLiteral("错误"), QStringLiteral("出错"));
}

QString failureText(const QString& failurePrefix, const CMoruRspInfo& info) {
    // One pass of arg(): a % in the counter's text stays as it is.
    return QStringLiteral("%1[%2]%3")
        .arg(failurePrefix, QString::number(quint32(info.ErrorID)), ErrorMsg::instance()->getErrorMsg(info));
}

void reportResponse(const void* owner, const CMoruRspInfo& info, const QString& successText,
                    const QString& failurePrefix) {
    if (info.ErrorID != 0) {
        const QString text = failureText(failurePrefix, info);
        qWarning() << text;
        DialogSeam::warningFor(owner, QStringLiteral("失败"), text);
        return;
    }
    qInfo() << successText;
    DialogSeam::informationFor(owner, QStringLiteral("成功"), successText);
}

QString orderReturnLogText(const QString& returnText, const CMoruRspInfo& info) {
    if (info.ErrorID == 0) return returnText + QStringLiteral("交易成功");
    return failureText(returnText + QStringLiteral("交易失败"), info);
}
