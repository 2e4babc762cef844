// Where the terminal keeps its files from a build folder and when installed, the first start of an
// installed copy, and --version/--help without a display.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app_paths.h"
#include "app_startup.h"
#include "constants.h"
#include "log_handler.h"
#include "platform/crash_dump.h"

namespace {

const QString kDefaults = QStringLiteral("../../share/moru-desk/config");

bool writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QProcessEnvironment envOf(const QStringList& pairs) {
    QProcessEnvironment env;
    for (const QString& p : pairs) env.insert(p.section('=', 0, 0), p.section('=', 1));
    return env;
}

// A copy of the installed layout: <root>/usr/lib/moru-desk/Moru-Desk with its library, the shipped
// configuration under <root>/usr/share/moru-desk/config.
QString installInto(const QString& root) {
    const QString lib = root + "/usr/lib/moru-desk";
    const QString share = root + "/usr/share/moru-desk/config";
    QDir().mkpath(lib);
    QDir().mkpath(share);
    const QString bin = QFileInfo(MORU_DESK_PATH).path();
    QFile::copy(MORU_DESK_PATH, lib + "/Moru-Desk");
    QFile::copy(bin + "/libMoruSecuritiesAPI.so", lib + "/libMoruSecuritiesAPI.so");
    for (const QString& name : QDir(MORU_SOURCE_DIR "/app/config/defaults").entryList(QDir::Files))
        QFile::copy(MORU_SOURCE_DIR "/app/config/defaults/" + name, share + "/" + name);
    return lib + "/Moru-Desk";
}

}  // namespace

class TestAppPaths : public QObject {
    Q_OBJECT
private slots:
    void decision_data() {
        QTest::addColumn<bool>("configBeside");
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("config");  // relative to the temporary root
        QTest::addColumn<QString>("state");
        const QString exeConfig = "/usr/lib/moru-desk/config";
        QTest::newRow("build folder") << true << false << QStringList{"HOME=@/h"} << false << exeConfig << "";
        QTest::newRow("config/ beside wins over shipped defaults")
            << true << true << QStringList{"HOME=@/h"} << false << exeConfig << "";
        QTest::newRow("build folder whose config/ is gone")
            << false << false << QStringList{"HOME=@/h"} << false << exeConfig << "";
        QTest::newRow("installed, XDG defaults")
            << false << true << QStringList{"HOME=@/h"} << true << "/h/.config/moru-desk"
            << "/h/.local/state/moru-desk";
        QTest::newRow("installed, XDG folders set")
            << false << true << QStringList{"HOME=@/h", "XDG_CONFIG_HOME=@/c", "XDG_STATE_HOME=@/s/"} << true
            << "/c/moru-desk"
            << "/s/moru-desk";
        QTest::newRow("installed, relative XDG folders ignored")
            << false << true << QStringList{"HOME=@/h", "XDG_CONFIG_HOME=c", "XDG_STATE_HOME=./s"} << true
            << "/h/.config/moru-desk"
            << "/h/.local/state/moru-desk";
    }
    void decision() {
        QFETCH(bool, configBeside);
        QFETCH(bool, shipped);
        QFETCH(QStringList, env);
        QFETCH(bool, installed);
        QFETCH(QString, config);
        QFETCH(QString, state);
        QTemporaryDir root;
        const QString exeDir = root.path() + "/usr/lib/moru-desk";
        QVERIFY(QDir().mkpath(exeDir));
        if (configBeside) QVERIFY(QDir().mkpath(exeDir + "/config"));
        if (shipped) QVERIFY(QDir().mkpath(root.path() + "/usr/share/moru-desk/config"));
        env.replaceInStrings("@", root.path());

        const AppPaths paths = decideAppPaths(exeDir, kDefaults, envOf(env));
        QCOMPARE(paths.installed, installed);
        QCOMPARE(paths.configDir, root.path() + config);
        if (installed) {
            QCOMPARE(paths.defaultsDir, root.path() + "/usr/share/moru-desk/config");
            QCOMPARE(paths.logDir, root.path() + state + "/log");
            QCOMPARE(paths.dumpDir, root.path() + state);
        } else {
            // The usual places: log/ and dumps in the working directory.
            QVERIFY(paths.logDir.isEmpty());
            QVERIFY(paths.dumpDir.isEmpty());
        }
    }

    void firstStartCopiesOnlyWhatIsMissing() {
        QTemporaryDir root;
        AppPaths paths = decideAppPaths(root.path(), "shipped", envOf({"HOME=" + root.path() + "/home"}));
        QVERIFY(!paths.installed);
        QVERIFY(prepareUserFolders(paths).isEmpty());  // a build folder is left alone
        QVERIFY(!QFileInfo::exists(root.path() + "/home"));

        QVERIFY(writeFile(root.path() + "/shipped/a.txt", "shipped a"));
        QVERIFY(writeFile(root.path() + "/shipped/b.json", "shipped b"));
        QFile(root.path() + "/shipped/a.txt").setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther);
        paths = decideAppPaths(root.path(), "shipped", envOf({"HOME=" + root.path() + "/home"}));
        QVERIFY(paths.installed);
        QVERIFY(writeFile(paths.configDir + "/b.json", "mine"));

