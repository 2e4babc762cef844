#include "app_startup.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTranslator>

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

bool installQtChineseTranslation(const QString& directory) {
    const QString folder =
        directory.isEmpty() ? QLibraryInfo::location(QLibraryInfo::TranslationsPath) : directory;
    // The exact file: a looser lookup could settle for another language's catalogue.
    const QString path = folder + QStringLiteral("/qtbase_zh_CN.qm");
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!QFile::exists(path) || !translator->load(path)) {
        delete translator;
        qWarning() << "can not load Qt translation" << path;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
