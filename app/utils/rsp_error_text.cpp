#include "utils/rsp_error_text.h"

#include "utils/error_msg.h"

QString rspErrorText(const CMoruRspInfo& info) {
    return QStringLiteral("[%0]%1").arg(QString::number(info.ErrorID),
                                        ErrorMsg::instance()->getErrorMsg(info));
}
