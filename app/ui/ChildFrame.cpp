#include "app/ui/ChildFrame.h"

#include "app/ui/Document.h"
#include "app/ui/OrvantisApp.h"

#include <QCloseEvent>
#include <QIcon>

ChildFrame::ChildFrame(OrvantisApp& application, CView* view, int resourceId)
    : app(application), childView(view), resource(resourceId) {
    setAttribute(Qt::WA_DeleteOnClose);
    view->childFrame = this;
    setWidget(view->widget());
    setWindowIcon(QIcon(QStringLiteral(":/icons/orvantis.svg")));
    updateTitle();
}

void ChildFrame::updateTitle() {
    CDocument* doc = childView->GetDocument();
    if (!doc) return;
    QString title = doc->GetTitle();
    // With several windows on one document each shows its number.
    const auto& views = doc->views();
    if (views.size() > 1) {
        for (size_t i = 0; i < views.size(); ++i)
            if (views[i] == childView) title += QStringLiteral(":%1").arg(i + 1);
    }
    // Unsaved changes are marked as everywhere else on the desktop.
    if (doc->IsModified()) title += QLatin1Char('*');
    setWindowTitle(title);
}

void ChildFrame::showInitially() {
    if (maximizedFirst)
        showMaximized();
    else
        show();
    if (widget()) widget()->setFocus();
}

void ChildFrame::closeWithoutAsking() {
    force = true;
    close();
}

void ChildFrame::closeEvent(QCloseEvent* event) {
    CDocument* doc = childView->GetDocument();
    if (!force && doc) {
        if (!doc->CanCloseFrame(this)) {
            event->ignore();
            return;
        }
    }
    QMdiSubWindow::closeEvent(event);
}
