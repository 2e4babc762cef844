#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QVector>
#include <QtGlobal>

// Collects the Qt messages written while it is installed, from any thread.
class CapturedLog {
public:
    struct Line {
        QtMsgType type;
        QString text;
        QString function;  // the logging function's signature, from the message context
    };

    static void install() {
        clear();
        qInstallMessageHandler(&CapturedLog::handler);
    }
    static void uninstall() { qInstallMessageHandler(nullptr); }

    static void clear() {
        QMutexLocker lock(&mutex());
        lines().clear();
    }
    static QVector<Line> all() {
        QMutexLocker lock(&mutex());
        return lines();
    }
    static QStringList texts() {
        QStringList out;
        for (const Line& line : all()) out << line.text;
        return out;
    }
    static int count(const QString& text) { return texts().count(text); }
    static bool has(QtMsgType type, const QString& text) {
        for (const Line& line : all()) {
            if (line.type == type && line.text == text) return true;
        }
        return false;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        QMutexLocker lock(&mutex());
        lines().append({type, text, QString::fromLatin1(context.function)});
    }
    static QMutex& mutex() {
        static QMutex m;
        return m;
    }
    static QVector<Line>& lines() {
        static QVector<Line> l;
        return l;
    }
};
