#include "path/ui/PathView.h"

#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/UiRegistry.h"
#include "path/PathText.h"
#include "path/ui/PathDoc.h"
#include "res/StringTable.h"
#include "scene/ui/OrvantisDoc.h"
#include "scene/ui/OrvantisView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStatusBar>

namespace {

// The editing cursor: cross hairs with a gap around the hot spot, white with a black outline so that it
// shows on any map.
QCursor makeEditingCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    auto hairs = [&p](const QColor& colour, int width) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(16, 2, 16, 12);
        p.drawLine(16, 20, 16, 30);
        p.drawLine(2, 16, 12, 16);
        p.drawLine(20, 16, 30, 16);
        p.drawEllipse(QPoint(16, 16), 6, 6);
    };
    hairs(Qt::black, 3);
    hairs(Qt::white, 1);
    p.end();
    return QCursor(pixmap, 16, 16);
}

HeldTemplateRegistration pathTemplate{
    101, [](OrvantisApp& app) -> CDocument* { return new CPathDoc(app); },
    [](CDocument* doc) -> CView* { return new CPathView(static_cast<CPathDoc*>(doc)); }};

} // namespace

CPathView::CPathView(CPathDoc* doc, QWidget* parent)
    : CTGAView(doc, parent), editingCursor(makeEditingCursor()) {
    setObjectName(QStringLiteral("PathView"));
    // Points are placed with the mouse on the map's own pixels.
    zoomable = false;
    viewport()->setMouseTracking(true);
    onCommand(cmd::Apply, [this] { OnApply(); });
    onCommand(cmd::EditCopy, [this] { OnEditCopy(); });
    onCommand(
        cmd::EditPaste, [this] { OnEditPaste(); },
        [](CommandState& s) { s.enabled = clipboardHasPathText(); });
}

CPathView::~CPathView() {
    if (form) form->pathWindowOpen = 0;
}

COrvantisView* CPathView::attachedForm() const {
    return form.data();
}

CPathDoc* CPathView::GetPathDocument() const {
    return static_cast<CPathDoc*>(GetDocument());
}

void CPathView::OnInitialUpdate() {
    CTGAView::OnInitialUpdate();
    picture.setMap(uprightImage());
    redrawAll();
}

void CPathView::OnUpdate(CView* sender) {
    CTGAView::OnUpdate(sender);
    redrawAll();
}

// ---- the scene form -------------------------------------------------------------------------------------

void CPathView::AttachForm(COrvantisView* f) {
    form = f;
    if (!f) return;
    hideCurve();
    for (int i = 0; i <= f->scene.lastIndex && i < kMaxEditorPoints; ++i)
        InsertPathPoint(list, f->scene.points[i].x, f->scene.points[i].y);
    redrawAll();
}

void CPathView::ApplyToForm() {
    if (!form) return;
    if (CDocument* sceneDoc = form->GetDocument()) sceneDoc->SetModifiedFlag(true);
    form->pathWindowOpen = 0;
    form->scene.ClearPathPoints();
    int i = 0;
    for (const MapPoint& p : pointList()) {
        if (i >= kMaxPathPoints) break;
        form->scene.SetPathPoint(i++, p.x, p.y);
    }
}

void CPathView::OnApply() {
    ApplyToForm();
    if (CDocument* doc = GetDocument()) doc->OnCloseDocument();
}

// ---- drawing --------------------------------------------------------------------------------------------

void CPathView::drawPicture(QPainter& painter) {
    if (!picture.hasMap()) {
        CTGAView::drawPicture(painter);
        return;
    }
    painter.drawImage(-horizontalScrollBar()->value(), -verticalScrollBar()->value(), picture.screen());
}

void CPathView::toggleCurve() {
    picture.drawCurve(pointList(), ReadFlightPathPen(GetDocument()->app().settings()));
    viewport()->update();
}

void CPathView::hideCurve() {
    if (!curveShown) return;
    picture.drawCurve(shownCurvePoints, shownCurvePen);
    curveShown = false;
    viewport()->update();
}

