#pragma once
// What every wizard page has: its id, the id of the page that created it, a heading,
// and the Back and Next buttons at the bottom.

#include <QWidget>

class QBoxLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace lazarine::app {

class MainWindow;

class WizardPage : public QWidget {
    Q_OBJECT
public:
    WizardPage(MainWindow& window, int pageId, const QString& heading);

    int pageId() const { return pageId_; }
    int previousPageId() const { return previousPageId_; }
    void setPreviousPageId(int id) { previousPageId_ = id; }

    // Called once, when the page is first shown: pages start their jobs here.
    virtual void pageShown() {}
    // Stops the page's worker (if one runs) and waits for it to end.
    virtual void stopWork() {}
    // The Enter key: ends the application.
    virtual void enterPressed();

    QPushButton* nextButton() const { return next_; }
    QPushButton* backButton() const { return back_; }

protected:
    virtual void onNext() {}
    virtual void onBack();

    // The area between the heading and the buttons.
    QVBoxLayout* body() const { return body_; }
    // The row of the Back and Next buttons; page buttons go left of them.
    QHBoxLayout* buttonRow() const { return buttons_; }
    void message(const QString& text);
    MainWindow& window() const { return window_; }

private:
    MainWindow& window_;
    int pageId_;
    int previousPageId_ = 0;
    QVBoxLayout* body_;
    QHBoxLayout* buttons_;
    QPushButton* next_;
    QPushButton* back_;
};

}  // namespace lazarine::app
