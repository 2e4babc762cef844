#include "utils/rsp_error_text.h"

#include "utils/error_msg.h"

QString rspErrorText(const CMoruRspInfo& info) {
    return idErrorText(info.ErrorID, ErrorMsg::instance()->getErrorMsg(info));
}

QString idErrorText(quint32 errorId, const QString& text) {
    // One substitution: a "%1" in the counter's text stays as it is.
    return QStringLiteral("[%0]%1").arg(QString::number(errorId), text);
}
