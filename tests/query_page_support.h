// Helpers of the query page suites: records delivered from a thread of their own (queued to the page
// as the trading library's are), requests read back from the fake library, boxes and save dialogs
// answered, export files compared with the expected files under tests/data; and the faults every
// paged query page must survive, checked the same way on each.
#pragma once

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "basicControl/base_table_widget.h"
#include "fake_tradeapi/fake_tradeapi.h"
#include "user/queryWindow/paged_query.h"
#include "user/queryWindow/pending_query.h"
#include "user/queryWindow/query_window.h"
#include "utils/dialog_seam.h"
#include "utils/signal_interface.h"

namespace qps {

// Runs `work` on a new thread, as the library runs its callbacks, and waits for it; what it emits is
// queued to the GUI thread.
inline void onLibraryThread(const std::function<void()>& work) {
    std::thread thread(work);
    thread.join();
}

// Lets the queued deliveries run until `done` holds (at most ten seconds).
inline bool deliver(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

inline std::vector<fakeapi::Request> requestsOf(const std::string& function) {
    std::vector<fakeapi::Request> out;
    for (const fakeapi::Request& r : fakeapi::requests())
        if (r.function == function) out.push_back(r);
    return out;
}

// A zero-filled record with `bytes` written at `offset`, to compare requests byte for byte.
class Bytes {
public:
    explicit Bytes(int size) : mBytes(size, '\0') {}
    Bytes& put(int offset, const QByteArray& bytes) {
        mBytes.replace(offset, bytes.size(), bytes);
        return *this;
    }
    template <typename T>
    Bytes& putValue(int offset, T value) {
        return put(offset, QByteArray(reinterpret_cast<const char*>(&value), int(sizeof value)));
    }
    QByteArray bytes() const { return mBytes; }

private:
    QByteArray mBytes;
};

inline QByteArray bytesOf(const fakeapi::Request& request) {
    return QByteArray(reinterpret_cast<const char*>(request.bytes.data()), int(request.bytes.size()));
}

template <typename T>
T zeroed() {
    T record;
    std::memset(&record, 0, sizeof record);
    return record;
}

template <std::size_t N>
void setText(char (&field)[N], const QByteArray& text) {
    std::memcpy(field, text.constData(), qMin(std::size_t(text.size()), N));
}

inline CMoruRspInfo rspInfo(int errorId = 0, const QByteArray& text = QByteArray()) {
    CMoruRspInfo info = zeroed<CMoruRspInfo>();
    info.ErrorID = errorId;
    setText(info.ErrorMsg, text);
    return info;
}

// Every box shown, as "title/text" with its kind; the save dialog answers `savePath`.
class Dialogs {
public:
    Dialogs() {
        DialogSeam::setBoxHandler([this](const DialogSeam::Box& box) {
            boxes << box;
            return onBox ? onBox(box) : QMessageBox::Ok;
        });
        DialogSeam::setSaveHandler(
            [this](const QString&, const QString&, const QString&) { return savePath; });
    }
    ~Dialogs() {
        DialogSeam::setBoxHandler({});
        DialogSeam::setSaveHandler({});
    }
    QStringList texts() const {
        QStringList out;
        for (const DialogSeam::Box& b : boxes) out << b.title + QLatin1Char('/') + b.text;
        return out;
    }

    QList<DialogSeam::Box> boxes;
    QString savePath;
    std::function<QMessageBox::StandardButton(const DialogSeam::Box&)> onBox;
};

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An expected file under tests/data, with the platform's line ends as text mode writes them.
inline QByteArray expectedFile(const QString& name) {
    QByteArray bytes = readFile(QStringLiteral(MORU_SOURCE_DIR "/tests/data/") + name);
#ifdef Q_OS_WIN
    bytes.replace("\n", "\r\n");
#endif
    return bytes;
}

// The cells of a table row as texts; a cell without item reads as a null string.
inline QStringList rowTexts(const QTableWidget& table, int row, int firstColumn = 0) {
    QStringList out;
    for (int c = firstColumn; c < table.columnCount(); ++c) {
        const QTableWidgetItem* item = table.item(row, c);
        out << (item ? item->text() : QString());
    }
    return out;
}

// Drives a paged query page: clicks its search button, reads back the requests it sent and answers
// them through the hub signal the page listens to.
template <typename Record>
class PageDriver {
public:
    using Signal = void (SignalInterface::*)(const Record&, const CMoruRspInfo&, int, bool);

    PageDriver(QueryWindow* page, PagedRecords<Record>* query, QAbstractButton* searchButton,
               std::string function, Signal signal)
        : mPage(page),
          mQuery(query),
          mSearch(searchButton),
          mFunction(std::move(function)),
          mSignal(signal) {}

    PagedRecords<Record>* query() const { return mQuery; }
    QAbstractButton* searchButton() const { return mSearch; }
    int rowCount() const { return mPage->tableWidget()->rowCount(); }
    Signal signal() const { return mSignal; }
    std::vector<fakeapi::Request> requests() const { return requestsOf(mFunction); }

    // Clicks the search button; the request id of the query it sent, -1 when it sent none.
    int search() const {
        const size_t before = requests().size();
        QTest::mouseClick(mSearch, Qt::LeftButton);
        const auto sent = requests();
        return sent.size() > before ? sent.back().requestId : -1;
    }
    int lastRequestId() const {
        const auto sent = requests();
        return sent.empty() ? -1 : sent.back().requestId;
    }

    // Answers `requestId` with the records from a thread of its own, the last one marked last when
    // `endsPage`; returns at once, the answers wait in the page's queue.
    void answer(const QList<Record>& records, int requestId, bool endsPage = true,
                const CMoruRspInfo& info = rspInfo()) const {
        onLibraryThread([&] {
            SignalInterface* hub = SignalInterface::instance();
            for (int i = 0; i < records.size(); ++i)
                emit(hub->*mSignal)(records[i], info, requestId, endsPage && i == records.size() - 1);
        });
    }
    // The same, then lets the page store them all.
    bool feed(const QList<Record>& records, int requestId, bool endsPage = true) const {
        const int expected = mQuery->recordCount() + records.size();
        answer(records, requestId, endsPage);
        return deliver([&] { return mQuery->recordCount() == expected; });
    }
    // One answer on the GUI thread, delivered before this returns.
    void answerHere(const Record& record, int requestId, bool isLast, const CMoruRspInfo& info) const {
        emit(SignalInterface::instance()->*mSignal)(record, info, requestId, isLast);
    }
    // Lets every answer emitted so far reach the page, whether it keeps them or not.
    bool settle() const {
        int arrived = 0;
        QObject context;
        QObject::connect(SignalInterface::instance(), mSignal, &context, [&] { ++arrived; });
        answer({Record()}, -2, true);
        return deliver([&] { return arrived == 1; });
    }

private:
    QueryWindow* mPage;
    PagedRecords<Record>* mQuery;
    QAbstractButton* mSearch;
    std::string mFunction;
    Signal mSignal;
};

// Order and trade records as the last one of a page: whether more pages follow, and from where.
template <typename Record>
QList<Record> paged(QList<Record> records, bool hasMore, int32_t nextPosition) {
    for (Record& r : records) {
        r.HasMore = hasMore ? 1 : 0;
        r.NextPosition = nextPosition;
    }
    return records;
}

template <typename Record>
QList<Record> copies(const Record& record, int count) {
    QList<Record> out;
    for (int i = 0; i < count; ++i) out << record;
    return out;
}

// A storm of refusals, the rest of them arriving while the box of the first one is open (as its event
// loop would deliver them): one box, none opened inside another, the search button back.
template <typename Record>
void checkErrorStorm(const PageDriver<Record>& page, const Record& record) {
    const int storm = 10000;
    const CMoruRspInfo refused = rspInfo(5001, "busy");
    Dialogs dialogs;
    int open = 0, deepest = 0;
    dialogs.onBox = [&](const DialogSeam::Box&) {
        deepest = qMax(deepest, ++open);
        if (open == 1)
            for (int i = 1; i < storm; ++i) page.answerHere(record, page.lastRequestId(), false, refused);
        --open;
        return QMessageBox::Ok;
    };
    page.answer({record}, page.search(), false, refused);
    QVERIFY(deliver([&] { return !dialogs.boxes.isEmpty() && open == 0; }));
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(deepest, 1);
    QCOMPARE(page.query()->recordCount(), 0);
    QVERIFY(page.searchButton()->isEnabled());
}

// A search that goes silent is given up after the wait: a box, the button back, the records received
// kept, later answers to it dropped; the next search works as usual.
template <typename Record>
void checkSilentQueryIsGivenUp(const PageDriver<Record>& page, const QList<Record>& records) {
    Dialogs dialogs;
    const int silent = page.search();
    QVERIFY(page.feed(records.mid(0, 2), silent, false));
    QVERIFY(!page.searchButton()->isEnabled());
    // The wait starts afresh, short.
    page.query()->pending()->setTimeoutInterval(30);
    QVERIFY(deliver([&] { return !dialogs.boxes.isEmpty(); }));
    QCOMPARE(dialogs.texts(), QStringList{"错误/查询超时"});
    QCOMPARE(dialogs.boxes[0].kind, DialogSeam::Kind::Warning);
    QVERIFY(page.searchButton()->isEnabled());
    QCOMPARE(page.query()->recordCount(), 2);
    QCOMPARE(page.rowCount(), 2);

    page.answer(records.mid(2), silent);
    QVERIFY(page.settle());
    QCOMPARE(page.query()->recordCount(), 2);
    const int next = page.search();
    page.answer(records.mid(0, 1), silent);
    QVERIFY(page.feed(records.mid(1), next));
    QCOMPARE(page.query()->recordCount(), records.size() - 1);
    QVERIFY(page.searchButton()->isEnabled());
    QCOMPARE(dialogs.boxes.size(), 1);
}

// A counter that keeps saying "more" without moving on is asked once more, not forever; one that
// moves on forever is stopped at the cap. Both keep what came.
template <typename Record>
void checkEndlessPagingStops(const PageDriver<Record>& page, const QList<Record>& pageRecords) {
    Dialogs dialogs;
    const int n = pageRecords.size();
    const int first = page.search();
    QVERIFY(page.feed(paged(pageRecords, true, n), first));
    QCOMPARE(int(page.requests().size()), 2);
    QVERIFY(page.feed(paged(pageRecords, true, n), page.lastRequestId()));
    QCOMPARE(int(page.requests().size()), 2);
    QCOMPARE(dialogs.texts(), QStringList{"错误/分页查询无进展，已停止"});
    QVERIFY(page.searchButton()->isEnabled());
    QCOMPARE(page.query()->recordCount(), 2 * n);
    QCOMPARE(page.rowCount(), 2 * n);

    // Pages that move on: three in full, the fourth up to the cap.
    const int cap = 3 * n + n / 2;
    page.query()->setRecordCap(cap);
    page.search();
    for (int p = 1; p <= 4; ++p) {
        QCOMPARE(int(page.requests().size()), 2 + p);
        page.answer(paged(pageRecords, true, p * n), page.lastRequestId());
        QVERIFY(deliver([&] { return page.query()->recordCount() == qMin(p * n, cap); }));
    }
    QVERIFY(deliver([&] { return dialogs.boxes.size() == 2; }));
    QCOMPARE(dialogs.texts().last(), QStringLiteral("错误/查询记录超过%1条，已停止").arg(cap));
    QCOMPARE(int(page.requests().size()), 6);
    QVERIFY(page.searchButton()->isEnabled());
}

}  // namespace qps
