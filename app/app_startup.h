#pragma once

#include <QString>

// First line of version.txt beside the executable, or empty. Logs what it found.
QString getVersion();

// "Moru-Desk <version>", or the built-in title when the version is empty.
QString windowTitleFor(const QString& version);

// Start-up after the application object exists and before the main window: the log handler, the
// crash-dump handler, the application name.
void prepareApplication();

// Installs Qt's own Chinese translation (qtbase_zh_CN.qm from `directory`, by default Qt's
// translations folder), so the standard buttons of message boxes and dialogs read in Chinese.
// Without the file nothing changes: a warning is logged and false returned.
bool installQtChineseTranslation(const QString& directory = QString());