void CPathView::showCurve() {
    if (curveShown) return;
    shownCurvePoints = pointList();
    shownCurvePen = ReadFlightPathPen(GetDocument()->app().settings());
    picture.drawCurve(shownCurvePoints, shownCurvePen);
    curveShown = true;
    viewport()->update();
}

void CPathView::redrawAll() {
    if (!picture.hasMap()) return;
    shownCurvePoints = pointList();
    shownCurvePen = ReadFlightPathPen(GetDocument()->app().settings());
    picture.redrawAll(shownCurvePoints, shownCurvePen);
    curveShown = true;
    viewport()->update();
}

// ---- mouse ----------------------------------------------------------------------------------------------

QPoint CPathView::mapPoint(const QPoint& windowPoint) const {
    return windowPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CPathView::moveDraggedPoint(const QPoint& to) {
    auto* p = dynamic_cast<CPointElement*>(list.GetAt(dragIndex));
    if (!p) return;
    picture.eraseMarker(p->x, p->y);
    p->x = to.x();
    p->y = to.y();
    picture.drawMarker(p->x, p->y, dragIndex);
    GetDocument()->SetModifiedFlag(true);
}

void CPathView::mouseMoveEvent(QMouseEvent* event) {
    if (!picture.hasMap()) return;
    const QPoint m = mapPoint(event->position().toPoint());
    if (!picture.contains(m.x(), m.y())) {
        viewport()->setCursor(arrowCursor);
        return;
    }
    if (event->buttons() & Qt::LeftButton) {
        hideCurve();
        if (dragging) {
            moveDraggedPoint(m);
        } else {
            const int hit = HitTestPathPoint(list, m.x(), m.y());
            if (hit >= 0) {
                dragIndex = hit;
                dragging = 1;
                moveDraggedPoint(m);
            }
        }
        showCurve();
    }
    viewport()->setCursor(editingCursor);
}

void CPathView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !picture.hasMap()) return;
    const QPoint m = mapPoint(event->position().toPoint());
    if (!picture.contains(m.x(), m.y())) return;
    hideCurve();
    if (dragging) {
        dragging = 0;
    } else {
        const int hit = HitTestPathPoint(list, m.x(), m.y());
        if (hit >= 0) {
            auto* p = static_cast<CPointElement*>(list.GetAt(hit));
            picture.eraseMarker(p->x, p->y);
            list.Remove(p);
            GetDocument()->SetModifiedFlag(true);
        } else if (InsertPathPoint(list, m.x(), m.y())) {
            GetDocument()->SetModifiedFlag(true);
        } else {
            showLimitMessage();
        }
    }
    const std::vector<MapPoint> points = pointList();
    for (const MapPoint& p : points) picture.eraseMarker(p.x, p.y);
    int index = 0;
    for (const MapPoint& p : points) picture.drawMarker(p.x, p.y, index++);
    showCurve();
}

void CPathView::showLimitMessage() {
    if (CMainFrame* frame = GetDocument()->app().mainFrame())
        frame->statusBar()->showMessage(QString::fromLatin1(LoadString(IDS_PATH_TOO_MANY_POINTS)));
}

// ---- clipboard ------------------------------------------------------------------------------------------

bool CPathView::clipboardHasPathText() {
    const QMimeData* m = QApplication::clipboard()->mimeData();
    return m && m->hasText() && IsPathText(m->text().toLatin1().constData());
}

void CPathView::OnEditCopy() {
    QApplication::clipboard()->setText(QString::fromLatin1(QByteArray::fromStdString(BuildPathText(list))));
}

void CPathView::OnEditPaste() {
    const QMimeData* m = QApplication::clipboard()->mimeData();
    if (!m || !m->hasText()) return;
    const QByteArray text = m->text().toLatin1();
    const PathTextResult result = ReadPathText(text.constData(), list);
    if (!result.accepted) return;
    if (result.truncated) showLimitMessage();
    GetDocument()->SetModifiedFlag(true);
    GetDocument()->UpdateAllViews(nullptr);
}
