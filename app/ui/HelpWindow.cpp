#include "app/ui/HelpWindow.h"

#include "app/ui/HelpSystem.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    // An open guide does not keep the program running once its main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(tr("Orvantis Help"));
    view = new QTextBrowser(this);
    view->setOpenExternalLinks(true);
    view->setSearchPaths({QStringLiteral(":/help")});

    auto* back = new QPushButton(tr("&Back"), this);
    auto* forward = new QPushButton(tr("&Forward"), this);
    auto* contents = new QPushButton(tr("&Contents"), this);
    openInBrowser = new QPushButton(tr("Open in &Web Browser"), this);
    auto* close = new QPushButton(tr("Close"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(view, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(view, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(back, &QPushButton::clicked, view, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, view, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { showTopic(0); });
    connect(openInBrowser, &QPushButton::clicked, this, [this] {
        // The page the reader is on, as a file the browser can open.
        const QString fragment = view->source().fragment();
        QUrl url = HelpSystem::topicUrl(0);
        url.setFragment(fragment.isEmpty() ? QString() : fragment);
        QDesktopServices::openUrl(url);
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {back, forward, contents}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(openInBrowser);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(view, 1);
    resize(720, 640);
}

void HelpWindow::showTopic(int topic) {
    view->setSource(HelpSystem::resourceUrl(topic));
    if (topic == 0) view->scrollToAnchor(HelpSystem::anchor(0));
    show();
    raise();
    activateWindow();
}
