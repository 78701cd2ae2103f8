// The frame every tool dialog shares: choosers, enabling, the run and cancel protocol, help.

#include "AppHarness.h"
#include "ToolDialogTestHarness.h"
#include "tools/ui/CombineDialogs.h"
#include "tools/ui/ConversionDialogs.h"
#include "tools/ui/DemImportDialog.h"
#include "tools/ui/ToolDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QWindow>
#include <gtest/gtest.h>

using namespace tooldlg;

namespace {

class ToolDialogFrame : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
    Harness h;
    TempDir dir;
};

TEST_F(ToolDialogFrame, OkWaitsForEveryFileAndIsNotDisabledAgain) {
    CConvolutionDialog dialog(h.context());
    dialog.show();
    QPushButton* ok = button(&dialog, "okButton");
    auto* fromEdit = dialog.findChild<QLineEdit*>("fromEdit");
    EXPECT_FALSE(ok->isEnabled());

    // The file fields are read-only: typing changes nothing.
    fromEdit->setFocus();
    QTest::keyClicks(fromEdit, "typed.tga");
    EXPECT_TRUE(fromEdit->text().isEmpty());
    EXPECT_FALSE(ok->isEnabled());

    h.picks = {QString("a.tga")};
    click(&dialog, "fromBrowse");
    EXPECT_EQ(fromEdit->text(), "a.tga");
    EXPECT_FALSE(ok->isEnabled());
    h.picks = {QString("b.tga")};
    click(&dialog, "toBrowse");
    EXPECT_FALSE(ok->isEnabled()) << "the value matrix is still missing";
    h.picks = {std::nullopt}; // the chooser cancelled: nothing changes
    click(&dialog, "thirdBrowse");
    EXPECT_FALSE(ok->isEnabled());
    h.picks = {QString("k.tga")};
    click(&dialog, "thirdBrowse");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.findChild<QLineEdit*>("thirdEdit")->text(), "k.tga");

    h.picks = {std::nullopt};
    click(&dialog, "fromBrowse");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.fromFile(), "a.tga");

    // A two-file dialog needs only From and To.
    CEliminateRedDialog plain(h.context());
    h.picks = {QString("a.tga"), QString("b.tga")};
    click(&plain, "toBrowse");
    EXPECT_FALSE(button(&plain, "okButton")->isEnabled());
    click(&plain, "fromBrowse");
    EXPECT_TRUE(button(&plain, "okButton")->isEnabled());
}

TEST_F(ToolDialogFrame, ChoosersAskWithTheirModeExtensionAndFilters) {
    CElevationToColorDialog dialog(h.context());
    chooseFiles(h, &dialog, "/x/in.tga", "/x/out.tga", "/x/pal.tga");
    ASSERT_EQ(h.requests.size(), 3u);
    const QStringList tga{"TGA files (*.tga)", "All files (*)"};
    EXPECT_FALSE(h.requests[0].save);
    EXPECT_EQ(h.requests[0].defaultSuffix, "tga");
    EXPECT_EQ(h.requests[0].nameFilters, tga);
    EXPECT_EQ(h.requests[0].title, "Open");
    EXPECT_TRUE(h.requests[1].save);
    EXPECT_EQ(h.requests[1].title, "Save As");
    EXPECT_EQ(h.requests[1].nameFilters,
              (QStringList{"TGA files (*.tga)", "YUV files (*.yuv)", "All files (*)"}));
    EXPECT_FALSE(h.requests[2].save);
    EXPECT_EQ(h.requests[2].nameFilters, tga);

    // The current path is offered again.
    h.picks = {std::nullopt};
    click(&dialog, "toBrowse");
    EXPECT_EQ(h.requests.back().initialPath, "/x/out.tga");

    CDemImportDialog dem(h.context());
    click(&dem, "fromBrowse");
    EXPECT_EQ(h.requests.back().defaultSuffix, "dem");
    EXPECT_EQ(h.requests.back().nameFilters, (QStringList{"DEM files (*.dem)", "All files (*)"}));

    // Filters without the pattern in their name, and lists of patterns.
    EXPECT_EQ(ConvertFilterString("Pictures|*.tga;*.yuv|Everything|*.*||"),
              (QStringList{"Pictures (*.tga *.yuv)", "Everything (*)"}));
    EXPECT_TRUE(ConvertFilterString("").isEmpty());
}