        QCOMPARE(prepareUserFolders(paths), QStringList{"a.txt"});
        QCOMPARE(readFile(paths.configDir + "/a.txt"), QByteArray("shipped a"));
        QCOMPARE(readFile(paths.configDir + "/b.json"), QByteArray("mine"));
        QVERIFY(QFileInfo(paths.configDir + "/a.txt").isWritable());
        QVERIFY(QFileInfo(paths.stateDir).isDir());
        QVERIFY(prepareUserFolders(paths).isEmpty());
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("answer");  // a regular expression; empty: start normally
        QTest::newRow("no options") << QStringList{"Moru-Desk"} << "";
        QTest::newRow("Qt's own option") << QStringList{"Moru-Desk", "-platform", "offscreen"} << "";
        QTest::newRow("version") << QStringList{"/usr/bin/moru-desk", "--version"}
                                 << "^Moru-Desk \\d+\\.\\d+\n$";
        QTest::newRow("help names the folders")
            << QStringList{"/usr/bin/moru-desk", "--help"}
            << "用法: moru-desk .*--version.*配置文件夹: /c/moru-desk\n日志文件夹: /s/moru-desk/log\n";
        QTest::newRow("first one answers")
            << QStringList{"x", "--version", "--help"} << "^Moru-Desk [^\n]*\n$";
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(QString, answer);
        AppPaths paths;
        paths.installed = true;
        paths.configDir = "/c/moru-desk";
        paths.logDir = "/s/moru-desk/log";
        paths.dumpDir = "/s/moru-desk";
        const QString text = commandLineAnswer(args, paths);
        if (answer.isEmpty())
            QVERIFY2(text.isEmpty(), qPrintable(text));
        else
            QVERIFY2(QRegularExpression(answer, QRegularExpression::DotMatchesEverythingOption)
                         .match(text)
                         .hasMatch(),
                     qPrintable(text));
    }

    void dumpPathJoin_data() {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("expected");  // empty: does not fit
        QTest::newRow("working directory") << QByteArray() << 64 << QByteArray("20261206_093015042.dmp");
        QTest::newRow("state folder") << QByteArray("/home/u/.local/state/moru-desk") << 64
                                      << QByteArray("/home/u/.local/state/moru-desk/20261206_093015042.dmp");
        QTest::newRow("exactly fits") << QByteArray("/d") << 26 << QByteArray("/d/20261206_093015042.dmp");
        QTest::newRow("one byte short") << QByteArray("/d") << 25 << QByteArray();
    }
    void dumpPathJoin() {
        QFETCH(QByteArray, folder);
        QFETCH(int, size);
        QFETCH(QByteArray, expected);
        QByteArray out(size, 'x');
        const bool ok =
            joinCrashDumpPath(out.data(), std::size_t(size), folder.isNull() ? nullptr : folder.constData(),
                              "20261206_093015042.dmp");
        QCOMPARE(ok, !expected.isEmpty());
        QCOMPARE(QByteArray(out.constData()), expected);
    }

    void logGoesToTheChosenFolder() {
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        QCOMPARE(logDirectory(), dir.path() + "/log");
        setLogDirectory(dir.path() + "/state/log");
        QVERIFY(QDir().mkpath(dir.path() + "/state"));
        logMessageHandler(QtInfoMsg, QMessageLogContext("a.cpp", 1, "f", "c"), "chosen");
        setLogDirectory(QString());
        QVERIFY(readFile(logFileName(dir.path() + "/state/log", QDate::currentDate())).contains("chosen"));
        QVERIFY(!QFileInfo::exists(dir.path() + "/log"));
        QCOMPARE(logDirectory(), dir.path() + "/log");
    }

    void versionAndHelpNeedNoDisplay() {
        QProcess proc;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        proc.setProcessEnvironment(env);
        for (const QString& option : {QStringLiteral("--version"), QStringLiteral("--help")}) {
            proc.start(MORU_DESK_PATH, {option});
            QVERIFY(proc.waitForFinished(10000));
            QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
            QCOMPARE(proc.exitCode(), 0);
            QVERIFY(proc.readAllStandardOutput().startsWith(windowTitleFor(QString()).toUtf8()));
        }
    }

    // An installed copy started by a new user: configuration copied, log in the state folder,
    // nothing written beside the program or into the working directory.
    void installedFirstStart() {
        QTemporaryDir root;
        const QString exe = installInto(root.path());
        const QString home = root.path() + "/home";
        const QString work = root.path() + "/work";
        QVERIFY(QDir().mkpath(home) && QDir().mkpath(work));
        QProcess proc;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        env.remove("XDG_CONFIG_HOME");
        env.remove("XDG_STATE_HOME");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        proc.setProcessEnvironment(env);
        proc.setWorkingDirectory(work);
        proc.start(exe, QStringList());
        QVERIFY(proc.waitForStarted(5000));
        const QString config = home + "/.config/moru-desk";
        const QString log = logFileName(home + "/.local/state/moru-desk/log", QDate::currentDate());
        QTRY_VERIFY_WITH_TIMEOUT(readFile(log).contains("version : "), 15000);
        proc.kill();
        proc.waitForFinished(5000);

        QCOMPARE(readFile(config + "/api_config.txt"),
                 readFile(MORU_SOURCE_DIR "/app/config/defaults/api_config.txt"));
        QCOMPARE(QDir(config).entryList(QDir::Files).size(), 4);
        QVERIFY(readFile(log).contains("default configuration copied to"));
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(!QFileInfo::exists(QFileInfo(exe).path() + "/config"));
        QVERIFY(!QFileInfo::exists(QFileInfo(exe).path() + "/log"));
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "test_app_paths.moc"
