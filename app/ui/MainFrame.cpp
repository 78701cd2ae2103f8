#include "app/ui/MainFrame.h"

#include "app/CFormat.h"
#include "app/Settings.h"
#include "app/ui/ChildFrame.h"
#include "app/ui/Commands.h"
#include "app/ui/Document.h"
#include "app/ui/FieldShortcuts.h"
#include "app/ui/Icons.h"
#include "app/ui/Menus.h"
#include "app/ui/OrvantisApp.h"
#include "res/StringTable.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

namespace {
QString prompt(int id) {
    // A prompt string may carry a tooltip after a line break; the status bar shows the part before it.
    return QString::fromLatin1(LoadString(id)).section('\n', 0, 0);
}
QString tooltip(int id) {
    const QString tip = QString::fromLatin1(LoadString(id)).section('\n', 1, 1);
    return tip.isEmpty() ? prompt(id) : tip;
}
} // namespace

// ---- placement text ---------------------------------------------------------------------------------------

std::optional<WindowPlacement> parseWindowPos(const std::string& text) {
    // Ten numbers separated by commas, read as "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" would read them.
    long long v[10];
    const char* p = text.c_str();
    for (int i = 0; i < 10; ++i) {
        if (i > 0) {
            if (*p != ',') return std::nullopt;
            ++p;
        }
        int n = 0;
        size_t used = scanInt(p, n);
        if (used == 0) return std::nullopt;
        v[i] = n;
        p += used;
    }
    WindowPlacement w;
    w.flags = static_cast<unsigned>(v[0]);
    w.showCommand = static_cast<unsigned>(v[1]);
    w.minX = int(v[2]), w.minY = int(v[3]), w.maxX = int(v[4]), w.maxY = int(v[5]);
    w.left = int(v[6]), w.top = int(v[7]), w.right = int(v[8]), w.bottom = int(v[9]);
    return w;
}

std::string formatWindowPos(const WindowPlacement& p) {
    return cformat("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCommand, p.minX, p.minY, p.maxX, p.maxY,
                   p.left, p.top, p.right, p.bottom);
}

// ---- the frame --------------------------------------------------------------------------------------------