TEST_F(ToolDialogFrame, ChoosersStartInTheFolderOfTheLastFileChosenAndFileFieldsLookReadOnly) {
    const QString folder = QString::fromStdString(dir.path());
    CElevationToGrayDialog dialog(h.context());
    h.picks = {QString::fromStdString(dir.path("in.tga")), std::nullopt, std::nullopt};
    click(&dialog, "fromBrowse");
    click(&dialog, "toBrowse");
    EXPECT_EQ(h.requests.back().initialPath, "");
    EXPECT_EQ(h.requests.back().initialFolder, folder);
    // The next tool's dialog starts there as well, and the file dialog opens in that folder.
    CMaskDialog next(h.context());
    click(&next, "thirdBrowse");
    EXPECT_EQ(h.requests.back().initialFolder, folder);
    EXPECT_EQ(ToolFileDialog(nullptr, h.requests.back()).directory().absolutePath(), folder);

    // Filled by Browse only, the file fields do not look like the field that takes typing.
    auto* from = dialog.findChild<QLineEdit*>("fromEdit");
    auto* typed = dialog.findChild<QLineEdit*>("factorEdit");
    EXPECT_TRUE(from->isReadOnly());
    EXPECT_NE(from->palette().color(QPalette::Base), typed->palette().color(QPalette::Base));
}

TEST(ToolResult, AFinishedToolOffersToOpenThePictureItWrote) {
    apptest::AppHarness a;
    a.start();
    const std::string picture = a.writeTga("out.tga");
    a.answers = {MsgAnswer::Yes};
    OfferToOpenResult(*a.app, QString::fromStdString(picture));
    EXPECT_EQ(a.texts(),
              std::vector<std::string>{"The tool has written\n'" + picture + "'.\nOpen the result?"});
    ASSERT_NE(a.activeDocument(), nullptr);
    EXPECT_EQ(a.activeDocument()->GetPathName(), picture);
    // A YUV frame has no window to open in: nothing is offered.
    a.shown.clear();
    TempDir::write(a.dir.path("out.yuv"), "yuv");
    OfferToOpenResult(*a.app, QString::fromStdString(a.dir.path("out.yuv")));
    EXPECT_TRUE(a.shown.empty());
}

