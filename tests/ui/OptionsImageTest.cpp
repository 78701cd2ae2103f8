// The Options dialog's rules and storage, and the image window: painting, clipboard, printing geometry,
// and the busy flag of a render target.

#include "AppHarness.h"

#include "app/ui/ColorSwatch.h"
#include "app/ui/Commands.h"
#include "app/ui/OptionsDialog.h"
#include "image/ui/TGADocument.h"
#include "image/ui/TGAView.h"

#include <QClipboard>
#include <QColorDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;

namespace {
struct OptionsCase {
    const char* width;
    const char* redraw;
    const char* antialiasing;
    const char* message; // "" when accepted
    int focus;
};
} // namespace

TEST(Options, FreshInstallationShowsTheDefaults) {
    AppHarness h;
    h.start();
    OptionsDialog dlg(*h.app);
    EXPECT_EQ(dlg.windowTitle(), "Options");
    EXPECT_EQ(dlg.swatch()->colour(), 0u);
    EXPECT_EQ(dlg.widthEdit()->text(), "0");
    EXPECT_EQ(dlg.redrawEdit()->text(), "1000");
    EXPECT_EQ(dlg.antialiasingEdit()->text(), "10");
}

TEST(Options, EveryRuleAndBoundary) {
    const OptionsCase cases[] = {
        {"-1", "1000", "10", "The flight path width has to be at least 0 pixels.", 344},
        {"11", "1000", "10", "The flight path width has to be at most 10 pixels.", 344},
        {"0", "99", "10", "The redraw interval has to be at least 100 ms.", 370},
        {"0", "65536", "10", "The redraw interval has to be at most 65535 ms.", 370},
        {"0", "1000", "0", "The antialiasing value has to be at least 1 pixel.", 310},
        {"0", "1000", "129", "The antialiasing value has to be at most 128 pixel.", 310},
        {"x", "1000", "10", "Please enter an integer.", 344},
        {"10", "100", "1", "", 0},
        {"0", "65535", "128", "", 0},
    };
    for (const OptionsCase& c : cases) {
        AppHarness h;
        h.start();
        h.settings->writeString("Settings", "Antialiasing", "10");
        OptionsDialog dlg(*h.app);
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        dlg.widthEdit()->setText(c.width);
        dlg.redrawEdit()->setText(c.redraw);
        dlg.antialiasingEdit()->setText(c.antialiasing);
        dlg.onOk();
        if (*c.message) {
            EXPECT_EQ(h.texts(), std::vector<std::string>({c.message}))
                << c.width << c.redraw << c.antialiasing;
            EXPECT_EQ(CHelpDialog::controlId(QApplication::focusWidget()), c.focus) << c.message;
            EXPECT_FALSE(QApplication::focusWidget() &&
                         static_cast<QLineEdit*>(QApplication::focusWidget())->selectedText().isEmpty());
            EXPECT_EQ(dlg.result(), 0);
            EXPECT_EQ(h.settings->getString("FlightPath", "Width", "unset"), "unset");
            EXPECT_EQ(h.settings->getString("Settings", "Antialiasing", ""), "10");
        } else {
            EXPECT_TRUE(h.shown.empty()) << h.texts().front();
            EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
            EXPECT_EQ(h.settings->getString("FlightPath", "Width", ""), c.width);
            EXPECT_EQ(h.settings->getString("Settings", "RedrawInterval", ""), c.redraw);
            EXPECT_EQ(h.settings->getString("Settings", "Antialiasing", ""), c.antialiasing);
            EXPECT_EQ(h.settings->getString("FlightPath", "Color", ""), "0");
        }
    }
}

TEST(Options, AChosenColourIsStoredOnlyByOk) {
    AppHarness h;
    h.start();
    h.settings->writeString("Colors", "BGr03", "FFFFFFFF");
    OptionsDialog dlg(*h.app);
    h.driver = [](QDialog& d) {
        // The stored FFFFFFFF shows the default grey of its position.
        EXPECT_EQ(QColorDialog::customColor(3), QColor(255 - 48, 255 - 48, 255 - 48));
        qobject_cast<QColorDialog*>(&d)->setCurrentColor(QColor(255, 0, 0));
        return int(QDialog::Accepted);
    };
    dlg.browseColour();
    EXPECT_EQ(dlg.swatch()->colour(), 0xFFu);
    dlg.reject();
    EXPECT_EQ(h.settings->getString("FlightPath", "Color", "unset"), "unset");
    EXPECT_EQ(h.settings->getString("Colors", "BGr03", ""), "CFCFCF");

    OptionsDialog again(*h.app);
    again.browseColour();
    again.onOk();
    EXPECT_EQ(h.settings->getString("FlightPath", "Color", ""), "FF");
}

