// Copy and Paste of a scene through the clipboard, between two scene windows, as the Edit menu runs them.
#include "RenderWindowTestHarness.h"

#include "scene/FieldText.h"

#include <QClipboard>

using namespace render_test;

namespace {

class SceneClipboard : public Harness {
protected:
    void activate(COrvantisView* form) { app->mainFrame()->mdiArea()->setActiveSubWindow(form->frame()); }
    bool pasteEnabled(COrvantisView* form) {
        activate(form);
        return app->mainFrame()->isCommandEnabled(cmd::EditPaste);
    }
    void run(COrvantisView* form, int command) {
        activate(form);
        app->mainFrame()->dispatchCommand(command);
    }

    // A scene whose every field of the scene text differs from a new scene's.
    static void fillEverything(CSceneParams& s) {
        double reals[] = {12.5, -7.25, 33.125, 44.0625, 250.5, 1.75,  -45.5,  12.0,   -30.25,
                          -5.5, 3.5,   -2.25,  300.125, 410.5, 0.125, 0.0625, 8000.5, 9000.25};
        double* realFields[] = {&s.XA,          &s.XE,       &s.YA,           &s.YE,           &s.ZA,
                                &s.ZE,          &s.HeadingA, &s.HeadingE,     &s.PitchA,       &s.PitchE,
                                &s.RollA,       &s.RollE,    &s.FocalLengthA, &s.FocalLengthE, &s.ElevScaleZA,
                                &s.ElevScaleZE, &s.DustA,    &s.DustE};
        for (size_t i = 0; i < std::size(reals); ++i) *realFields[i] = reals[i];
        s.OutputFileFormat = 2;
        s.OutputFileName = "/frames/shot%04d.tga";
        s.ElevationFileName = "/maps/alps-elev.tga";
        s.TextureFileName = "/maps/alps-texture.tga";
        s.MaskFileName = "/maps/frame-mask.tga";
        s.SizeX = 640;
        s.SizeY = 360;
        s.ElevScaleX = 2.5;
        s.ElevScaleY = 3.5;
        s.GridX = 200;
        s.GridY = 150;
        s.LightX = -0.6;
        s.LightY = 0.8;
        s.LightZ = 2.0;
        s.HQ = 1;
        s.UseTextureFile = 1;
        s.UseMaskFile = 1;
        s.UseBackgroundColor = 1;
        s.UseRecorder = 1;
        s.AverageHeight = 30.5;
        s.PreviewRange = 5.25;
        s.RollFactor = 8.0;
        s.PathType = 1;
        s.Smoothness = 0.25;
        s.Total = 73;
        s.From = 2;
        s.To = 71;
        s.Offset = 100;
    }
};

TEST_F(SceneClipboard, CopyThenPasteTransfersTheSceneTextAndKeepsColourAndPathPoints) {
    COrvantisView* source = newScene();
    fillEverything(source->scene);
    source->scene.BackgroundColor = 0x0000FF;
    source->scene.SetPathPoint(0, 1, 2);
    source->showRecord();
    source->updateDependentControls();

    COrvantisView* target = newScene();
    target->scene.BackgroundColor = 0xE6BE96;
    for (int i = 0; i < 4; ++i) target->scene.SetPathPoint(i, 100 + i, 200 + i);
    target->GetDocument()->SetModifiedFlag(false);
    EXPECT_EQ(target->edit(383)->isEnabled(), false);

    run(source, cmd::EditCopy);
    const std::string text = QApplication::clipboard()->text().toLatin1().toStdString();
    EXPECT_EQ(text, BuildSceneText(source->scene));
    EXPECT_EQ(text.rfind("Orvantis Clipboard Data - OVS\r\n12.500000\t(XA)\r\n", 0), 0u);

    ASSERT_TRUE(pasteEnabled(target));
    run(target, cmd::EditPaste);
    // Every field of the text arrived; the colour and the points stayed the target's own.
    EXPECT_EQ(BuildSceneText(target->scene), text);
    EXPECT_EQ(target->scene.BackgroundColor, 0xE6BE96u);
    ASSERT_EQ(target->scene.lastIndex, 3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(target->scene.points[i], (PathPoint{100 + i, 200 + i}));
    EXPECT_TRUE(target->GetDocument()->IsModified());

    // The form shows the pasted values and the enable states that go with them.
    EXPECT_EQ(target->edit(327)->text().toStdString(), FormatRealField(12.5));
    EXPECT_EQ(target->edit(387)->text(), QStringLiteral("73"));
    EXPECT_EQ(target->edit(374)->text(), QStringLiteral("/frames/shot%04d.tga"));
    EXPECT_TRUE(target->edit(383)->isEnabled());
    EXPECT_TRUE(target->control(324)->isEnabled());
    EXPECT_TRUE(target->edit(359)->isEnabled());
    EXPECT_TRUE(target->control(314)->isEnabled());
    EXPECT_TRUE(target->control(378)->isEnabled());
    // Taking the form's values again changes nothing: what is shown is what was pasted.
    ASSERT_TRUE(target->takeValues());
    EXPECT_EQ(BuildSceneText(target->scene), text);
}

TEST_F(SceneClipboard, CopyTakesTheRecordNotTheTextBeingTyped) {
    COrvantisView* form = newScene();
    form->GetDocument()->SetModifiedFlag(false);
    run(form, cmd::EditCopy);
    EXPECT_FALSE(form->GetDocument()->IsModified());
    type(form, 327, "5"); // typed, not yet taken
    EXPECT_TRUE(form->GetDocument()->IsModified());
    ASSERT_TRUE(app->mainFrame()->isCommandEnabled(cmd::EditCopy));
    run(form, cmd::EditCopy);
    const std::string text = QApplication::clipboard()->text().toLatin1().toStdString();
    EXPECT_EQ(text.rfind("Orvantis Clipboard Data - OVS\r\n-100.000000\t(XA)\r\n", 0), 0u);
}

TEST_F(SceneClipboard, PasteIsOfferedOnlyForATextThatBeginsWithTheHeader) {
    COrvantisView* form = newScene();
    CSceneParams other;
    other.NewScene();
    other.XA = 77;
    const std::string good = BuildSceneText(other);
    form->GetDocument()->SetModifiedFlag(false);

    struct Case {
        std::string text;
        bool offered;
    } cases[] = {
        {good, true},
        {"Some notes\r\n" + good, false},                           // the header further down
        {"orvantis clipboard data - ovs" + good.substr(29), false}, // other letter case
        {"Orvantis Clipboard Data - Path\r\n1,2\r\n", false},       // a flight path
        {"", false},
    };
    for (const Case& c : cases) {
        QApplication::clipboard()->setText(QString::fromLatin1(QByteArray::fromStdString(c.text)));
        EXPECT_EQ(pasteEnabled(form), c.offered) << c.text.substr(0, 40);
        // The command itself refuses a wrong text as well (it may arrive by other ways than the menu).
        if (!c.offered) {
            form->OnEditPaste();
            EXPECT_EQ(form->scene.XA, -100.0);
            EXPECT_FALSE(form->GetDocument()->IsModified());
        }
    }
    QApplication::clipboard()->setText(QString::fromLatin1(QByteArray::fromStdString(good)));
    run(form, cmd::EditPaste);
    EXPECT_EQ(form->scene.XA, 77.0);
    EXPECT_EQ(form->edit(327)->text(), QStringLiteral("77."));
}

} // namespace
