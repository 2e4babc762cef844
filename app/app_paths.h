#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Where the terminal keeps its files. Run from its build folder (config/ beside the executable) it
// reads config/ there, logs under log/ of the working directory and drops crash dumps into the working
// directory. Installed as a package it cannot write beside itself: configuration lives in the user's
// XDG config folder, seeded from the shipped defaults, and log and dumps in the XDG state folder.
struct AppPaths {
    bool installed = false;
    QString configDir;    // the folder that stands for config/ beside the executable
    QString defaultsDir;  // installed: the shipped configuration copied into configDir
    QString stateDir;     // installed: holds log/ and the crash dumps
    QString logDir;       // empty: log/ under the working directory
    QString dumpDir;      // empty: the working directory
};

// Installed means: no config/ beside the executable, and the shipped defaults where the install
// tree puts them relative to it (`defaultsRelative`, e.g. ../../share/moru-desk/config).
AppPaths decideAppPaths(const QString& exeDir, const QString& defaultsRelative,
                        const QProcessEnvironment& env);

// The decision for this process, taken once (needs the application object).
const AppPaths& appPaths();

// A configuration path as the shared constants spell it ("/config/api_config.txt") resolved
// into the chosen config folder.
QString configFilePath(const QString& constantPath);
QString configFilePath(const AppPaths& paths, const QString& constantPath);

// Creates the config and state folders and copies every shipped default the user does not have
// yet; a file the user has is never touched. Returns the names copied. Does nothing from a build
// folder.
QStringList prepareUserFolders(const AppPaths& paths);
