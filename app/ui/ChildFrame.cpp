#include "app/ui/ChildFrame.h"

#include "app/ui/Document.h"
#include "app/ui/OrvantisApp.h"

#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>

#include <algorithm>

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
    if (maximizedFirst) {
        showMaximized();
    } else {
        show();
        keepInsideArea();
    }
    if (widget()) widget()->setFocus();
}

void ChildFrame::keepInsideArea() {
    QMdiArea* area = mdiArea();
    if (!area || isMaximized() || isMinimized()) return;
    const QSize room = area->viewport()->size();
    if (room.isEmpty()) return;
    resize(size().boundedTo(room));
    const int x = std::clamp(pos().x(), 0, std::max(0, room.width() - width()));
    const int y = std::clamp(pos().y(), 0, std::max(0, room.height() - height()));
    move(x, y);
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
    // The area has made another window active by now; the one this window came from takes over.
    if (event->isAccepted() && returnFrame && returnFrame != this)
        if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(returnFrame);
}
