#pragma once

#include <QString>
#include <QStringList>

#include "app_paths.h"

// First line of version.txt beside the executable, or empty. Logs what it found.
QString getVersion();

// "Moru-Desk <version>", or the built-in title when the version is empty.
QString windowTitleFor(const QString& version);

// Start-up after the application object exists and before the main window: the log handler, the
// crash-dump handler, the application name; installed, the user's folders and their default files.
void prepareApplication();

// Whether the command line asks only for --version or --help, answered before any window (and so
// without a display).
bool asksForInformation(int argc, char** argv);

// The text printed for --version or --help among `arguments` (the program's name first); empty
// when neither is there. The help names the folders `paths` chose.
QString commandLineAnswer(const QStringList& arguments, const AppPaths& paths);

// Installs Qt's own Chinese translation (qtbase_zh_CN.qm from `directory`, by default Qt's
// translations folder), so the standard buttons of message boxes and dialogs read in Chinese.
// Without the file nothing changes: a warning is logged and false returned.
bool installQtChineseTranslation(const QString& directory = QString());
