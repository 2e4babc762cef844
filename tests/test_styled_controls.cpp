#include <QSignalSpy>
#include <QStyleOptionHeader>
#include <QTableWidget>
#include <QTextLayout>
#include <QtTest>

#include "basicControl/base_table_widget.h"
#include "basicControl/my_combo_box.h"
#include "basicControl/my_header_view.h"
#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "constants.h"
#include "rendered.h"

class TestStyledControls : public QObject {
    Q_OBJECT
private slots:
    void lineEditTakesDigitsOnly() {
        MyLineEdit edit(nullptr);
        QTest::keyClicks(&edit, "12a-3.4+b5");
        QCOMPARE(edit.text(), QStringLiteral("12345"));
        edit.clear();
        int pos = 0;
        QString empty;
        QVERIFY(edit.validator()->validate(empty, pos) != QValidator::Invalid);
        QString chinese = QStringLiteral("一");
        QCOMPARE(edit.validator()->validate(chinese, pos), QValidator::Invalid);
    }

    void comboBoxStartsEmptyWithBothExchanges() {
        MyComboBox box(nullptr);
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.itemText(0), QStringLiteral("上交"));
        QCOMPARE(box.itemText(1), QStringLiteral("深交"));
        QVERIFY(box.currentText().isEmpty());
        box.slotChooseItem(QStringLiteral("深交"));
        QCOMPARE(box.currentText(), QStringLiteral("深交"));
    }

    void setPriceTypesSelectsLimitWhichSortsLast() {
        MyComboBox box(nullptr);
        QMap<QString, int> types{{PRICE_TYPE_LIMIT, '2'},
                                 {PRICE_TYPE_COUNTER_BEST, '1'},
                                 {PRICE_TYPE_OWN_BEST, '3'},
                                 {PRICE_TYPE_BEST5_IOC, '6'},
                                 {PRICE_TYPE_MARKET_FOK, '5'}};
        box.setPriceTypes(types);
        QCOMPARE(box.count(), 5);
        QCOMPARE(box.currentText(), PRICE_TYPE_LIMIT);
        QCOMPARE(box.currentIndex(), 4);
        for (int i = 1; i < box.count(); ++i) QVERIFY(box.itemText(i - 1) < box.itemText(i));

        types.remove(PRICE_TYPE_LIMIT);
        box.setPriceTypes(types);
        QCOMPARE(box.count(), 4);
        QCOMPARE(box.currentIndex(), -1);
    }

    void headerCheckBoxTogglesOncePerClick() {
        QTableWidget table(3, 4);
        auto* header = new MyHeaderView(Qt::Horizontal, &table);
        header->setSectionsClickable(true);
        table.setHorizontalHeader(header);
        table.setHorizontalHeaderLabels({"", "a", "b", "c"});
        table.resize(400, 200);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        header->repaint();
        QVERIFY(!header->checkBoxRect().isNull());

        QSignalSpy spy(header, &MyHeaderView::signalHeadCheckBoxToggled);
        QSignalSpy sectionSpy(header, &QHeaderView::sectionPressed);
        const QPoint inBox = header->checkBoxRect().center();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, inBox);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QVERIFY(header->isChecked());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, inBox);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toBool(), false);
        QCOMPARE(sectionSpy.count(), 0);  // the base class never saw those presses

        // Elsewhere in section 0, and in another section: an ordinary header click.
        const QPoint outside(header->checkBoxRect().right() + 5, header->checkBoxRect().center().y());
        QVERIFY(header->logicalIndexAt(outside.x()) == 0);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, outside);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionPosition(2) + 5, inBox.y()));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(sectionSpy.count(), 2);

        header->setEnabled(false);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, inBox);
        QCOMPARE(spy.count(), 2);
    }

    void resetCheckStateIsSilent() {
        MyHeaderView header(Qt::Horizontal);
        QSignalSpy spy(&header, &MyHeaderView::signalHeadCheckBoxToggled);
        header.resetCheckState();
        QVERIFY(!header.isChecked());
        QCOMPARE(spy.count(), 0);
    }

    void labelSignalsEveryPress() {
        MyLabel label(QStringLiteral("x"));
        QSignalSpy spy(&label, &MyLabel::signalClicked);
        QTest::mouseClick(&label, Qt::LeftButton);
        QTest::mouseClick(&label, Qt::RightButton);
        QCOMPARE(spy.count(), 2);
    }

    void tableHeaderSetUp() {
        BaseTableWidget table;
        table.initTableHeader(3, {"a", "b", "c"});
        QCOMPARE(table.columnCount(), 3);
        QCOMPARE(table.horizontalHeaderItem(2)->text(), QStringLiteral("c"));
        QCOMPARE(table.editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(table.horizontalHeader()->height(), 23);
    }

    void headerTitlesFitTheirSections() {
        BaseTableWidget table;
        table.initTableHeader(QUOTE_HEADERS.size(), QUOTE_HEADERS);
        table.resize(900, 200);
        table.show();
        QHeaderView* header = table.horizontalHeader();
        QCOMPARE(header->height(), 23);
        QCOMPARE(header->font().pixelSize(), 12);
        for (int i = 0; i < QUOTE_HEADERS.size(); ++i) {
            const QString title = QUOTE_HEADERS.at(i);
            // The room the style leaves for the title, beside the height of the title as laid out
            // with whatever fallback font draws its characters.
            QStyleOptionHeader option;
            option.initFrom(header);
            option.rect = QRect(0, 0, header->sectionSize(i), header->height());
            option.section = i;
            option.text = title;
            const QRect room = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
            QTextLayout layout(title, header->font());
            layout.beginLayout();
            const QTextLine line = layout.createLine();
            layout.endLayout();
            QVERIFY2(room.height() >= qCeil(line.height()),
                     qPrintable(QStringLiteral("%1: %2 px of room for %3 px")
                                    .arg(title)
                                    .arg(room.height())
                                    .arg(line.height())));
        }
    }

    void buttonStylesAsTheUserSeesThem() {
        MyPushButton button(QStringLiteral("交易"));
        button.resize(150, 28);
        QCOMPARE(rendered::face(button), QColor("#87CEEB"));
        QCOMPARE(rendered::font(button), QStringLiteral("bold 15"));
        button.setLargeRedStyle();
        QCOMPARE(rendered::face(button), QColor("#EE0000"));
        QCOMPARE(rendered::font(button), QStringLiteral("bold 17"));
        button.setEnabled(false);
        QCOMPARE(rendered::face(button), QColor("#C0C0C0"));
    }
};

QTEST_MAIN(TestStyledControls)
#include "test_styled_controls.moc"
