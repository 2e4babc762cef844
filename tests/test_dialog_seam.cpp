// The real boxes of the dialog seam, as the user sees them: counter text never rendered as rich
// text, the confirmation's buttons in one order on every platform layout, and boxes closing when
// the session ends.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "utils/dialog_seam.h"

namespace {

// Reports a chosen platform button layout.
class LayoutStyle : public QProxyStyle {
public:
    explicit LayoutStyle(int layout) : QProxyStyle(QStringLiteral("fusion")), m_layout(layout) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonLayout) return m_layout;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

private:
    int m_layout;
};

// Runs `inside` with the modal box once it is on screen.
void whenBoxShown(const std::function<void(QMessageBox*)>& inside) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, inside] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        inside(box);
    });
    poll->start(10);
    // A box that fails to close must not hang the suite.
    QTimer::singleShot(3000, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::Abort);
    });
}

QPushButton* buttonNamed(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text) return qobject_cast<QPushButton*>(b);
    return nullptr;
}

const QStringList kConfirm = {QStringLiteral("确认"), QStringLiteral("取消")};

}  // namespace

class TestDialogSeam : public QObject {
    Q_OBJECT
private slots:
    void counterTextIsShownAsPlainText_data() {
        QTest::addColumn<bool>("choice");
        QTest::newRow("warning box") << false;
        QTest::newRow("confirmation") << true;
    }

    void counterTextIsShownAsPlainText() {
        QFETCH(bool, choice);
        const QString text =
            QStringLiteral("报单发送失败[2001]<a href=\"http://127.0.0.1/\">点此重新登录</a>");
        Qt::TextFormat format = Qt::RichText;
        QString shown;
        whenBoxShown([&](QMessageBox* box) {
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            if (label) {
                format = label->textFormat();
                shown = label->text();
            }
            box->defaultButton()->click();
        });
        if (choice)
            DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"), text, kConfirm);
        else
            DialogSeam::warning(QStringLiteral("错误"), text);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, text);
    }

    void confirmStaysFirstOnEveryLayout_data() {
        QTest::addColumn<int>("layout");
        QTest::newRow("windows") << int(QDialogButtonBox::WinLayout);
        QTest::newRow("mac") << int(QDialogButtonBox::MacLayout);
        QTest::newRow("kde") << int(QDialogButtonBox::KdeLayout);
        QTest::newRow("gnome") << int(QDialogButtonBox::GnomeLayout);
    }

    void confirmStaysFirstOnEveryLayout() {
        QFETCH(int, layout);
        const QString before = QApplication::style()->objectName();
        QApplication::setStyle(new LayoutStyle(layout));
        bool confirmLeft = false;
        bool noEscape = false;
        whenBoxShown([&](QMessageBox* box) {
            QPushButton* confirm = buttonNamed(box, kConfirm[0]);
            QPushButton* cancel = buttonNamed(box, kConfirm[1]);
            if (confirm && cancel)
                confirmLeft = confirm->mapToGlobal(QPoint()).x() < cancel->mapToGlobal(QPoint()).x();
            noEscape = box->escapeButton() == nullptr;
            QTest::keyClick(box, Qt::Key_Escape);  // does nothing
            QTest::keyClick(box, Qt::Key_Return);
        });
        const int answer = DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"),
                                              QStringLiteral("是否确认交易"), kConfirm);
        QApplication::setStyle(before);
        QVERIFY(confirmLeft);
        QVERIFY(noEscape);
        QCOMPARE(answer, 0);
    }

    void boxesCloseWhenTheSessionEnds() {
        QElapsedTimer clock;
        whenBoxShown([&](QMessageBox*) {
            clock.start();
            DialogSeam::endSession();
        });
        const int answer = DialogSeam::choose(DialogSeam::Kind::Information, QStringLiteral("确认"),
                                              QStringLiteral("是否确认交易"), kConfirm);
        QCOMPARE(answer, -1);
        QVERIFY(clock.isValid() && clock.elapsed() < 1000);  // not the suite's own guard closing it
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(TestDialogSeam)
#include "test_dialog_seam.moc"
