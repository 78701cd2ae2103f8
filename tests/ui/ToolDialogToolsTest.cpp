// Each tool dialog drives the same engine as orvantis-cli: for the same inputs it writes the same bytes.
// Also the dialogs' own controls: Merge's biases, Rectify's remembered corners, the DEM listing.

#include "ToolDialogTestHarness.h"
#include "app/IniSettings.h"
#include "tools/ui/DemImportDialog.h"
#include "tools/ui/RectifyDialog.h"
#include "tools/ui/ToolDialogs.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace tooldlg;

namespace {

class ToolDialogTools : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        // Neither the dialogs nor orvantis-cli touch the user's own settings file.
        setenv("ORVANTIS_INI", dir.path("orvantis.ini").c_str(), 1);
        ini = std::make_unique<IniSettings>(dir.path("orvantis.ini"));
        h.settings = ini.get();
        makeInputs();
    }

    std::string in(const std::string& name) const { return dir.path(name); }

    void makeInputs() {
        Picture elevation(16, 12), picture(16, 12), second(10, 9), kernel(3, 3), palette(64, 2), mask(16, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                elevation.setElevation(x, y, uint32_t(x * 190 + y * 37));
                picture.set(x, y, (x * 16) & 0xFF, (y * 20) & 0xFF, (x * y * 3) & 0xFF);
                mask.set(x, y, 40, 40, 40);
            }
        for (int x = 0; x < 16; ++x) picture.set(x, 5, 0, 0, 20 + x * 10); // a red contour row ...
        for (int y = 0; y < 12; ++y) picture.set(3, y, 0, 0, 90);          // ... and column
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x) second.set(x, y, 200, x * 20, y * 25);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) kernel.set(x, y, 129, 130 + x, 128 + y);
        for (int x = 0; x < 64; ++x) palette.set(x, 0, x * 4, 255 - x * 4, 100);
        mask.set(0, 0, 1, 2, 3); // transparent
        mask.set(1, 0, 4, 5, 6); // brighter
        mask.set(2, 0, 7, 8, 9); // darker
        for (int x = 4; x < 12; ++x) {
            mask.set(x, 6, 1, 2, 3);
            mask.set(x, 7, 4, 5, 6);
            mask.set(x, 8, 7, 8, 9);
        }
        elevation.write(in("elev.tga"));
        picture.write(in("pic.tga"));
        second.write(in("second.tga"));
        kernel.write(in("kernel.tga"));
        palette.write(in("palette.tga"));
        mask.write(in("mask.tga"));
    }

    TempDir dir;
    Harness h;
    std::unique_ptr<IniSettings> ini;
};

void setText(QWidget* dialog, const char* edit, const char* text) {
    auto* e = dialog->findChild<QLineEdit*>(edit);
    ASSERT_TRUE(e) << edit;
    e->setText(text);
}

