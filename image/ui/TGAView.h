#pragma once
// CTGAView: the scrolling image window. It shows the document's picture one screen pixel per image pixel,
// prints it scaled to the page width, and exchanges it with the clipboard. The rendering window and the
// flight path editor derive from it.

#include "app/ui/Document.h"

#include <QAbstractScrollArea>
#include <QImage>

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

    // Scroll sizes follow the document size.
    void updateScrollSizes();

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
    void resizeEvent(QResizeEvent* event) override;
    // Paints the picture at the scroll position (derived views draw over it).
    virtual void drawPicture(QPainter& painter);
};
