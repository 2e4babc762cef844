#pragma once

#include <QDialog>
#include <QString>

#include "moru_api_types.h"

class MyLabel;
class MyLineEdit;
class MyPushButton;

// Changes the login password of the account; the counter's answer comes in a box of its own.
class UpdatePwdDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MAX_PASSWORD_LENGTH = 10;

    explicit UpdatePwdDialog(QWidget* parent = nullptr);

    // Empties both fields; the workspace does it each time it shows the dialog.
    void clearInputs();

    MyLineEdit* oldPasswordEdit() const { return mOldEdit; }
    MyLineEdit* newPasswordEdit() const { return mNewEdit; }
    MyPushButton* confirmButton() const { return mConfirmButton; }
    MyPushButton* clearButton() const { return mClearButton; }

public slots:
    void slotUpdatePwdClick();
    void slotClearClick();
    void slotRspUpdatePwd(const CMoruRspUserPasswordUpdateField& pRspField, const CMoruRspInfo& pRspInfo,
                          int nRequestID, bool bIsLast);

private:
    // The first input error, shown to the user; false when the inputs may be sent.
    bool rejectInputs();
    // Asks, sends when confirmed; false when the session ended meanwhile.
    bool confirmAndSend();

    MyLabel* mTitleLabel;
    MyLabel* mOldLabel;
    MyLineEdit* mOldEdit;
    MyLabel* mNewLabel;
    MyLineEdit* mNewEdit;
    MyPushButton* mConfirmButton;
    MyPushButton* mClearButton;
    QString mOldPassword;
    QString mNewPassword;
};
