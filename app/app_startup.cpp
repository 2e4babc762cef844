#include "app_startup.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QTextStream>

#include "constants.h"
#include "log_handler.h"
#include "platform/crash_dump.h"

QString getVersion() {
    QString version;
    QFile file(QCoreApplication::applicationDirPath() + VERSION_FILE_PATH);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        version = stream.readLine();
        file.close();
    }
    qInfo() << "version : " << version;
    return version;
}

QString windowTitleFor(const QString& version) {
    if (version.isEmpty()) return APP_TITLE;
    return QStringLiteral("%0 %1").arg(APP_NAME, version);
}

void prepareApplication() {
    qInstallMessageHandler(logMessageHandler);
    installCrashDumpHandler();
    QCoreApplication::setApplicationName(APP_NAME);
}
