// The history tab: a range and a kind asked of the journal, rows in blocks of 10,000, the full export,
// and the tab itself only while a journal records.
#include <QComboBox>
#include <QDateEdit>
#include <QTabWidget>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_push_button.h"
#include "journal/history_rows.h"
#include "journal/journal.h"
#include "journal/journal_schema.h"
#include "journal/journal_store.h"
#include "journal_support.h"
#include "user/queryWindow/history_widget.h"
#include "user/user_widget.h"

class TestHistoryWidget : public QObject {
    Q_OBJECT
private:
    static constexpr int kFills = 10005;
    const QDate m_day{2026, 2, 10};

    void search(HistoryWidget& page, HistoryQuery::Kind kind) {
        page.kindBox()->setCurrentIndex(HistoryRows::kinds().indexOf(kind));
        page.searchButton()->click();
        QVERIFY(!page.searchButton()->isEnabled());
        // Ten thousand fills through FIFO: a sanitizer build needs more than the usual ten seconds.
        QElapsedTimer waited;
        waited.start();
        while (!page.searchButton()->isEnabled() && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QVERIFY(page.searchButton()->isEnabled());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        JournalConfig config;
        config.target.sqlitePath = m_dir.filePath("journal.sqlite");
        JournalStore store(QStringLiteral("seed"));
        QCOMPARE(store.open(config.target, JournalSchema::latestVersion()), JournalStore::OpenResult::Opened);
        JournalBatch batch;
        for (int i = 0; i < kFills; ++i) {
            JournalTrade t;
            t.scope = {"10880001", "1", m_day.toString(Qt::ISODate)};
            t.key = QString::number(i);
            t.securityId = "600000";
            t.side = i % 2 ? "2" : "1";
            t.qty = 100;
            t.price = 10 + (i % 2);
            t.tradeTime = QStringLiteral("%1").arg(90000000 + i, 9, 10, QLatin1Char('0'));
            batch.trades << t;
        }
        QVERIFY(store.write(batch));
        store.close();
        Journal::instance()->setSession("10880001", '1');
        QVERIFY(Journal::instance()->start(config));
    }

    void cleanupTestCase() { Journal::instance()->stop(); }

    void fillsShowInBlocksAndExportWhole() {
        qps::Dialogs dialogs;
        dialogs.savePath = m_dir.filePath("history.csv");
        HistoryWidget page;
        page.fromEdit()->setDate(m_day.addDays(-3));
        page.toEdit()->setDate(m_day);
        search(page, HistoryQuery::Trades);
        BaseTableWidget* table = page.tableWidget();
        QCOMPARE(table->rowCount(), HistoryWidget::ROWS_PER_BLOCK);
        QVERIFY(page.moreButton()->isEnabled());
        QCOMPARE(page.headerLabels(), HistoryRows::titles(HistoryQuery::Trades));
        QCOMPARE(qps::rowTexts(*table, 1).mid(0, 7),
                 QStringList({"2026-02-10", "", "600000", "卖", "11.000", "100", "1100.00"}));
        page.moreButton()->click();
        QCOMPARE(table->rowCount(), kFills);
        QVERIFY(!page.moreButton()->isEnabled());

        page.exportAllToCsv();
        const QList<QByteArray> lines = qps::readFile(dialogs.savePath).split('\n');
        QVERIFY(lines.first().startsWith("\xEF\xBB\xBF" +
                                         HistoryRows::titles(HistoryQuery::Trades).join(',').toUtf8()));
        QCOMPARE(lines.size(), kFills + 2);  // header, rows, the empty rest after the last line end
        QCOMPARE(dialogs.texts(), QStringList({"成功/文件写入成功"}));
    }

    void aRangeWithoutRecordsShowsNothing() {
        HistoryWidget page;
        page.fromEdit()->setDate(m_day.addDays(1));
        page.toEdit()->setDate(m_day.addDays(5));
        search(page, HistoryQuery::Orders);
        QCOMPARE(page.tableWidget()->rowCount(), 0);
        QVERIFY(!page.moreButton()->isEnabled());
    }

    void profitSaysHowItIsCounted() {
        HistoryWidget page;
        page.fromEdit()->setDate(m_day);
        page.toEdit()->setDate(m_day);
        search(page, HistoryQuery::ProfitByCode);
        QCOMPARE(page.tableWidget()->rowCount(), 1);
        // 5,002 sales at 11 against buys at 10.
        QCOMPARE(page.tableWidget()->item(0, 5)->text(), QStringLiteral("500200.00"));
        QVERIFY(page.tableWidget()->toolTip().contains(QStringLiteral("先进先出")));
        QVERIFY(page.kindBox()->toolTip().contains(QStringLiteral("先进先出")));
    }

    void theWorkspaceHasTheTabOnlyWhileAJournalRecords() {
        js::armCallbacks();
        {
            UserWidget w;
            w.buildWorkspace();
            QVERIFY(w.tabWidget()->count() >= 4);
            QCOMPARE(w.tabWidget()->tabText(3), QStringLiteral("历史查询"));
        }
        Journal::instance()->stop();
        {
            UserWidget w;
            w.buildWorkspace();
            for (int i = 0; i < w.tabWidget()->count(); ++i)
                QVERIFY(w.tabWidget()->tabText(i) != QStringLiteral("历史查询"));
        }
        qps::Dialogs dialogs;
        HistoryWidget page;
        page.searchButton()->click();
        QVERIFY(qps::deliver([&] { return !dialogs.boxes.isEmpty(); }));
        QCOMPARE(dialogs.texts(), QStringList({"错误/历史记录查询出错"}));
        QVERIFY(page.searchButton()->isEnabled());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestHistoryWidget)
#include "test_history_widget.moc"
