// The scene window: a new scene's values and enable states, change tracking, the value exchange that stops
// at the first bad field, First -> Last, the choosers, saving with the scene check, Copy and Paste, and the
// close guard.

#include "AppHarness.h"

#include "app/ui/Commands.h"
#include "scene/ui/OrvantisDoc.h"
#include "scene/ui/OrvantisView.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;

namespace {
struct SceneHarness : AppHarness {
    COrvantisView* form = nullptr;
    SceneHarness() {
        start();
        frame()->dispatchCommand(cmd::FileNew);
        form = dynamic_cast<COrvantisView*>(activeView());
    }
    QString text(int id) const { return form->edit(id)->text(); }
    bool modified() const { return activeDocument()->IsModified(); }
};
} // namespace

TEST(SceneForm, ANewSceneShowsItsDefaults) {
    SceneHarness h;
    ASSERT_TRUE(h.form);
    EXPECT_EQ(h.text(331), "100.");
    EXPECT_EQ(h.text(332), "0.");
    EXPECT_EQ(h.text(327), "-100.");
    EXPECT_EQ(h.text(341), "0.1");
    EXPECT_EQ(h.text(379), "320");
    EXPECT_EQ(h.text(380), "240");
    EXPECT_EQ(h.text(348), "16");
    EXPECT_EQ(h.text(349), "16");
    EXPECT_EQ(h.text(374), "nn%03d.tga");
    EXPECT_EQ(h.text(387), "1");
    EXPECT_TRUE(static_cast<QRadioButton*>(h.form->control(384))->isChecked());
    EXPECT_TRUE(static_cast<QRadioButton*>(h.form->control(382))->isChecked());
    for (int id : {383, 324, 359, 319, 378, 314}) EXPECT_FALSE(h.form->control(id)->isEnabled()) << id;
    for (int id : {343, 315, 374, 323}) EXPECT_TRUE(h.form->control(id)->isEnabled()) << id;
    EXPECT_FALSE(h.modified());
    EXPECT_TRUE(h.frame()->activeChild()->isMaximized());
    EXPECT_EQ(h.frame()->activeChild()->windowTitle(), "untitled1");
}

TEST(SceneForm, DisabledButtonsLookDisabledAndTheCameraFieldsTabByColumn) {
    SceneHarness h;
    // Browse... of the texture (off for a new scene) and of the elevation file (on): same button, and the
    // disabled one must not be drawn like the other.
    QWidget* off = h.form->control(324);
    QWidget* on = h.form->control(315);
    ASSERT_FALSE(off->isEnabled());
    ASSERT_EQ(off->size(), on->size());
    EXPECT_NE(off->grab().toImage(), on->grab().toImage());

    // Tab goes down the first-frame column, then down the last-frame column.
    QStringList order;
    for (QWidget* w = h.form->findChild<QWidget*>("editXA"); order.size() < 18; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) order << w->objectName();
    QStringList expected;
    for (const char* column : {"A", "Z"})
        for (const char* field :
             {"X", "Y", "Z", "Heading", "Pitch", "FocalLength", "Roll", "ElevScaleZ", "Dust"})
            expected << QStringLiteral("edit%1%2").arg(field, column);
    EXPECT_EQ(order, expected);
}

TEST(SceneForm, TypingMarksTheDocumentButLeavesTheRecord) {
    SceneHarness h;
    QTest::keyClicks(h.form->edit(327), "7");
    EXPECT_TRUE(h.modified());
    EXPECT_EQ(h.frame()->activeChild()->windowTitle(), "untitled1*");
    EXPECT_EQ(h.form->scene.XA, -100.0);
    // Copy writes the record as it stands, not the typing.
    h.frame()->dispatchCommand(cmd::EditCopy);
    const QString clip = QApplication::clipboard()->text();
    EXPECT_TRUE(clip.startsWith("Orvantis Clipboard Data - OVS\r\n-100.000000\t(XA)\r\n"))
        << clip.toStdString();
}

TEST(SceneForm, ABadNumberStopsTheExchangeAtItsField) {
    SceneHarness h;
    h.form->edit(311)->setText("12.5"); // taken before XA
    h.form->edit(327)->setText("abc");  // XA
    h.form->edit(328)->setText("3");    // XZ, after XA: not taken
    h.form->edit(387)->setText(" 4\t"); // blanks and tabs around a number are fine
    EXPECT_FALSE(h.form->takeValues());
    EXPECT_EQ(h.texts(), std::vector<std::string>({"Please enter a number."}));
    EXPECT_EQ(h.form->scene.AverageHeight, 12.5);
    EXPECT_EQ(h.form->scene.XA, -100.0);
    EXPECT_EQ(h.form->scene.XE, 0.0);
    EXPECT_EQ(h.form->scene.Total, 1);
    EXPECT_EQ(QApplication::focusWidget(), h.form->edit(327));
    EXPECT_EQ(h.form->edit(327)->selectedText(), "abc");

    // Final goes on with the record as it stands: the check then stops at the elevation file.
    h.shown.clear();
    h.frame()->dispatchCommand(cmd::Final);
    EXPECT_EQ(h.texts(),
              std::vector<std::string>({"Please enter a number.", "An elevation file has to be given."}));
    EXPECT_EQ(h.form->scene.XA, -100.0);
    EXPECT_EQ(QApplication::focusWidget(), h.form->edit(343));

    h.shown.clear();
    h.form->edit(327)->setText("1");
    h.form->edit(380)->setText("2.5"); // an integer field
    EXPECT_FALSE(h.form->takeValues());
    EXPECT_EQ(h.texts(), std::vector<std::string>({"Please enter an integer."}));
}

