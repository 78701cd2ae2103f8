#pragma once
// CPathView: the flight path editor. It shows the map with the points as numbered circles and the closed
// curve the camera will fly, and edits the points with the mouse:
// - a drag moves the point first hit (within 4 pixels) where the drag started; the point keeps its index;
// - a click without movement on a point deletes it, a click elsewhere inserts a new point after the list's
//   current element (so after a deletion the new point follows the deleted point's successor);
// - Apply hands the points to the scene form that opened the window; Copy and Paste exchange them with
//   other windows as text.

#include "image/ui/TGAView.h"
#include "path/Container.h"
#include "path/ui/PathCanvas.h"

#include <QCursor>
#include <QPointer>

class COrvantisView;
class CPathDoc;

class CPathView : public CTGAView {
    Q_OBJECT
public:
    explicit CPathView(CPathDoc* doc, QWidget* parent = nullptr);
    ~CPathView() override;

    CPathDoc* GetPathDocument() const;

    // Links the window to the form and takes the form's points 0 ... lastIndex in order.
    void AttachForm(COrvantisView* form);
    COrvantisView* attachedForm() const;

    // The scene gets the points in list order (at most 100) and is marked modified; the form's
    // path-editor flag is cleared.
    void ApplyToForm();
    // Apply (32814): ApplyToForm, then the window closes without asking.
    void OnApply();

    void OnEditCopy();
    void OnEditPaste();
    static bool clipboardHasPathText();

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender) override;

    const CContainer& points() const { return list; }
    std::vector<MapPoint> pointList() const { return PathPointsOf(list); }
    const PathCanvas& canvas() const { return picture; }
    const QCursor& editCursor() const { return editingCursor; }
    // Draws (or, a second time, takes away) the curve of the current points in the current pen.
    void toggleCurve();

protected:
    void drawPicture(QPainter& painter) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint mapPoint(const QPoint& windowPoint) const;
    void hideCurve();
    void showCurve();
    void moveDraggedPoint(const QPoint& to);
    void redrawAll();
    void showLimitMessage();

    QCursor editingCursor;
    QCursor arrowCursor{Qt::ArrowCursor};
    CContainer list;
    int dragging = 0;
    int dragIndex = 0;
    QPointer<COrvantisView> form;

    PathCanvas picture;
    // The curve as it is on the picture now, so that hiding it takes away exactly what was drawn.
    bool curveShown = false;
    std::vector<MapPoint> shownCurvePoints;
    FlightPathPen shownCurvePen;
};
