#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class QThread;
class QueryWindow;
class QuotesTcpClient;

// Owned by the workspace: the quote client with the thread it runs on, and the query pages by name.
class QueryWindowsManager : public QObject {
    Q_OBJECT
public:
    // An empty path means the program's own config/moru_bot_config.ini.
    explicit QueryWindowsManager(QObject* parent = nullptr, const QString& quoteConfigPath = QString());
    ~QueryWindowsManager() override;

    void registerWindow(const QString& name, QueryWindow* page);
    QueryWindow* window(const QString& name) const { return mWindows.value(name, nullptr); }
    QuotesTcpClient* quotesClient() const { return mQuotesClient; }
    QThread* workerThread() const { return mThread; }

    // Moves the quote client to the worker thread and starts it there.
    void start();

private:
    QMap<QString, QueryWindow*> mWindows;  // not owned
    QThread* mThread;
    QuotesTcpClient* mQuotesClient;
};
