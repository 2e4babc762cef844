#pragma once

#include <QDialog>
#include <QKeySequence>

class ExerciseOfWarrantsWidget;
class LevelWidget;
class OrderWidget;
class QShortcut;
class QTabWidget;
class QuotesTcpClient;
class TenderOfferWidget;

// The order tool window: "买卖/申赎" (order form and quote levels), "要约收购" and "权证行权". The
// first show keeps only the tab of the login's exchange of the last two.
class OrderWindow : public QDialog {
    Q_OBJECT
public:
    explicit OrderWindow(QWidget* parent = nullptr);

    // Hands the quote client (not owned) to every page that reads quotes.
    void initDataClass(QuotesTcpClient* client);

    QTabWidget* tabWidget() const { return mTabWidget; }
    OrderWidget* orderWidget() const { return mOrderWidget; }
    LevelWidget* levelWidget() const { return mLevelWidget; }
    TenderOfferWidget* tenderOfferWidget() const { return mTenderOfferWidget; }
    ExerciseOfWarrantsWidget* exerciseWidget() const { return mExerciseWidget; }

    // Opens on 买 or 卖 with the focus in the code (the trade button, the order keys).
    void openForEntry(bool sell);
    // The key that hides the window; none for an empty sequence.
    void setHideKey(const QKeySequence& key);
    QShortcut* hideShortcut() const { return mHideShortcut; }

public slots:
    void slotTabChanged(int index);
    // Shows the window and puts it in front, as a place-order request from a table expects.
    void slotBringUp();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildTabs();

    QTabWidget* mTabWidget;
    OrderWidget* mOrderWidget;
    LevelWidget* mLevelWidget;
    TenderOfferWidget* mTenderOfferWidget = nullptr;
    ExerciseOfWarrantsWidget* mExerciseWidget = nullptr;
    bool mFirstShow = true;
    // [keys]: opening sets the side and the focus.
    bool mPrepareOnOpen = false;
    QShortcut* mHideShortcut = nullptr;
};