TEST_F(ToolDialogFrame, FileDialogIsTheNonNativeOneWithTheChoosersFlags) {
    FileChooserRequest open;
    open.defaultSuffix = "dem";
    open.nameFilters = ConvertFilterString("DEM files (*.dem)|*.dem|All files (*.*)|*.*||");
    open.initialPath = QString::fromStdString(dir.path("a.dem"));
    ToolFileDialog openDialog(nullptr, open);
    EXPECT_TRUE(openDialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(openDialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(openDialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(openDialog.defaultSuffix(), "dem");
    EXPECT_EQ(openDialog.nameFilters(), open.nameFilters);
    EXPECT_EQ(openDialog.directory().absolutePath(), QString::fromStdString(dir.path()));

    FileChooserRequest save = open;
    save.save = true;
    ToolFileDialog saveDialog(nullptr, save);
    EXPECT_EQ(saveDialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(saveDialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_FALSE(saveDialog.testOption(QFileDialog::DontConfirmOverwrite));
}

TEST_F(ToolDialogFrame, CancelDuringARunStopsItAndKeepsTheDialogOpen) {
    Picture input(400, 300), kernel(5, 5);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) input.set(x, y, x & 0xFF, y & 0xFF, (x + y) & 0xFF);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) kernel.set(x, y, 129, 129, 129);
    input.write(dir.path("in.tga"));
    kernel.write(dir.path("k.tga"));
    const std::string out = dir.path("out.tga");

    CConvolutionDialog dialog(h.context());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    chooseFiles(h, &dialog, dir.path("in.tga"), out, dir.path("k.tga"));

    struct {
        bool seen = false, okEnabled = true, browseEnabled = true, closeHint = true, closed = false;
        int idle = -1;
        QString progress;
    } during;
    QTimer::singleShot(0, [&] {
        during.seen = true;
        during.idle = dialog.idleFlag();
        during.okEnabled = button(&dialog, "okButton")->isEnabled();
        during.browseEnabled = button(&dialog, "fromBrowse")->isEnabled() ||
                               button(&dialog, "toBrowse")->isEnabled() ||
                               button(&dialog, "thirdBrowse")->isEnabled();
        during.closeHint = dialog.windowHandle()->flags().testFlag(Qt::WindowCloseButtonHint);
        during.progress = dialog.progressTextShown();
        QTest::keyClick(&dialog, Qt::Key_Escape); // refused while running
        during.closed = dialog.close() || !dialog.isVisible();
        click(&dialog, "cancelButton");
    });
    click(&dialog, "okButton");

    ASSERT_TRUE(during.seen);
    EXPECT_EQ(during.idle, 0);
    EXPECT_FALSE(during.okEnabled);
    EXPECT_FALSE(during.browseEnabled);
    EXPECT_FALSE(during.closeHint);
    EXPECT_TRUE(during.progress.endsWith('%')) << during.progress.toStdString();
    EXPECT_FALSE(during.closed);

    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.idleFlag(), 1);
    EXPECT_TRUE(button(&dialog, "okButton")->isEnabled());
    EXPECT_TRUE(button(&dialog, "thirdBrowse")->isEnabled());
    EXPECT_TRUE(dialog.windowHandle()->flags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(dialog.progressTextShown().isEmpty());
    EXPECT_FALSE(fileExists(out));

    // Run again to the end: the dialog closes with OK and the output is there.
    click(&dialog, "okButton");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(fileExists(out));
}

TEST_F(ToolDialogFrame, OtherWindowsKeepWorkingWhileAToolRuns) {
    Picture input(600, 400), kernel(7, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) kernel.set(x, y, 129, 130, 128 + x);
    input.write(dir.path("in.tga"));
    kernel.write(dir.path("k.tga"));

    // A window repainted by a timer, as a rendering window is. The timer is due at every pass of the event
    // loop and the run lets events through at every row, so the run is still going at the third tick
    // however fast the machine is; Cancel comes from that tick.
    QLabel other("rendering");
    other.show();
    int ticks = 0;
    bool cancelledDuringRun = false;
    QTimer timer;
    CConvolutionDialog dialog(h.context());
    dialog.setPumpInterval(0);
    dialog.show();
    chooseFiles(h, &dialog, dir.path("in.tga"), dir.path("out.tga"), dir.path("k.tga"));
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        other.setText(QString::number(ticks));
        other.repaint();
        if (ticks == 3) {
            cancelledDuringRun = dialog.runInProgress();
            click(&dialog, "cancelButton");
        }
    });
    timer.start(0);
    click(&dialog, "okButton");
    timer.stop();
    EXPECT_TRUE(cancelledDuringRun) << "the other window's timer did not keep running while the tool ran";
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(fileExists(dir.path("out.tga")));
}

TEST_F(ToolDialogFrame, FailedRunLeavesTheDialogIdleWithItsFiles) {
    CGrayToElevationDialog dialog(h.context());
    dialog.show();
    chooseFiles(h, &dialog, dir.path("missing.tga"), dir.path("out.tga"));
    click(&dialog, "okButton");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.idleFlag(), 1);
    EXPECT_TRUE(button(&dialog, "okButton")->isEnabled());
    EXPECT_TRUE(button(&dialog, "fromBrowse")->isEnabled());
    EXPECT_EQ(dialog.fromFile().toStdString(), dir.path("missing.tga"));
    EXPECT_FALSE(h.platform.shown.empty()) << "the open reports the missing file";
    EXPECT_FALSE(fileExists(dir.path("out.tga")));

    // Cancel while idle closes the dialog.
    click(&dialog, "cancelButton");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    // A mask of another size than the picture: the mask tool fails without a message.
    Picture(8, 8).write(dir.path("pic.tga"));
    Picture(8, 7).write(dir.path("mask.tga"));
    h.platform.shown.clear();
    CMaskDialog mask(h.context());
    mask.show();
    chooseFiles(h, &mask, dir.path("pic.tga"), dir.path("masked.tga"), dir.path("mask.tga"));
    click(&mask, "okButton");
    EXPECT_TRUE(mask.isVisible());
    EXPECT_EQ(mask.idleFlag(), 1);
    EXPECT_TRUE(h.platform.shown.empty());
    EXPECT_FALSE(fileExists(dir.path("masked.tga")));
}