TEST(SceneForm, FirstToLastCopiesTheCameraButNotTheDust) {
    SceneHarness h;
    h.form->edit(341)->setText("0.5");
    h.form->edit(337)->setText("77");
    h.form->edit(375)->setText("3");
    h.activeDocument()->SetModifiedFlag(false);
    h.frame()->dispatchCommand(cmd::FirstToLast);
    EXPECT_EQ(h.form->scene.ElevScaleZE, 0.5);
    EXPECT_EQ(h.form->scene.XE, -100.0);
    EXPECT_EQ(h.form->scene.RollE, 3.0);
    EXPECT_EQ(h.form->scene.FocalLengthE, 250.0);
    EXPECT_EQ(h.form->scene.DustE, 10000.0);
    EXPECT_EQ(h.text(342), "0.5");
    EXPECT_EQ(h.text(338), "10000.");
    EXPECT_TRUE(h.modified());

    h.form->edit(332)->setText("9");
    h.frame()->dispatchCommand(cmd::LastToFirst);
    EXPECT_EQ(h.form->scene.ZA, 9.0);
    EXPECT_EQ(h.form->scene.DustA, 77.0);
}

TEST(SceneForm, DependentControlsFollowTheirSwitches) {
    SceneHarness h;
    QTest::mouseClick(h.form->control(390), Qt::LeftButton);
    EXPECT_EQ(h.form->scene.UseTextureFile, 1);
    EXPECT_TRUE(h.form->control(383)->isEnabled());
    EXPECT_TRUE(h.form->control(324)->isEnabled());
    EXPECT_TRUE(h.modified());
    QTest::mouseClick(h.form->control(388), Qt::LeftButton);
    EXPECT_TRUE(h.form->control(314)->isEnabled());
    QTest::mouseClick(h.form->control(335), Qt::LeftButton);
    EXPECT_TRUE(h.form->control(378)->isEnabled());
    QTest::mouseClick(h.form->control(382), Qt::LeftButton);
    EXPECT_FALSE(h.form->control(378)->isEnabled());
}

TEST(SceneForm, FileChooserKeepsTheLetterCaseAndMarksTheScene) {
    SceneHarness h;
    const std::string map = h.writeTga("Alps.TGA");
    QStringList filters;
    h.driver = [&](QDialog& d) {
        auto* fd = qobject_cast<QFileDialog*>(&d);
        filters = fd->nameFilters();
        EXPECT_FALSE(h.form->contextHelpAllowed());
        fd->selectFile(QString::fromStdString(map));
        return int(QDialog::Accepted);
    };
    QTest::mouseClick(h.form->control(315), Qt::LeftButton);
    EXPECT_EQ(filters, QStringList({"TGA files (*.tga)", "All files (*.*)"}));
    EXPECT_EQ(h.form->scene.ElevationFileName, map);
    EXPECT_EQ(h.text(343).toStdString(), map);
    EXPECT_TRUE(h.modified());
    EXPECT_TRUE(h.form->contextHelpAllowed());

    // A cancelled chooser changes nothing.
    h.activeDocument()->SetModifiedFlag(false);
    h.driver = [](QDialog&) { return int(QDialog::Rejected); };
    QTest::mouseClick(h.form->control(315), Qt::LeftButton);
    EXPECT_FALSE(h.modified());
}

TEST(SceneForm, ColourChooserWritesTheCustomColoursEvenWithoutAChange) {
    SceneHarness h;
    h.driver = [](QDialog& d) {
        auto* cd = qobject_cast<QColorDialog*>(&d);
        cd->setCurrentColor(QColor(10, 20, 30));
        return int(QDialog::Accepted);
    };
    h.form->browseBackgroundColor();
    EXPECT_EQ(h.form->scene.BackgroundColor, 0x1E140Au);
    EXPECT_TRUE(h.modified());
    EXPECT_EQ(h.settings->getString("Colors", "BGr00", ""), "FFFFFF");
    EXPECT_EQ(h.settings->getString("Colors", "BGr15", ""), "F0F0F");
}

