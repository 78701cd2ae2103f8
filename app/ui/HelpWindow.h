#pragma once
// The help window: the bundled user guide in a text browser (links and anchors work offline), with back,
// forward and contents, and a button that opens the same page in the desktop's web browser.

#include <QWidget>

class QPushButton;
class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Shows the window, raised, at the topic's heading (0: the contents).
    void showTopic(int topic);
    QTextBrowser* browser() const { return view; }
    QPushButton* webBrowserButton() const { return openInBrowser; }

private:
    QTextBrowser* view;
    QPushButton* openInBrowser;
};