TEST(Options, HelpButtonAndFocusedControlTopics) {
    AppHarness h;
    h.start();
    OptionsDialog dlg(*h.app);
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QPushButton* help = nullptr;
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (CHelpDialog::controlId(b) == CHelpDialog::HelpButtonId) help = b;
    ASSERT_TRUE(help);
    QTest::mouseClick(help, Qt::LeftButton);
    dlg.redrawEdit()->setFocus();
    QTest::keyClick(dlg.redrawEdit(), Qt::Key_F1);
    dlg.setContextHelp(false);
    QTest::keyClick(dlg.redrawEdit(), Qt::Key_F1);
    EXPECT_EQ(h.helpTopics, std::vector<int>({0x20000 + 718, 0x10000 + 370}));
}

TEST(ImageWindow, ShowsCopiesAndPastesThePicture) {
    AppHarness h;
    h.start();
    const std::string path = h.writeTga("pic.tga", 5, 3, 200);
    ASSERT_TRUE(h.app->OpenDocumentFile(path));
    auto* view = dynamic_cast<CTGAView*>(h.activeView());
    ASSERT_TRUE(view);
    auto* doc = view->GetImageDocument();
    EXPECT_EQ(doc->documentSize(), QSize(5, 3));
    // The bottom row is stored first; the view shows it at the bottom.
    doc->image().pixelAt(0, 0)[2] = 255; // red in the bottom-left corner
    const QImage upright = view->uprightImage();
    EXPECT_EQ(upright.pixelColor(0, 2), QColor(255, 200, 200));
    EXPECT_EQ(upright.pixelColor(0, 0), QColor(200, 200, 200));
    view->resize(100, 100);
    const QImage shown = view->viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 2), QColor(255, 200, 200));

    h.frame()->dispatchCommand(cmd::EditCopy);
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(5, 3));

    // A 32-bit picture of another size becomes the 24-bit image of the document.
    QImage other(7, 2, QImage::Format_ARGB32);
    other.fill(QColor(10, 20, 30));
    QApplication::clipboard()->setImage(other);
    ASSERT_TRUE(h.frame()->isCommandEnabled(cmd::EditPaste));
    h.frame()->dispatchCommand(cmd::EditPaste);
    EXPECT_EQ(doc->documentSize(), QSize(7, 2));
    EXPECT_EQ(doc->image().GetWidth(), 7);
    EXPECT_TRUE(doc->IsModified());
    const Bgr px = doc->image().GetPixel(6, 1);
    EXPECT_EQ(px, (Bgr{30, 20, 10}));
}

TEST(ImageWindow, PrintFillsThePageWidthKeepingTheAspectOnPaper) {
    EXPECT_EQ(CTGAView::printRect(320, 240, 4800, 600, 600), QRect(0, 0, 4800, 3600));
    // Pixels taller than wide on paper: 100 x 100 on a 300 x 600 dpi printer.
    EXPECT_EQ(CTGAView::printRect(100, 100, 2400, 300, 600), QRect(0, 0, 2400, 4800));
    EXPECT_EQ(CTGAView::printRect(3, 1, 1000, 600, 600).height(), 333);
}

TEST(ImageWindow, ABusyImageAsksBeforeItCloses) {
    AppHarness h;
    h.start();
    ASSERT_TRUE(h.app->OpenDocumentFile(h.writeTga("busy.tga")));
    auto* doc = dynamic_cast<CTGADocument*>(h.activeDocument());
    doc->image().setBusy(true);
    h.answers = {MsgAnswer::Yes};
    h.frame()->dispatchCommand(cmd::FileClose);
    apptest::flushDeletes();
    EXPECT_EQ(h.windowCount(), 1u);
    ASSERT_EQ(h.shown.size(), 1u);
    EXPECT_EQ(h.shown[0].text, "Do you really want to cancel the rendering process?");
    EXPECT_EQ(h.shown[0].icon, MsgIcon::Information);
    doc->image().setBusy(false);
    h.frame()->dispatchCommand(cmd::FileClose);
    apptest::flushDeletes();
    EXPECT_EQ(h.windowCount(), 0u);
}
