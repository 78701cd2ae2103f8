#pragma once
// The MDI child window around one view. Closing it asks the document first (save changes, a scene's close
// guard, a running render); the last window of a document takes the document with it.

#include <QMdiSubWindow>
#include <QPointer>

class CView;
class OrvantisApp;

class ChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    ChildFrame(OrvantisApp& app, CView* view, int resourceId);

    CView* view() const { return childView; }
    // The resource id of the window's template: it selects the menu shown while the window is active.
    int resourceId() const { return resource; }

    void updateTitle();
    // The first showing: maximised when the view asked for it (scene forms), else normal.
    void showInitially();
    void setShowMaximizedFirst(bool m) { maximizedFirst = m; }
    // Closes the window without asking the document (the document is being closed as a whole).
    void closeWithoutAsking();
    // The window that becomes active again when this one closes (the scene that opened a rendering window
    // or a flight path editor), instead of whichever window the MDI area would pick.
    void setReturnFrame(ChildFrame* frame) { returnFrame = frame; }
    // Keeps the window inside the visible part of the MDI area: a larger window shrinks (its view scrolls)
    // and one that sticks out moves back in, so that its title bar and close button can be reached.
    void keepInsideArea();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OrvantisApp& app;
    CView* childView;
    int resource;
    bool maximizedFirst = false;
    bool force = false;
    QPointer<ChildFrame> returnFrame;
};
