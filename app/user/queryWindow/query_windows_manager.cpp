#include "user/queryWindow/query_windows_manager.h"

#include <QThread>

#include "platform/crash_dump.h"
#include "user/queryWindow/stockQuotes/quotes_tcp_client.h"

QueryWindowsManager::QueryWindowsManager(QObject* parent, const QString& quoteConfigPath)
    : QObject(parent), mThread(new QThread), mQuotesClient(new QuotesTcpClient(nullptr, quoteConfigPath)) {}

QueryWindowsManager::~QueryWindowsManager() {
    // The client is deleted on its own thread as the thread's loop ends; then the thread goes.
    mQuotesClient->deleteLater();
    mQuotesClient = nullptr;
    mThread->quit();
    mThread->wait();
    mThread->deleteLater();
    mWindows.clear();
}

void QueryWindowsManager::registerWindow(const QString& name, QueryWindow* page) {
    mWindows.insert(name, page);
}

void QueryWindowsManager::start() {
    // Connected before the thread starts, so both run on the worker thread, the signal stack first.
    connect(mThread, &QThread::started, mThread, &installCrashDumpStackForThread, Qt::DirectConnection);
    connect(mThread, &QThread::started, mQuotesClient, &QuotesTcpClient::slot_start);
    mQuotesClient->moveToThread(mThread);
    mThread->start(QThread::InheritPriority);
}
