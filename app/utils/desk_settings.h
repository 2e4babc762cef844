#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>

// Our own switches and values for what the terminal adds beyond its original behaviour, kept apart
// from the configuration files it has always read: moru-desk.ini in the same folder, sections [live], [keys],
// [checks], [journal]. A missing file means defaults; a value that cannot be read means its default
// and one log line naming the key. GUI thread only.
class DeskSettings {
public:
    static DeskSettings& instance();

    // The file beside the other configuration files.
    static QString defaultPath();

    // Reads the file (again); a missing or unreadable file leaves every value at its default.
    void load(const QString& path = defaultPath());
    // For tests and for a running program that changes a value: takes effect at once, not saved.
    void set(const QString& key, const QVariant& value);

    bool flag(const QString& key, bool fallback) const;
    int integer(const QString& key, int fallback, int lowest, int highest) const;
    double number(const QString& key, double fallback, double lowest, double highest) const;
    QString text(const QString& key, const QString& fallback) const;

private:
    DeskSettings() = default;
    QString raw(const QString& key, bool& present) const;
    void noteBad(const QString& key) const;

    QHash<QString, QString> m_values;
    mutable QSet<QString> m_reported;
};
