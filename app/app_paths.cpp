#include "app_paths.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kFolderName = QStringLiteral("moru-desk");
const QString kConfigPrefix = QStringLiteral("/config");

// An XDG base folder: the variable when it holds an absolute path, else the fallback under HOME.
QString xdgBase(const QProcessEnvironment& env, const QString& variable, const QString& underHome) {
    const QString value = env.value(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
    QString home = env.value(QStringLiteral("HOME"));
    if (home.isEmpty()) home = QDir::homePath();
    return QDir::cleanPath(home + QLatin1Char('/') + underHome);
}

}  // namespace

AppPaths decideAppPaths(const QString& exeDir, const QString& defaultsRelative,
                        const QProcessEnvironment& env) {
    AppPaths paths;
    const QString besideExe = exeDir + kConfigPrefix;
    const QString shipped = QDir::cleanPath(exeDir + QLatin1Char('/') + defaultsRelative);
    paths.installed =
        !defaultsRelative.isEmpty() && !QFileInfo(besideExe).exists() && QFileInfo(shipped).isDir();
    if (!paths.installed) {
        paths.configDir = besideExe;
        return paths;
    }
    paths.defaultsDir = shipped;
    paths.configDir =
        xdgBase(env, QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral(".config")) + '/' + kFolderName;
    paths.stateDir =
        xdgBase(env, QStringLiteral("XDG_STATE_HOME"), QStringLiteral(".local/state")) + '/' + kFolderName;
    paths.logDir = paths.stateDir + QStringLiteral("/log");
    paths.dumpDir = paths.stateDir;
    return paths;
}

const AppPaths& appPaths() {
    static const AppPaths paths =
        decideAppPaths(QCoreApplication::applicationDirPath(), QStringLiteral(MORU_INSTALLED_DEFAULTS),
                       QProcessEnvironment::systemEnvironment());
    return paths;
}

QString configFilePath(const AppPaths& paths, const QString& constantPath) {
    if (constantPath.startsWith(kConfigPrefix + QLatin1Char('/')))
        return paths.configDir + constantPath.mid(kConfigPrefix.size());
    return paths.configDir + constantPath;
}

QString configFilePath(const QString& constantPath) {
    return configFilePath(appPaths(), constantPath);
}

QStringList prepareUserFolders(const AppPaths& paths) {
    QStringList copied;
    if (!paths.installed) return copied;
    if (!QDir().mkpath(paths.stateDir)) qWarning() << "can not create" << paths.stateDir;
    if (!QDir().mkpath(paths.configDir)) {
        qWarning() << "can not create" << paths.configDir;
        return copied;
    }
    const QStringList names = QDir(paths.defaultsDir).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString target = paths.configDir + QLatin1Char('/') + name;
        if (QFileInfo::exists(target)) continue;
        if (!QFile::copy(paths.defaultsDir + QLatin1Char('/') + name, target)) {
            qWarning() << "can not copy the default" << name << "to" << paths.configDir;
            continue;
        }
        // The shipped files are read-only for the user; the copy is theirs to edit.
        QFile(target).setPermissions(QFile(target).permissions() | QFileDevice::WriteOwner);
        copied << name;
    }
    if (!copied.isEmpty()) qInfo() << "default configuration copied to" << paths.configDir << ":" << copied;
    return copied;
}