TEST_F(ToolDialogFrame, HelpOpensTheDialogsAndTheControlsTopics) {
    CMaskDialog dialog(h.context());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    click(&dialog, "helpButton");
    dialog.findChild<QLineEdit*>("thirdEdit")->setFocus();
    QTest::keyClick(&dialog, Qt::Key_F1);
    button(&dialog, "helpButton")->setFocus();
    QTest::keyClick(&dialog, Qt::Key_F1);
    EXPECT_EQ(h.helpTopics, (std::vector<int>{0x20000 + 710, 0x10000 + 360, 0x20000 + 710}));
}

TEST_F(ToolDialogFrame, EveryToolCommandHasItsDialog) {
    const struct {
        int command, dialog;
        const char* title;
    } tools[] = {{32803, 703, "Convert DEM File to Elevation File"},
                 {32804, 705, "Convert Elevation File to Color File"},
                 {32808, 715, "Eliminate Red Values"},
                 {32806, 707, "Convert Grayscale File to Elevation File"},
                 {32812, 706, "Convert Elevation File to Grayscale File"},
                 {32807, 709, "Surface Interpolation"},
                 {32809, 701, "Convolution"},
                 {32810, 711, "Merge Files"},
                 {32811, 710, "Mask a File"},
                 {32813, 717, "Resample Elevation File"},
                 {32815, 714, "Correct Distortion"}};
    for (const auto& t : tools) {
        auto dialog = CreateToolDialog(t.command, h.context());
        ASSERT_TRUE(dialog) << t.command;
        EXPECT_EQ(dialog->dialogId(), t.dialog);
        EXPECT_EQ(dialog->windowTitle().toStdString(), t.title);
        EXPECT_EQ(CToolDialog::controlId(dialog->findChild<QLabel*>("progressText")), 365);
        EXPECT_EQ(CToolDialog::controlId(dialog->findChild<QLineEdit*>("fromEdit")), 354);
        EXPECT_EQ(CToolDialog::controlId(button(dialog.get(), "toBrowse")), 321);
        EXPECT_EQ(button(dialog.get(), "okButton")->text(), "&OK");
    }
    EXPECT_FALSE(CreateToolDialog(32814, h.context()));
    EXPECT_EQ(RunToolDialog(h.app, 32805), -1);

    // The application runs them for its tool commands, modally through its dialog runner.
    QStringList shown;
    h.app.setDialogRunner([&](QDialog& d) {
        shown << d.windowTitle();
        return int(QDialog::Rejected);
    });
    CommandState state;
    EXPECT_TRUE(h.app.queryCommand(32815, state));
    EXPECT_TRUE(h.app.runCommand(32815));
    EXPECT_TRUE(h.app.runCommand(32803));
    EXPECT_EQ(shown, (QStringList{"Correct Distortion", "Convert DEM File to Elevation File"}));
}

} // namespace
