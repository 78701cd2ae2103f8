#pragma once
// CTGAView: the scrolling image window. It shows the document's picture one screen pixel per image pixel
// or zoomed (in steps, to 100 %, to fit the window; Ctrl+wheel), prints it scaled to the page width, and
// exchanges it with the clipboard. The rendering window and the flight path editor derive from it (the
// editor, whose points are placed by the mouse, keeps 100 %).

#include "app/ui/Document.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointF>
#include <QTransform>

class CTGADocument;
class QPainter;
class QPrinter;

class CTGAView : public QAbstractScrollArea, public CView {
    Q_OBJECT
public:
    explicit CTGAView(CTGADocument* doc, QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    CTGADocument* GetImageDocument() const;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender) override;
    int HelpTopic() override;
    // Called when a new document is made for this view (a render target); derived views start their work.
    virtual void BeginWork() {}

    // Scroll sizes follow the document size times the zoom.
    void updateScrollSizes();

    // Zoom: screen pixels per picture pixel. A change keeps the picture point at anchor (viewport
    // coordinates; the middle by default) where it is.
    double zoomFactor() const { return zoom; }
    void setZoom(double factor, QPointF anchor = QPointF(-1, -1));
    void zoomIn() { setZoom(NextZoomStep(zoom, +1)); }
    void zoomOut() { setZoom(NextZoomStep(zoom, -1)); }
    // The largest zoom that shows the whole picture without scroll bars.
    void zoomToFit();
    bool canZoom() const;
    // The zoom after current one step up (direction > 0) or down, from 1/16 to 16.
    static double NextZoomStep(double current, int direction);
    // The picture's size on screen at the current zoom.
    QSize zoomedPictureSize() const;

    // The picture as an image over the document's pixels (no copy; valid until the picture changes), and
    // the upright copy that printing and the clipboard use.
    QImage bitmapImage() const;
    QImage uprightImage() const;

    // The destination of the picture on a page cxPage pixels wide: the page width, aspect kept on paper.
    static QRect printRect(int imageWidth, int imageHeight, int cxPage, int cxInch, int cyInch);
    void printOn(QPrinter& printer);

    void OnEditCopy();
    void OnEditPaste();
    static bool clipboardHasImage();
    void OnFilePrint();
    void OnFilePrintPreview();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Paints the picture at the scroll position (derived views draw over it).
    virtual void drawPicture(QPainter& painter);
    // From picture pixels (upright, from the top left) to viewport pixels: the scroll position and the zoom.
    QTransform pictureTransform() const;
    // False in views whose pixels stay one to one with the picture.
    bool zoomable = true;

private:
    double zoom = 1.0;
};
