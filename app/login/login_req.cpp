#include "login/login_req.h"

#include <QDebug>

#include "app_paths.h"
#include "constants.h"
#include "moru_securities_api.h"
#include "utils/api_client_utils.h"
#include "utils/api_state.h"

LoginReq::LoginReq(QObject* parent) : QObject(parent) {}

void LoginReq::slotReqLogin(const QString& account, const QString& password, int node, char market) {
    dataReadyCount = 0;
    apiDataReady = false;

    const int created = createTraderApi(entryNo);
    if (created == -1) {
        emit signalReqLoginStatus(LoginEntryOutOfRange);
        release(entryNo);
        return;
    }
    if (created == -2) {
        emit signalReqLoginStatus(LoginEntryAlreadyMade);
        release(entryNo);
        return;
    }

    CMoruTraderSpi table = ApiClientUtils::callbackTable();
    registerSpi(table, entryNo);

    const QByteArray accountBytes = account.toLatin1();
    const QByteArray passwordBytes = password.toLatin1();
    const QByteArray configPath = configFilePath(API_CONFIG_PATH).toUtf8();
    const int requestId = takeRequestId();
    const int ret = reqLogin(configPath.constData(), accountBytes.constData(), passwordBytes.constData(),
                             entryNo, node, market, requestId);
    if (ret != 0) {
        qInfo() << "login ret is: " << ret;
        emit signalReqLoginStatus(LoginNotSent);
        release(entryNo);
    }
}

void LoginReq::slotRelease() {
    release(entryNo);
}
