#include "user/personal_inf_dialog.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "basicControl/my_label.h"
#include "basicControl/my_push_button.h"
#include "moru_securities_api.h"
#include "user/account_records.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/rsp_error_text.h"
#include "utils/signal_interface.h"

PersonalInfDialog::PersonalInfDialog(QWidget* parent)
    : QDialog(parent),
      mRefreshButton(new MyPushButton(QStringLiteral("刷新"), this)),
      mRefreshLock(new QTimer(this)) {
    setFixedSize(260, 290);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("资金查询"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mRefreshButton, 0, Qt::AlignRight);
    for (const QString& caption : AccountRecords::figureCaptions()) {
        auto* captionLabel = new MyLabel(caption, this);
        captionLabel->setFixedWidth(80);
        auto* valueLabel = new MyLabel(this);
        auto* row = new QHBoxLayout;
        row->addWidget(captionLabel);
        row->addWidget(valueLabel);
        layout->addLayout(row);
        mCaptions << captionLabel;
        mValues << valueLabel;
    }

    mRefreshLock->setSingleShot(true);
    mRefreshLock->setInterval(REFRESH_LOCK_MS);
    connect(mRefreshLock, &QTimer::timeout, this, &PersonalInfDialog::slot_unlockRefresh);
    connect(mRefreshButton, &QPushButton::clicked, this, &PersonalInfDialog::slot_refresh);
    connect(SignalInterface::instance(), &SignalInterface::signal_personalInfo, this,
            &PersonalInfDialog::slot_personalInfo);
}

void PersonalInfDialog::slot_refresh() {
    mRefreshButton->setEnabled(false);
    mRefreshLock->start();
    const CMoruReqQryStockClientAccountField request = AccountRecords::fundQuery(currentAccount);
    // Nothing is shown when the query is not sent; the figures simply stay as they were.
    if (reqQryFund(&request, takeRequestId(), entryNo) != 0) qWarning() << "资金查询请求失败";
}

void PersonalInfDialog::slot_unlockRefresh() {
    mRefreshButton->setEnabled(true);
}

void PersonalInfDialog::slot_personalInfo(const CMoruRspQryStockClientAccountField& msg,
                                          const CMoruRspInfo& pRspInfo, int, bool) {
    if (pRspInfo.ErrorID != 0) {
        const QString text = rspErrorText(pRspInfo);
        qWarning() << QStringLiteral("资金查询失败%1").arg(text);
        DialogSeam::warningFor(this, QStringLiteral("错误"), text);
        return;
    }
    const QStringList texts = AccountRecords::figureTexts(msg);
    for (int i = 0; i < mValues.size() && i < texts.size(); ++i) mValues.at(i)->setText(texts.at(i));
}