TEST_F(ToolDialogTools, EveryDialogWritesWhatTheCommandLineWrites) {
    struct Case {
        int command;
        std::string from, third;
        std::function<void(QWidget*)> controls;
        std::vector<std::string> cli; // after IN OUT
        std::string subcommand;
    };
    const std::vector<Case> cases = {
        {32812, "elev.tga", "", [](QWidget* d) { setText(d, "factorEdit", "0.1"); }, {"--factor", "0.1"},
         "elev-to-gray"},
        {32806, "pic.tga", "", {}, {}, "gray-to-elev"},
        {32804, "elev.tga", "palette.tga", {}, {"--palette", in("palette.tga")}, "elev-to-color"},
        {32808, "pic.tga", "", {}, {}, "eliminate-red"},
        {32807, "pic.tga", "", {}, {}, "interpolate"},
        {32809, "pic.tga", "kernel.tga", {}, {"--kernel", in("kernel.tga")}, "convolve"},
        {32810, "pic.tga", "second.tga",
         [](QWidget* d) {
             setText(d, "bias1Edit", "0.5");
             setText(d, "bias2Edit", "-3");
             d->findChild<QRadioButton*>("multiplyRadio")->setChecked(true);
         },
         {"--with", in("second.tga"), "--mode", "multiply", "--bias1", "0.5", "--bias2", "-3"}, "merge"},
        {32810, "pic.tga", "second.tga", [](QWidget* d) { setText(d, "bias1Edit", "256"); },
         {"--with", in("second.tga"), "--bias1", "256"}, "merge"},
        {32811, "pic.tga", "mask.tga", {}, {"--mask", in("mask.tga")}, "mask"},
        {32813, "elev.tga", "", [](QWidget* d) { d->findChild<QRadioButton*>("reduction3Radio")->setChecked(true); },
         {"--factor", "3"}, "resample"},
        {32813, "elev.tga", "", {}, {"--factor", "2"}, "resample"},
        {32815, "pic.tga", "",
         [](QWidget* d) {
             const char* values[16] = {"0", "1", "15", "14", "15", "15", "0", "0",
                                       "0", "0.5", "0", "1", "11", "11", "11", "10.5"};
             auto edits = static_cast<CRectifyDialog*>(d)->edits();
             for (int i = 0; i < 16; ++i) edits[size_t(i)]->setText(values[i]);
         },
         {"--src", "1,0.5,14,1,15,11,0,10.5", "--dst", "0,0,15,0,15,11,0,11"}, "rectify"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subcommand);
        const std::string viaDialog = dir.path("dialog" + std::to_string(n) + ".tga");
        const std::string viaCli = dir.path("cli" + std::to_string(n) + ".tga");
        ++n;
        auto dialog = CreateToolDialog(c.command, h.context());
        dialog->show();
        chooseFiles(h, dialog.get(), in(c.from), viaDialog, c.third.empty() ? "" : in(c.third));
        if (c.controls) c.controls(dialog.get());
        click(dialog.get(), "okButton");
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Accepted);

        std::vector<std::string> args{c.subcommand, in(c.from), viaCli};
        args.insert(args.end(), c.cli.begin(), c.cli.end());
        ASSERT_EQ(runCli(args), 0);
        const std::string expected = TempDir::read(viaCli);
        ASSERT_GT(expected.size(), 18u);
        EXPECT_TRUE(TempDir::read(viaDialog) == expected) << "the dialog's output differs from the command line's";
    }
    // Elevation to gray saturates at elevation 2550 (factor 0.1): the largest scaled value is reported.
    const std::vector<std::string> texts = h.platform.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "One or more values are saturated in the output file.\nMaximum elevation: 325.70"),
              texts.end());
}

