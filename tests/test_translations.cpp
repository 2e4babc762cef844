#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app_startup.h"
#include "captured_log.h"

namespace {

QStringList standardButtonTexts() {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Save);
    return {box.button(QMessageBox::Ok)->text(), box.button(QMessageBox::Cancel)->text(),
            box.button(QMessageBox::Save)->text()};
}

QStringList saveDialogButtonTexts() {
    // The dialog the CSV export opens where the platform has no native one.
    QFileDialog dialog(nullptr, QStringLiteral("保存"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList texts;
    for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons()) texts << button->text();
    return texts;
}

}  // namespace

// Runs in declaration order: once installed, the translation stays for the process.
class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void missingTranslationChangesNothing() {
        QTemporaryDir empty;
        CapturedLog::install();
        QVERIFY(!installQtChineseTranslation(empty.path()));
        CapturedLog::uninstall();
        QCOMPARE(CapturedLog::texts(),
                 QStringList{QStringLiteral("can not load Qt translation \"%1\"")
                                 .arg(empty.filePath(QStringLiteral("qtbase_zh_CN.qm")))});
        QCOMPARE(standardButtonTexts(),
                 (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel"), QStringLiteral("Save")}));
    }

    void standardButtonsReadInChinese() {
        const QString file =
            QLibraryInfo::location(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
        if (!QFile::exists(file)) QSKIP("qtbase_zh_CN.qm is missing: scripts/setup.sh installs it");
        QVERIFY(installQtChineseTranslation());
        QCOMPARE(standardButtonTexts(),
                 (QStringList{QStringLiteral("确定"), QStringLiteral("取消"), QStringLiteral("保存")}));
        QCOMPARE(saveDialogButtonTexts(), (QStringList{QStringLiteral("保存(&S)"), QStringLiteral("取消")}));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
