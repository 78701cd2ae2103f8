#pragma once
// CMainFrame: the program's main window. An MDI frame with the menu of the active window kind, the toolbar,
// the status bar, the accelerators, the routing of every command (active view, its document, this frame,
// the application object) and the window placement kept in "Settings" / "WindowPos".

#include "app/ui/CommandTarget.h"

#include <QMainWindow>
#include <QMdiArea>

#include <map>
#include <optional>
#include <string>
#include <vector>

class ChildFrame;
class CView;
class OrvantisApp;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

// A window placement as the ten numbers of "WindowPos".
struct WindowPlacement {
    unsigned flags = 0;       // 2: restore to maximised
    unsigned showCommand = 1; // 1 normal, 2 minimised, 3 maximised
    int minX = -1, minY = -1;
    int maxX = -1, maxY = -1;
    int left = 0, top = 0, right = 0, bottom = 0; // the normal rectangle
};

// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": a text that does not give exactly ten numbers gives nothing.
std::optional<WindowPlacement> parseWindowPos(const std::string& text);
std::string formatWindowPos(const WindowPlacement& p);
// The window rectangle (without its frame of the given widths) moved and, where it must, shrunk into the
// available area of its screen (the primary screen when it lies on none).
QRect insideAvailableArea(const QRect& window, const QMargins& frame);

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(OrvantisApp& app);
    ~CMainFrame() override;

    QMdiArea* mdiArea() const { return mdi; }
    void addChildFrame(ChildFrame* frame);
    ChildFrame* activeChild() const;
    CView* activeView() const;
    std::vector<ChildFrame*> childFrames() const;

    // Routing: the state of a command along the chain (disabled when nobody handles it) and its dispatch.
    CommandState commandState(int id) const;
    bool isCommandEnabled(int id) const { return commandState(id).enabled; }
    void dispatchCommand(int id);
    // Updates the toolbar and the menu bar's items from the routing (done when idle, and on demand).
    void updateCommandUI();

    // The menu shown now (100 to 104) and its popups as built for the current state.
    int currentMenuId() const { return menuId; }
    std::vector<QMenu*> menus() const;
    QToolBar* mainToolBar() const { return toolBar; }
    QAction* toolbarAction(int id) const;
    QAction* acceleratorAction(const QKeySequence& keys) const;

    // The status bar's pane 353 (the rendering window's progress).
    void setPaneText(int paneId, const QString& text);
    QString paneText(int paneId) const;
    QString idleText() const;

    // Placement: restored once at start-up with the show command the program was started with; saved at
    // the start of every close request.
    void restorePlacement(int showCommand);
    // Moves (and if need be shrinks) the normal window into the screen's available area.
    void keepOnScreen();
    void savePlacement();
    WindowPlacement currentPlacement() const;

    // F1: a topic, or the active view's topic; false when not handled.
    bool RouteHelpRequest(int topic = 0);
    // Shift+F1: the next click opens the help of what it hits (a control, a toolbar button, a window).
    void enterHelpMode();
    void leaveHelpMode();
    bool inHelpMode() const { return helpMode; }
    int helpTopicAt(QWidget* w) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createToolBar();
    void createStatusBar();
    void createAccelerators();
    void switchMenu();
    void populate(QMenu* menu, int popupIndex);
    void scheduleUpdate();

    OrvantisApp& app;
    QMdiArea* mdi;
    QToolBar* toolBar = nullptr;
    QLabel* messagePane = nullptr;
    std::map<int, QLabel*> panes;
    std::vector<QAction*> toolActions;
    std::vector<QAction*> accelerators;
    std::map<int, std::vector<QMenu*>> menuSets;
    int menuId = 0;
    QTimer* idleTimer = nullptr;
    bool helpMode = false;
};