CMainFrame::CMainFrame(OrvantisApp& application) : app(application), mdi(new QMdiArea(this)) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QString::fromLatin1(LoadString(IDS_MAIN_TITLE)));
    setWindowIcon(QIcon(QStringLiteral(":/icons/orvantis.svg")));
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdi);
    setAcceptDrops(true);
    resize(900, 680);

    createToolBar();
    createStatusBar();
    createAccelerators();
    qApp->installEventFilter(new FieldShortcuts(*this));

    // Commands of the frame: the bars, the Window menu, Stop rendering and the help commands.
    onCommand(
        cmd::ViewToolbar, [this] { toolBar->setVisible(!toolBar->isVisible()); },
        [this](CommandState& s) { s.checked = !toolBar->isHidden(); });
    onCommand(
        cmd::ViewStatusBar, [this] { statusBar()->setVisible(!statusBar()->isVisible()); },
        [this](CommandState& s) { s.checked = !statusBar()->isHidden(); });
    onCommand(
        cmd::WindowCascade, [this] { mdi->cascadeSubWindows(); },
        [this](CommandState& s) { s.enabled = activeChild() != nullptr; });
    onCommand(
        cmd::WindowTile, [this] { mdi->tileSubWindows(); },
        [this](CommandState& s) { s.enabled = activeChild() != nullptr; });
    onCommand(cmd::WindowArrange, [this] {
        // Minimised windows are lined up along the bottom of the client area.
        int x = 0;
        for (QMdiSubWindow* w : mdi->subWindowList()) {
            if (!w->isMinimized()) continue;
            w->move(x, mdi->viewport()->height() - w->height());
            x += w->width();
        }
    });
    onCommand(
        cmd::StopRendering,
        [this] {
            CView* v = activeView();
            if (v && v->IsRenderingView()) v->RequestStop();
        },
        [this](CommandState& s) {
            const CView* v = activeView();
            s.enabled = v && v->IsRendering();
        });
    onCommand(cmd::Help, [this] { RouteHelpRequest(0); });
    onCommand(cmd::ContextHelp, [this] { enterHelpMode(); });
    onCommand(cmd::HelpIndex, [this] { app.OpenHelpTopic(0); });
    onCommand(cmd::HelpUsing, [this] { app.OpenHelpTopic(OrvantisApp::UsingHelpTopic); });

    connect(mdi, &QMdiArea::subWindowActivated, this, [this] {
        switchMenu();
        scheduleUpdate();
    });
    connect(qApp, &QGuiApplication::focusObjectChanged, this, [this] { scheduleUpdate(); });

    // The enable states follow the program's state when it is idle, as menus and buttons are looked at.
    idleTimer = new QTimer(this);
    idleTimer->setInterval(250);
    connect(idleTimer, &QTimer::timeout, this, &CMainFrame::updateCommandUI);
    idleTimer->start();

    switchMenu();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createToolBar() {
    toolBar = new QToolBar(QString::fromLatin1(LoadString(IDS_TOOLBAR_TITLE)), this);
    toolBar->setObjectName(QStringLiteral("ToolBar"));
    toolBar->setIconSize(QSize(16, 15));
    toolBar->setMovable(false);
    addToolBar(Qt::TopToolBarArea, toolBar);
    const int buttons[] = {cmd::FileNew,
                           cmd::FileOpen,
                           cmd::FileSave,
                           0,
                           cmd::EditCut,
                           cmd::EditCopy,
                           cmd::EditPaste,
                           0,
                           cmd::FilePrint,
                           cmd::AppAbout,
                           0,
                           cmd::Preview,
                           cmd::Raw,
                           cmd::Final};
    for (int id : buttons) {
        if (id == 0) {
            toolBar->addSeparator();
            continue;
        }
        QAction* a = toolBar->addAction(toolbarIcon(id), prompt(id));
        a->setData(id);
        a->setProperty("commandId", id);
        a->setStatusTip(prompt(id));
        a->setToolTip(tooltip(id));
        connect(a, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
        toolActions.push_back(a);
    }
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    messagePane = new QLabel(idleText(), bar);
    messagePane->setObjectName(QStringLiteral("MessagePane"));
    bar->addWidget(messagePane, 1);
    struct PaneDef {
        int id;
        const char* sizeText;
        const char* text;
    };
    const PaneDef defs[] = {{cmd::PaneProgress, "100%", ""},
                            {cmd::IndicatorCaps, "CAP", ""},
                            {cmd::IndicatorNum, "NUM", ""},
                            {cmd::IndicatorScroll, "SCRL", ""}};
    for (const PaneDef& d : defs) {
        auto* pane = new QLabel(QString::fromLatin1(d.text), bar);
        pane->setObjectName(QStringLiteral("Pane%1").arg(d.id));
        pane->setProperty("paneId", d.id);
        pane->setAlignment(Qt::AlignCenter);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(d.sizeText)) + 12);
        bar->addPermanentWidget(pane);
        panes[d.id] = pane;
    }
}

void CMainFrame::createAccelerators() {
    // One table for every window kind.
    const struct {
        QKeySequence keys;
        int id;
    } table[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), cmd::FileNew},
        {QKeySequence(Qt::CTRL | Qt::Key_O), cmd::FileOpen},
        {QKeySequence(Qt::CTRL | Qt::Key_S), cmd::FileSave},
        {QKeySequence(Qt::CTRL | Qt::Key_P), cmd::FilePrint},
        {QKeySequence(Qt::CTRL | Qt::Key_C), cmd::EditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), cmd::EditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_V), cmd::EditPaste},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), cmd::EditPaste},
        {QKeySequence(Qt::CTRL | Qt::Key_X), cmd::EditCut},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), cmd::EditCut},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), cmd::EditUndo},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), cmd::EditUndo},
        {QKeySequence(Qt::CTRL | Qt::Key_E), cmd::Preview},
        {QKeySequence(Qt::CTRL | Qt::Key_R), cmd::Raw},
        {QKeySequence(Qt::CTRL | Qt::Key_F), cmd::Final},
        {QKeySequence(Qt::CTRL | Qt::Key_A), cmd::Apply},
        {QKeySequence(Qt::Key_F1), cmd::Help},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), cmd::ContextHelp},
        {QKeySequence(Qt::Key_F6), cmd::NextPane},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), cmd::PrevPane},
    };
    for (const auto& e : table) {
        auto* a = new QAction(this);
        a->setShortcut(e.keys);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setData(e.id);
        a->setProperty("commandId", e.id);
        const int id = e.id;
        connect(a, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
        addAction(a);
        accelerators.push_back(a);
    }
}

