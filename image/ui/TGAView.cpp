#include "image/ui/TGAView.h"

#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "image/ui/TGADocument.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>

#include <cstring>

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

void CTGAView::updateScrollSizes() {
    CTGADocument* doc = GetImageDocument();
    const QSize size = doc ? doc->documentSize() : QSize(1, 1);
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, qMax(0, size.width() - page.width()));
    verticalScrollBar()->setRange(0, qMax(0, size.height() - page.height()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
    horizontalScrollBar()->setSingleStep(qMax(1, page.width() / 10));
    verticalScrollBar()->setSingleStep(qMax(1, page.height() / 10));
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
    // Flip while drawing instead of copying the picture.
    p.translate(-horizontalScrollBar()->value(), img.height() - verticalScrollBar()->value());
    p.scale(1, -1);
    p.drawImage(0, 0, img);
    p.restore();
}

void CTGAView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().color(QPalette::Base));
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
