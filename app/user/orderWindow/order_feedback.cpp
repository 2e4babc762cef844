#include "user/orderWindow/order_feedback.h"

#include <QDebug>

#include "utils/dialog_seam.h"
#include "utils/error_msg.h"

bool confirmTrade() {
    return DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"),
                              QStringLiteral("是否确认交易"),
                              {QStringLiteral("确认"), QStringLiteral("取消")}) == 0;
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

void reportResponse(const CMoruRspInfo& info, const QString& successText, const QString& failurePrefix) {
    if (info.ErrorID != 0) {
        const QString text = failureText(failurePrefix, info);
        qWarning() << text;
        DialogSeam::warning(QStringLiteral("失败"), text);
        return;
    }
    qInfo() << successText;
    DialogSeam::information(QStringLiteral("成功"), successText);
}

QString orderReturnLogText(const QString& returnText, const CMoruRspInfo& info) {
    if (info.ErrorID == 0) return returnText + QStringLiteral("交易成功");
    return failureText(returnText + QStringLiteral("交易失败"), info);
}