QAction* CMainFrame::acceleratorAction(const QKeySequence& keys) const {
    for (QAction* a : accelerators)
        if (a->shortcut() == keys) return a;
    return nullptr;
}

QAction* CMainFrame::toolbarAction(int id) const {
    for (QAction* a : toolActions)
        if (a->data().toInt() == id) return a;
    return nullptr;
}

void CMainFrame::addChildFrame(ChildFrame* frame) {
    mdi->addSubWindow(frame);
    connect(frame, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            switchMenu();
            updateCommandUI();
        });
    });
}

ChildFrame* CMainFrame::activeChild() const {
    return qobject_cast<ChildFrame*>(mdi->currentSubWindow());
}

CView* CMainFrame::activeView() const {
    ChildFrame* f = activeChild();
    return f ? f->view() : nullptr;
}

std::vector<ChildFrame*> CMainFrame::childFrames() const {
    std::vector<ChildFrame*> list;
    for (QMdiSubWindow* w : mdi->subWindowList())
        if (auto* f = qobject_cast<ChildFrame*>(w)) list.push_back(f);
    return list;
}

CommandState CMainFrame::commandState(int id) const {
    CommandState state;
    CView* view = activeView();
    CDocument* doc = view ? view->GetDocument() : nullptr;
    const CommandTarget* chain[] = {view, doc, this, &app};
    for (const CommandTarget* t : chain)
        if (t && t->queryCommand(id, state)) return state;
    state.enabled = false;
    return state;
}

void CMainFrame::dispatchCommand(int id) {
    // The recent files and the window list are the framework's own commands.
    if (!commandState(id).enabled) return;
    CView* view = activeView();
    CDocument* doc = view ? view->GetDocument() : nullptr;
    CommandTarget* chain[] = {view, doc, this, &app};
    for (CommandTarget* t : chain) {
        CommandState s;
        if (t && t->queryCommand(id, s)) {
            t->runCommand(id);
            break;
        }
    }
    scheduleUpdate();
}

void CMainFrame::updateCommandUI() {
    for (QAction* a : toolActions) a->setEnabled(isCommandEnabled(a->data().toInt()));
    // The menu bar itself holds popups only; their items are updated when they open.
}

void CMainFrame::scheduleUpdate() {
    QTimer::singleShot(0, this, &CMainFrame::updateCommandUI);
}

void CMainFrame::switchMenu() {
    ChildFrame* f = activeChild();
    const int id = f ? f->resourceId() : 100;
    if (id == menuId && !menuBar()->actions().isEmpty()) return;
    menuId = id;
    auto& set = menuSets[id];
    if (set.empty()) {
        const auto& popups = menu::menuFor(id);
        for (size_t i = 0; i < popups.size(); ++i) {
            auto* m = new QMenu(QString::fromLatin1(popups[i].title), this);
            const int index = static_cast<int>(i);
            connect(m, &QMenu::aboutToShow, this, [this, m, index] { populate(m, index); });
            set.push_back(m);
        }
    }
    menuBar()->clear();
    for (size_t i = 0; i < set.size(); ++i) {
        populate(set[i], static_cast<int>(i));
        menuBar()->addMenu(set[i]);
    }
}

std::vector<QMenu*> CMainFrame::menus() const {
    auto it = menuSets.find(menuId);
    if (it == menuSets.end()) return {};
    for (size_t i = 0; i < it->second.size(); ++i)
        const_cast<CMainFrame*>(this)->populate(it->second[i], static_cast<int>(i));
    return it->second;
}

