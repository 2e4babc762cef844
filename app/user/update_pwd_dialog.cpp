#include "user/update_pwd_dialog.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "basicControl/my_label.h"
#include "basicControl/my_line_edit.h"
#include "basicControl/my_push_button.h"
#include "moru_securities_api.h"
#include "user/account_records.h"
#include "utils/api_state.h"
#include "utils/dialog_seam.h"
#include "utils/error_msg.h"
#include "utils/password_rule.h"
#include "utils/record_text.h"
#include "utils/rsp_error_text.h"
#include "utils/signal_interface.h"

UpdatePwdDialog::UpdatePwdDialog(QWidget* parent)
    : QDialog(parent),
      mTitleLabel(new MyLabel(tr("修改密码"), this)),
      mOldLabel(new MyLabel(tr("老密码"), this)),
      mOldEdit(new MyLineEdit(this)),
      mNewLabel(new MyLabel(tr("新密码"), this)),
      mNewEdit(new MyLineEdit(this)),
      mConfirmButton(new MyPushButton(tr("确认"), this)),
      mClearButton(new MyPushButton(tr("清空"), this)) {
    qRegisterMetaType<CMoruRspUserPasswordUpdateField>("CMoruRspUserPasswordUpdateField");
    qRegisterMetaType<CMoruRspInfo>("CMoruRspInfo");

    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setWindowTitle(tr("修改密码"));
    setFixedSize(254, 160);
    mTitleLabel->setRedTitleStyle();
    mTitleLabel->setFixedHeight(20);
    mOldEdit->setPlaceholderText(tr("老密码"));
    mNewEdit->setPlaceholderText(tr("新密码"));
    for (MyLineEdit* edit : {mOldEdit, mNewEdit}) {
        edit->setFixedWidth(158);
        edit->setValidator(nullptr);  // checked at the click, with a box that says what is allowed
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(MAX_PASSWORD_LENGTH);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mTitleLabel);
    layout->addSpacing(10);
    for (auto pair : {std::make_pair(mOldLabel, mOldEdit), std::make_pair(mNewLabel, mNewEdit)}) {
        auto* row = new QHBoxLayout;
        row->addWidget(pair.first);
        row->addSpacing(29);
        row->addWidget(pair.second);
        row->addStretch();
        layout->addLayout(row);
        layout->addSpacing(10);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mConfirmButton);
    buttons->addSpacing(27);
    buttons->addWidget(mClearButton);
    layout->addLayout(buttons);

    connect(mConfirmButton, &QPushButton::clicked, this, &UpdatePwdDialog::slotUpdatePwdClick);
    connect(mClearButton, &QPushButton::clicked, this, &UpdatePwdDialog::slotClearClick);
    connect(SignalInterface::instance(), &SignalInterface::signal_rspUpdatePwd, this,
            &UpdatePwdDialog::slotRspUpdatePwd);
}

void UpdatePwdDialog::clearInputs() {
    mOldEdit->clear();
    mNewEdit->clear();
}

void UpdatePwdDialog::slotClearClick() {
    mOldPassword.clear();
    mNewPassword.clear();
    clearInputs();
}

bool UpdatePwdDialog::rejectInputs() {
    if (mOldPassword.isEmpty()) {
        DialogSeam::warning(tr("错误"), tr("老密码不能为空！"));
        return true;
    }
    if (mNewPassword.isEmpty()) {
        DialogSeam::warning(tr("错误"), tr("新密码不能为空！"));
        return true;
    }
    // A password the login page could not send back as set would lock the account out.
    if (!isSendablePassword(mOldPassword)) {
        DialogSeam::warning(tr("错误"), tr("老密码只能包含英文字母、数字和英文符号！"));
        return true;
    }
    if (!isSendablePassword(mNewPassword)) {
        DialogSeam::warning(tr("错误"), tr("新密码只能包含英文字母、数字和英文符号！"));
        return true;
    }
    if (mOldPassword == mNewPassword) {
        DialogSeam::SessionWatch watch;
        DialogSeam::information(tr("信息"), tr("新密码和老密码一致,重新输入"));
        if (!watch.ended()) mNewEdit->clear();
        return true;
    }
    // Cut to its field, a longer password would be set to something the user never typed.
    if (mNewPassword.toUtf8().size() > AccountRecords::kNewPasswordBytes) {
        DialogSeam::warning(tr("错误"), tr("新密码过长！"));
        return true;
    }
    return false;
}

bool UpdatePwdDialog::confirmAndSend() {
    const CMoruReqUserPasswordUpdateField request =
        AccountRecords::passwordUpdate(currentAccount, mOldPassword, mNewPassword);
    DialogSeam::SessionWatch watch;
    const int choice = DialogSeam::choose(DialogSeam::Kind::Information, tr("确认"), tr("是否确认修改密码"),
                                          {tr("确认"), tr("取消")});
    if (watch.ended()) return false;
    if (choice == 0 && reqUpdatePwd(&request, takeRequestId(), entryNo) != 0) {
        DialogSeam::critical(tr("失败"), tr("发送更新密码失败"));
        if (watch.ended()) return false;
    }
    return true;
}

void UpdatePwdDialog::slotUpdatePwdClick() {
    mOldPassword = mOldEdit->text();
    mNewPassword = mNewEdit->text();
    if (rejectInputs()) return;
    if (!confirmAndSend()) return;
    clearInputs();
    close();
}

void UpdatePwdDialog::slotRspUpdatePwd(const CMoruRspUserPasswordUpdateField&, const CMoruRspInfo& pRspInfo,
                                       int, bool) {
    if (pRspInfo.ErrorID != 0) {
        const QString text = rspErrorText(pRspInfo);
        qWarning() << QStringLiteral("密码修改失败%1").arg(text);
        DialogSeam::warningFor(this, tr("错误"), text);
        return;
    }
    DialogSeam::informationFor(this, tr("成功"), tr("密码修改成功"));
}
