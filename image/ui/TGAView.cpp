#include "image/ui/TGAView.h"

#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "image/ui/TGADocument.h"
#include "res/StringTable.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>

#include <cstring>
#include <iterator>

CTGAView::CTGAView(CTGADocument* doc, QWidget* parent) : QAbstractScrollArea(parent) {
    Q_UNUSED(doc);
    setObjectName(QStringLiteral("TGAView"));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    onCommand(
        cmd::EditCopy, [this] { OnEditCopy(); },
        [this](CommandState& s) {
            s.enabled = GetImageDocument() && GetImageDocument()->image().hasImage();
        });
    onCommand(
        cmd::EditPaste, [this] { OnEditPaste(); }, [](CommandState& s) { s.enabled = clipboardHasImage(); });
    onCommand(cmd::FilePrint, [this] { OnFilePrint(); });
    auto zoomState = [this](CommandState& st) { st.enabled = canZoom(); };
    onCommand(
        cmd::ZoomIn, [this] { zoomIn(); }, zoomState);
    onCommand(
        cmd::ZoomOut, [this] { zoomOut(); }, zoomState);
    onCommand(
        cmd::ZoomActualSize, [this] { setZoom(1.0); }, zoomState);
    onCommand(
        cmd::ZoomToFit, [this] { zoomToFit(); }, zoomState);
    onCommand(cmd::FilePrintPreview, [this] { OnFilePrintPreview(); });
}

CTGADocument* CTGAView::GetImageDocument() const {
    return static_cast<CTGADocument*>(GetDocument());
}

void CTGAView::OnInitialUpdate() {
    updateScrollSizes();
}

void CTGAView::OnUpdate(CView*) {
    updateScrollSizes();
    viewport()->update();
}

int CTGAView::HelpTopic() {
    return help::ImageView;
}

QSize CTGAView::zoomedPictureSize() const {
    CTGADocument* doc = GetImageDocument();
    const QSize size = doc ? doc->documentSize() : QSize(1, 1);
    if (zoom == 1.0) return size;
    return QSize(qMax(1, qRound(size.width() * zoom)), qMax(1, qRound(size.height() * zoom)));
}

void CTGAView::updateScrollSizes() {
    const QSize size = zoomedPictureSize();
    // A picture that fits the view without scroll bars gets none, even while they are still shown.
    const QSize room = maximumViewportSize();
    const bool fits = size.width() <= room.width() && size.height() <= room.height();
    const QSize page = fits ? room : viewport()->size();
    horizontalScrollBar()->setRange(0, qMax(0, size.width() - page.width()));
    verticalScrollBar()->setRange(0, qMax(0, size.height() - page.height()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
    horizontalScrollBar()->setSingleStep(qMax(1, page.width() / 10));
    verticalScrollBar()->setSingleStep(qMax(1, page.height() / 10));
}

// ---- zoom -------------------------------------------------------------------------------------------------

double CTGAView::NextZoomStep(double current, int direction) {
    static const double steps[] = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 0.25, 1.0 / 3, 0.5,  2.0 / 3, 1.0,
                                   1.5,      2.0,      3.0,     4.0,     6.0,  8.0,     12.0, 16.0};
    if (direction > 0) {
        for (double s : steps)
            if (s > current * (1 + 1e-9)) return s;
        return steps[std::size(steps) - 1];
    }
    for (auto it = std::rbegin(steps); it != std::rend(steps); ++it)
        if (*it < current * (1 - 1e-9)) return *it;
    return steps[0];
}

bool CTGAView::canZoom() const {
    return zoomable && GetImageDocument() && GetImageDocument()->image().hasImage();
}

void CTGAView::setZoom(double factor, QPointF anchor) {
    factor = qBound(1.0 / 16, factor, 16.0);
    if (!zoomable || factor == zoom) return;
    const QSize page = viewport()->size();
    if (anchor.x() < 0) anchor = QPointF(page.width() / 2.0, page.height() / 2.0);
    // The picture point under the anchor stays under it.
    const QPointF point =
        (anchor + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value())) / zoom;
    zoom = factor;
    updateScrollSizes();
    horizontalScrollBar()->setValue(qRound(point.x() * zoom - anchor.x()));
    verticalScrollBar()->setValue(qRound(point.y() * zoom - anchor.y()));
    viewport()->update();
    if (CDocument* doc = GetDocument())
        if (CMainFrame* main = doc->app().mainFrame())
            main->statusBar()->showMessage(
                QString::fromStdString(FormatString(IDS_ZOOM_STATUS, qRound(zoom * 100))), 3000);
}