TEST_F(ToolDialogTools, MergeRefusesBiasesOutsideTheRangeAndNonNumbers) {
    auto dialog = CreateToolDialog(32810, h.context());
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    EXPECT_EQ(dialog->findChild<QLineEdit*>("bias1Edit")->text(), "1");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("bias2Edit")->text(), "1");
    EXPECT_TRUE(dialog->findChild<QRadioButton*>("addRadio")->isChecked());
    const std::string out = dir.path("merged.tga");
    chooseFiles(h, dialog.get(), in("pic.tga"), out, in("second.tga"));

    setText(dialog.get(), "bias1Edit", "300");
    click(dialog.get(), "okButton");
    ASSERT_EQ(h.platform.shown.size(), 1u);
    EXPECT_EQ(h.platform.shown[0].text, "Please enter a number between -256 and 256.");
    EXPECT_EQ(h.platform.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(dialog->focusWidget(), dialog->findChild<QLineEdit*>("bias1Edit"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->idleFlag(), 1);
    EXPECT_TRUE(button(dialog.get(), "okButton")->isEnabled());
    EXPECT_FALSE(fileExists(out));

    setText(dialog.get(), "bias1Edit", "1");
    setText(dialog.get(), "bias2Edit", "-256.5");
    click(dialog.get(), "okButton");
    setText(dialog.get(), "bias2Edit", "x1");
    click(dialog.get(), "okButton");
    ASSERT_EQ(h.platform.shown.size(), 3u);
    EXPECT_EQ(h.platform.shown[1].text, "Please enter a number between -256 and 256.");
    EXPECT_EQ(h.platform.shown[2].text, "Please enter a number.");
    EXPECT_EQ(dialog->focusWidget(), dialog->findChild<QLineEdit*>("bias2Edit"));
    EXPECT_FALSE(fileExists(out));

    setText(dialog.get(), "bias2Edit", " -256 ");
    click(dialog.get(), "okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(fileExists(out));
}

TEST_F(ToolDialogTools, RectifyRemembersItsCornersAndAsksBeforeOpeningFiles) {
    {
        // A fresh installation: all sixteen values 0, both systems degenerate. Both questions come before
        // the From file is opened (it does not exist: its open would complain).
        CRectifyDialog dialog(h.context());
        for (QLineEdit* e : dialog.edits()) EXPECT_EQ(e->text(), "0");
        dialog.show();
        chooseFiles(h, &dialog, dir.path("missing.tga"), dir.path("out.tga"));
        h.platform.answers = {MsgAnswer::Ok, MsgAnswer::Ok};
        click(&dialog, "okButton");
        ASSERT_GE(h.platform.shown.size(), 3u);
        EXPECT_EQ(h.platform.shown[0].text, "The equation has an indefinite solution for x.");
        EXPECT_EQ(h.platform.shown[0].buttons, MsgButtons::OkCancel);
        EXPECT_EQ(h.platform.shown[0].icon, MsgIcon::Information);
        EXPECT_EQ(h.platform.shown[1].text, "The equation has an indefinite solution for y.");
        EXPECT_NE(h.platform.shown[2].text.find("missing.tga"), std::string::npos);
        EXPECT_TRUE(dialog.isVisible());

        // Cancel on the first question: nothing more is asked, the dialog stays idle.
        h.platform.shown.clear();
        click(&dialog, "okButton");
        ASSERT_EQ(h.platform.shown.size(), 1u);
        EXPECT_EQ(dialog.idleFlag(), 1);
        EXPECT_TRUE(button(&dialog, "okButton")->isEnabled());
        EXPECT_FALSE(fileExists(dir.path("out.tga")));

        // A value that is not a number is refused before anything is saved or run.
        h.platform.shown.clear();
        dialog.edits()[3]->setText("1,5");
        click(&dialog, "okButton");
        ASSERT_EQ(h.platform.shown.size(), 1u);
        EXPECT_EQ(h.platform.shown[0].text, "Please enter a number.");
    }
    const char* values[16] = {"2", "1.5", "14", "13", "15", "15.25", "-1", "0",
                              "3", "0.5", "0", "1", "11", "11", "12", "10.5"};
    {
        CRectifyDialog dialog(h.context());
        dialog.show();
        chooseFiles(h, &dialog, in("pic.tga"), dir.path("out.tga"));
        for (int i = 0; i < 16; ++i) dialog.edits()[size_t(i)]->setText(values[i]);
        click(&dialog, "okButton");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(ini->getString("RectifyCorners", "x2'", ""), "13.000000");
    EXPECT_EQ(ini->getString("RectifyCorners", "y4", ""), "12.000000");
    CRectifyDialog again(h.context());
    for (int i = 0; i < 16; ++i) EXPECT_EQ(again.edits()[size_t(i)]->text(), values[i]) << i;
    EXPECT_EQ(CToolDialog::controlId(again.edits()[0]), 393);
    EXPECT_EQ(CToolDialog::controlId(again.edits()[15]), 408);
}

TEST_F(ToolDialogTools, DemListingShowsTheHeaderAndItsCancelWritesNothing) {
    const std::string dem = ORVANTIS_TEST_DATA "/dem/geo8_nad27.dem";
    const std::string out = dir.path("dem.tga");
    auto dialog = CreateToolDialog(32803, h.context());
    dialog->show();
    chooseFiles(h, dialog.get(), dem, out);

    QString title;
    int lines = 0, tabStop = 0, extent = 0;
    QString firstLine;
    whenModal<CDemListDialog>([&](CDemListDialog* listing) {
        title = listing->windowTitle();
        auto* list = listing->findChild<QListWidget*>("list");
        lines = list->count();
        firstLine = list->item(0)->text();
        tabStop = listing->tabStopPixels();
        extent = list->sizeHintForColumn(0);
        click(listing, "cancelButton");
    });
    click(dialog.get(), "okButton");
    EXPECT_EQ(title.toStdString(), "DEM Data from File " + dem);
    EXPECT_GE(lines, 17);
    EXPECT_TRUE(firstLine.startsWith("Quadrangle name field:\t")) << firstLine.toStdString();
    EXPECT_GT(tabStop, 100);
    EXPECT_EQ(extent, CDemListDialog::horizontalExtent);
    EXPECT_FALSE(fileExists(out));
    EXPECT_TRUE(h.platform.shown.empty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->idleFlag(), 1);

    // OK in the listing imports; the result is the command line's.
    whenModal<CDemListDialog>([](CDemListDialog* listing) { click(listing, "okButton"); });
    click(dialog.get(), "okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_FALSE(h.platform.shown.empty());
    EXPECT_EQ(h.platform.shown.back().text.rfind("Total of non-zero elevations: ", 0), 0u);
    ASSERT_EQ(runCli({"dem-import", dem, dir.path("cli.tga")}), 0);
    EXPECT_TRUE(TempDir::read(out) == TempDir::read(dir.path("cli.tga")));
}

} // namespace