TEST(SceneForm, SavingChecksFocusesAndWrites) {
    SceneHarness h;
    const std::string path = h.dir.path("saved.ovs");
    h.driver = [&](QDialog& d) {
        qobject_cast<QFileDialog*>(&d)->selectFile(QString::fromStdString(path));
        return int(QDialog::Accepted);
    };
    h.frame()->dispatchCommand(cmd::FileSave);
    EXPECT_EQ(h.texts(), std::vector<std::string>({"An elevation file has to be given."}));
    EXPECT_EQ(QApplication::focusWidget(), h.form->edit(343));
    EXPECT_FALSE(std::filesystem::exists(path));

    h.shown.clear();
    h.form->edit(343)->setText(QString::fromStdString(h.writeTga("elev.tga")));
    h.frame()->dispatchCommand(cmd::FileSave);
    EXPECT_TRUE(h.shown.empty());
    EXPECT_FALSE(h.modified());
    EXPECT_EQ(h.activeDocument()->GetPathName(), path);
    EXPECT_EQ(h.frame()->activeChild()->windowTitle(), "saved.ovs");
    EXPECT_EQ(TempDir::read(path).rfind("[Param]\r\nBeobXA=-100.000000\r\n", 0), 0u);
}

TEST(SceneForm, PasteReadsTheSceneTextAndKeepsTheColour) {
    SceneHarness h;
    h.form->edit(331)->setText("55");
    h.form->edit(387)->setText("9");
    h.form->takeValues();
    h.frame()->dispatchCommand(cmd::EditCopy);

    h.frame()->dispatchCommand(cmd::FileNew);
    auto* second = dynamic_cast<COrvantisView*>(h.activeView());
    ASSERT_NE(second, h.form);
    second->scene.BackgroundColor = 0x123456;
    h.activeDocument()->SetModifiedFlag(false);
    ASSERT_TRUE(h.frame()->isCommandEnabled(cmd::EditPaste));
    h.frame()->dispatchCommand(cmd::EditPaste);
    EXPECT_EQ(second->scene.ZA, 55.0);
    EXPECT_EQ(second->scene.Total, 9);
    EXPECT_EQ(second->edit(331)->text(), "55.");
    EXPECT_EQ(second->scene.BackgroundColor, 0x123456u);
    EXPECT_TRUE(h.activeDocument()->IsModified());
}

TEST(SceneForm, ASceneWithDependentWindowsDoesNotClose) {
    SceneHarness h;
    h.form->pathWindowOpen = 1;
    h.form->renderWindowOpen = 1;
    h.frame()->dispatchCommand(cmd::FileClose);
    apptest::flushDeletes();
    EXPECT_EQ(h.windowCount(), 1u);
    ASSERT_EQ(h.shown.size(), 1u);
    EXPECT_EQ(h.shown[0].text.rfind("For this OVS file there is a flight path setting window active.\n", 0),
              0u);

    h.shown.clear();
    h.form->pathWindowOpen = 0;
    h.frame()->dispatchCommand(cmd::AppExit);
    EXPECT_TRUE(h.frame()->isVisible());
    ASSERT_EQ(h.shown.size(), 1u);
    EXPECT_EQ(h.shown[0].text.rfind("There is a rendering window around.\n", 0), 0u);

    h.shown.clear();
    h.form->renderWindowOpen = 0;
    h.frame()->dispatchCommand(cmd::FileClose);
    apptest::flushDeletes();
    EXPECT_EQ(h.windowCount(), 0u);
    EXPECT_TRUE(h.shown.empty());
}

TEST(SceneForm, OpeningATextThatIsNoSceneFails) {
    AppHarness h;
    h.start();
    const std::string path = h.dir.path("notes.ovs");
    TempDir::write(path, "[Param]\r\nOther=1\r\n");
    h.driver = [&](QDialog& d) {
        qobject_cast<QFileDialog*>(&d)->selectFile(QString::fromStdString(path));
        return int(QDialog::Accepted);
    };
    h.frame()->dispatchCommand(cmd::FileOpen);
    apptest::flushDeletes();
    EXPECT_EQ(h.windowCount(), 0u);
    EXPECT_EQ(h.texts(), std::vector<std::string>({"Cannot open file '" + path +
                                                   "'.\nIt is not a scene script: its [Param] section has no "
                                                   "value BeobXA."}));
}

TEST(SceneForm, RelativeFileNamesAreTakenFromTheScenesFolder) {
    SceneHarness h;
    h.writeTga("elev.tga");
    const std::string path = h.dir.path("relative.ovs");
    h.form->edit(343)->setText("elev.tga");
    ASSERT_TRUE(h.activeDocument()->DoSave(path));
    EXPECT_TRUE(h.shown.empty()) << h.texts().front();
    EXPECT_NE(TempDir::read(path).find("HDateiname=elev.tga\r\n"), std::string::npos);
    const QString cwd = QDir::currentPath();
    EXPECT_TRUE(h.form->ValidateScene());
    EXPECT_EQ(QDir::currentPath(), cwd);
    EXPECT_EQ(h.form->sceneFolder(), h.dir.path());
}