void CTGAView::zoomToFit() {
    CTGADocument* doc = GetImageDocument();
    if (!doc) return;
    const QSize size = doc->documentSize();
    // The viewport's size without scroll bars: the fitted picture needs none.
    const QSize room = maximumViewportSize();
    if (size.isEmpty() || room.isEmpty()) return;
    setZoom(qMin(double(room.width()) / size.width(), double(room.height()) / size.height()));
}

QTransform CTGAView::pictureTransform() const {
    QTransform t;
    t.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    t.scale(zoom, zoom);
    return t;
}

void CTGAView::wheelEvent(QWheelEvent* event) {
    if (zoomable && (event->modifiers() & Qt::ControlModifier)) {
        const int delta = event->angleDelta().y();
        if (delta != 0 && canZoom()) setZoom(NextZoomStep(zoom, delta > 0 ? 1 : -1), event->position());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void CTGAView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollSizes();
}

QImage CTGAView::bitmapImage() const {
    CTGADocument* doc = GetImageDocument();
    if (!doc || !doc->image().hasImage()) return QImage();
    const CTGAFile& image = doc->image();
    // Rows bottom row first, pixels blue-green-red: the picture upside down in QImage's terms.
    return QImage(image.pixelAt(0, 0), image.headerWidth(), image.headerHeight(),
                  static_cast<qsizetype>(CTGAFile::RowStride(image.headerWidth())), QImage::Format_BGR888);
}

QImage CTGAView::uprightImage() const {
    return bitmapImage().mirrored(false, true);
}

void CTGAView::drawPicture(QPainter& p) {
    const QImage img = bitmapImage();
    if (img.isNull()) return;
    p.save();
    p.setTransform(pictureTransform(), true);
    // Shrunk pictures are filtered; enlarged ones show their pixels as squares.
    if (zoom < 1.0) p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Flip while drawing instead of copying the picture.
    p.translate(0, img.height());
    p.scale(1, -1);
    p.drawImage(0, 0, img);
    p.restore();
}

void CTGAView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    // A window larger than its picture shows grey around it, so that the picture's edge can be seen (a
    // Preview's lines end there).
    p.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
    if (const CTGADocument* doc = GetImageDocument()) {
        p.save();
        p.setTransform(pictureTransform(), true);
        p.fillRect(QRect(QPoint(0, 0), doc->documentSize()), palette().color(QPalette::Base));
        p.restore();
    }
    drawPicture(p);
}

// ---- clipboard --------------------------------------------------------------------------------------------

bool CTGAView::clipboardHasImage() {
    const QMimeData* m = QApplication::clipboard()->mimeData();
    return m && m->hasImage();
}

void CTGAView::OnEditCopy() {
    QImage img = uprightImage();
    if (img.isNull()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::clipboard()->setImage(img);
    QApplication::restoreOverrideCursor();
}

void CTGAView::OnEditPaste() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QImage img = QApplication::clipboard()->image();
    QApplication::restoreOverrideCursor();
    if (img.isNull()) return;
    // Any pixel format becomes 24 bits, rows bottom first, as the document keeps its pictures.
    img = img.convertToFormat(QImage::Format_BGR888).mirrored(false, true);
    std::vector<uint8_t> rows(static_cast<size_t>(img.width()) * 3 * static_cast<size_t>(img.height()));
    for (int y = 0; y < img.height(); ++y)
        std::memcpy(rows.data() + static_cast<size_t>(y) * img.width() * 3, img.constScanLine(y),
                    static_cast<size_t>(img.width()) * 3);
    CTGADocument* doc = GetImageDocument();
    if (!doc->image().ReplaceImage(img.width(), img.height(), rows)) return;
    doc->SetModifiedFlag(true);
    updateScrollSizes();
    doc->UpdateAllViews(nullptr);
    viewport()->update();
}

// ---- printing ---------------------------------------------------------------------------------------------

QRect CTGAView::printRect(int imageWidth, int imageHeight, int cxPage, int cxInch, int cyInch) {
    const double bottom = double(imageHeight) * cxPage * cyInch / (double(imageWidth) * cxInch);
    return QRect(0, 0, cxPage, static_cast<int>(bottom));
}

void CTGAView::printOn(QPrinter& printer) {
    const QImage img = uprightImage();
    if (img.isNull()) return;
    QPainter p(&printer);
    p.drawImage(
        printRect(img.width(), img.height(), printer.width(), printer.logicalDpiX(), printer.logicalDpiY()),
        img);
}

void CTGAView::OnFilePrint() {
    OrvantisApp& app = GetDocument()->app();
    QPrintDialog dlg(&app.printer(), this);
    if (app.runDialog(dlg) != QDialog::Accepted) return;
    printOn(app.printer());
}

void CTGAView::OnFilePrintPreview() {
    OrvantisApp& app = GetDocument()->app();
    QPrintPreviewDialog dlg(&app.printer(), app.mainFrame());
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { printOn(*printer); });
    app.runDialog(dlg);
}