void CMainFrame::populate(QMenu* m, int popupIndex) {
    // Which menu this popup belongs to: the set that holds it.
    int owner = menuId;
    for (const auto& [id, set] : menuSets)
        for (QMenu* x : set)
            if (x == m) owner = id;
    const menu::Popup& popup = menu::menuFor(owner)[popupIndex];
    m->clear();
    for (const menu::Item& item : popup.items) {
        if (item.id == menu::Separator) {
            m->addSeparator();
        } else if (item.id == menu::RecentFiles) {
            const auto& files = app.recentFiles();
            if (files.empty()) {
                QAction* a = m->addAction(QString::fromLatin1(item.text));
                a->setData(cmd::FileMru1);
                a->setProperty("commandId", cmd::FileMru1);
                a->setEnabled(false);
                a->setStatusTip(prompt(cmd::FileMru1));
            }
            for (size_t i = 0; i < files.size(); ++i) {
                const int id = cmd::FileMru1 + static_cast<int>(i);
                QString label = QStringLiteral("&%1 %2").arg(i + 1).arg(QString::fromStdString(files[i]));
                QAction* a = m->addAction(label);
                a->setData(id);
                a->setProperty("commandId", id);
                a->setStatusTip(prompt(cmd::FileMru1));
                connect(a, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
            }
        } else if (item.id == menu::WindowList) {
            const auto frames = childFrames();
            if (!frames.empty()) m->addSeparator();
            for (size_t i = 0; i < frames.size(); ++i) {
                ChildFrame* f = frames[i];
                QAction* a = m->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(f->windowTitle()));
                a->setCheckable(true);
                a->setChecked(f == activeChild());
                connect(a, &QAction::triggered, this, [this, f] { mdi->setActiveSubWindow(f); });
            }
        } else {
            QAction* a = m->addAction(QString::fromLatin1(item.text));
            a->setData(item.id);
            a->setProperty("commandId", item.id);
            a->setStatusTip(prompt(item.id));
            const CommandState s = commandState(item.id);
            a->setEnabled(s.enabled);
            if (s.checked) {
                a->setCheckable(true);
                a->setChecked(*s.checked);
            }
            const int id = item.id;
            connect(a, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
        }
    }
}

QString CMainFrame::idleText() const {
    return QString::fromLatin1(LoadString(IDS_IDLE_STATUS));
}

void CMainFrame::setPaneText(int paneId, const QString& text) {
    auto it = panes.find(paneId);
    if (it != panes.end()) it->second->setText(text);
}

QString CMainFrame::paneText(int paneId) const {
    auto it = panes.find(paneId);
    return it == panes.end() ? QString() : it->second->text();
}

// ---- placement --------------------------------------------------------------------------------------------

QRect insideAvailableArea(const QRect& window, const QMargins& frame) {
    const QScreen* screen = QGuiApplication::screenAt(window.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return window;
    // The window's frame (title bar, borders) counts: the whole of it must be reachable.
    const QRect room = screen->availableGeometry().marginsRemoved(frame);
    const QSize size = window.size().boundedTo(room.size());
    const int x = std::clamp(window.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width()));
    const int y = std::clamp(window.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height()));
    return QRect(QPoint(x, y), size);
}

void CMainFrame::keepOnScreen() {
    if (isMaximized() || isMinimized() || isFullScreen()) return;
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    const QRect inside = insideAvailableArea(geometry(), frame);
    // A window that was never placed is left to the window manager's placement; it only has to fit.
    if (testAttribute(Qt::WA_Moved) && inside != geometry())
        setGeometry(inside);
    else if (inside.size() != size())
        resize(inside.size());
}

