#include "app_startup.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    const AppPaths& paths = appPaths();
    // The state folder first: the log handler creates only the last level of its folder.
    if (paths.installed) QDir().mkpath(paths.stateDir);
    setLogDirectory(paths.logDir);
    qInstallMessageHandler(logMessageHandler);
    installCrashDumpHandler(paths.dumpDir.isEmpty() ? nullptr : QFile::encodeName(paths.dumpDir).constData());
    QCoreApplication::setApplicationName(APP_NAME);
    prepareUserFolders(paths);
}

bool asksForInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--version" || arg == "--help") return true;
    }
    return false;
}

QString commandLineAnswer(const QStringList& arguments, const AppPaths& paths) {
    for (const QString& arg : arguments.mid(1)) {
        if (arg == QLatin1String("--version")) return APP_TITLE + QLatin1Char('\n');
        if (arg != QLatin1String("--help")) continue;
        const QString logDir = paths.logDir.isEmpty() ? QStringLiteral("工作目录下的 log/") : paths.logDir;
        const QString dumpDir = paths.dumpDir.isEmpty() ? QStringLiteral("工作目录") : paths.dumpDir;
        return QStringLiteral(
                   "%1 证券交易终端\n"
                   "用法: %2 [--version | --help]\n"
                   "  --version  显示版本\n"
                   "  --help     显示本说明\n"
                   "配置文件夹: %3\n"
                   "日志文件夹: %4\n"
                   "崩溃转储: %5\n")
            .arg(APP_TITLE, QFileInfo(arguments.value(0)).fileName(), paths.configDir, logDir, dumpDir);
    }
    return QString();
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
