#include "utils/desk_settings.h"

#include <QDebug>
#include <QFileInfo>
#include <QSettings>
#include <cmath>

#include "app_paths.h"

DeskSettings& DeskSettings::instance() {
    static DeskSettings settings = [] {
        DeskSettings first;
        first.load();
        return first;
    }();
    return settings;
}

QString DeskSettings::defaultPath() {
    // Where the other configuration files are, installed or not.
    return configFilePath(QStringLiteral("/config/moru-desk.ini"));
}

void DeskSettings::load(const QString& path) {
    m_values.clear();
    m_reported.clear();
    if (!QFileInfo::exists(path)) {
        qInfo() << "moru-desk.ini not found, defaults used:" << path;
        return;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        qWarning() << "moru-desk.ini cannot be read, defaults used:" << path;
        return;
    }
    for (const QString& key : file.allKeys()) {
        const QVariant value = file.value(key);
        // A value with a comma comes back as a list; keep what was written.
        m_values.insert(key, value.type() == QVariant::StringList
                                 ? value.toStringList().join(QLatin1Char(','))
                                 : value.toString());
    }
}

void DeskSettings::set(const QString& key, const QVariant& value) {
    m_values.insert(key, value.toString());
}

QString DeskSettings::raw(const QString& key, bool& present) const {
    const auto it = m_values.constFind(key);
    present = it != m_values.cend();
    return present ? it.value().trimmed() : QString();
}

void DeskSettings::noteBad(const QString& key) const {
    if (m_reported.contains(key)) return;
    m_reported.insert(key);
    qWarning() << "moru-desk.ini: value of" << key << "cannot be read, default used";
}

bool DeskSettings::flag(const QString& key, bool fallback) const {
    bool present = false;
    const QString value = raw(key, present).toLower();
    if (!present) return fallback;
    if (value == QLatin1String("true") || value == QLatin1String("on") || value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("false") || value == QLatin1String("off") || value == QLatin1String("0"))
        return false;
    noteBad(key);
    return fallback;
}

int DeskSettings::integer(const QString& key, int fallback, int lowest, int highest) const {
    bool present = false;
    const QString value = raw(key, present);
    if (!present) return fallback;
    bool ok = false;
    const int n = value.toInt(&ok);
    if (ok && n >= lowest && n <= highest) return n;
    noteBad(key);
    return fallback;
}

double DeskSettings::number(const QString& key, double fallback, double lowest, double highest) const {
    bool present = false;
    const QString value = raw(key, present);
    if (!present) return fallback;
    bool ok = false;
    const double n = value.toDouble(&ok);
    if (ok && std::isfinite(n) && n >= lowest && n <= highest) return n;
    noteBad(key);
    return fallback;
}

QString DeskSettings::text(const QString& key, const QString& fallback) const {
    bool present = false;
    const QString value = raw(key, present);
    return present ? value : fallback;
}