void CMainFrame::restorePlacement(int showCommand) {
    const std::string text = app.settings().getString("Settings", "WindowPos", "");
    std::optional<WindowPlacement> p = text.empty() ? std::nullopt : parseWindowPos(text);
    // A placement stored on another screen, or before the screen's scale changed, may not fit any more;
    // so may the default size on a small screen. The window stays within the screen's available area.
    if (!p) {
        // No stored placement: the framework's default placement with the start-up show command.
        keepOnScreen();
        if (showCommand == 2)
            showMinimized();
        else if (showCommand == 3)
            showMaximized();
        else
            show();
        return;
    }
    if (showCommand != 1) p->showCommand = static_cast<unsigned>(showCommand);
    if (p->right > p->left && p->bottom > p->top) {
        // The window manager's frame is not known before the window is shown: a title bar and thin borders
        // are kept free for it, so that the title bar of a window placed at the screen's edge stays on it.
        const int border = 4;
        const QMargins frame(border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border,
                             border);
        setGeometry(
            insideAvailableArea(QRect(p->left, p->top, p->right - p->left, p->bottom - p->top), frame));
    }
    switch (p->showCommand) {
    case 2: // minimised; it comes back maximised when it was so
        setWindowState((p->flags & 2) ? (Qt::WindowMinimized | Qt::WindowMaximized) : Qt::WindowMinimized);
        show();
        break;
    case 3:
        showMaximized();
        break;
    default:
        showNormal();
        keepOnScreen(); // the frame's size is known now where the window system tells it at once
        break;
    }
}

WindowPlacement CMainFrame::currentPlacement() const {
    WindowPlacement p;
    const Qt::WindowStates state = windowState();
    p.flags = (state & Qt::WindowMaximized) ? 2u : 0u;
    p.showCommand = (state & Qt::WindowMinimized) ? 2u : (state & Qt::WindowMaximized) ? 3u : 1u;
    QRect r = (state & (Qt::WindowMaximized | Qt::WindowMinimized)) ? normalGeometry() : geometry();
    if (!r.isValid()) r = geometry();
    p.left = r.left();
    p.top = r.top();
    p.right = r.left() + r.width();
    p.bottom = r.top() + r.height();
    return p;
}

void CMainFrame::savePlacement() {
    app.settings().writeString("Settings", "WindowPos", formatWindowPos(currentPlacement()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The placement is written at the start of every close request, even when the close is then cancelled.
    savePlacement();
    if (!app.SaveAllModified()) {
        event->ignore();
        return;
    }
    app.CloseAllDocuments();
    event->accept();
}

// ---- help -------------------------------------------------------------------------------------------------

bool CMainFrame::RouteHelpRequest(int topic) {
    if (topic != 0) {
        app.OpenHelpTopic(topic);
        return true;
    }
    if (CView* v = activeView()) {
        const int t = v->HelpTopic();
        if (t > 0) {
            app.OpenHelpTopic(t);
            return true;
        }
        if (t == 0) return true; // handled by doing nothing
    }
    // Not handled by a view: the framework's default help, the topic of the main window.
    app.OpenHelpTopic(help::DialogBase + 100);
    return false;
}

// ---- drag and drop, tooltips ------------------------------------------------------------------------------

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    for (const QUrl& u : urls)
        if (u.isLocalFile())
            app.OpenDocumentFile(QFileInfo(u.toLocalFile()).absoluteFilePath().toStdString());
}

void CMainFrame::enterHelpMode() {
    if (helpMode) return;
    helpMode = true;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    qApp->installEventFilter(this);
}

void CMainFrame::leaveHelpMode() {
    if (!helpMode) return;
    helpMode = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

int CMainFrame::helpTopicAt(QWidget* w) const {
    // A toolbar button: its command. A control with an id: the control. An image window: the image topic.
    if (auto* button = qobject_cast<QToolButton*>(w))
        if (QAction* a = button->defaultAction(); a && a->data().toInt())
            return help::ControlBase + a->data().toInt();
    for (QWidget* p = w; p; p = p->parentWidget()) {
        bool ok = false;
        const int id = p->property("controlId").toInt(&ok);
        if (ok && id) return help::ControlBase + id;
        if (auto* f = qobject_cast<ChildFrame*>(p)) {
            const int t = f->view()->HelpTopic();
            return t > 0 ? t : help::DialogBase + f->resourceId();
        }
    }
    return help::DialogBase + 100;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (helpMode) {
        // Help mode (Shift+F1): the next click names what help is wanted for; Escape ends the mode.
        if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            leaveHelpMode();
            app.OpenHelpTopic(helpTopicAt(w));
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            leaveHelpMode();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
