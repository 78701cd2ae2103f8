// A user types in a scene's field and reaches for the keyboard: the menu's accelerators must still work
// (a line edit claims Ctrl+E, Ctrl+A and the clipboard keys for itself), and F1 must show the guide in the
// program's own help window, with or without a web browser.

#include "AppHarness.h"

#include "app/ui/Commands.h"
#include "app/ui/HelpSystem.h"
#include "scene/ui/OrvantisView.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

using apptest::AppHarness;

namespace {
// Claims every key before the window's shortcuts, as a line edit under X11's key bindings claims Ctrl+E
// (end of line); the platform of the tests binds fewer keys.
struct ClaimsEveryKey : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        return false;
    }
};

struct FocusedField : AppHarness {
    COrvantisView* form = nullptr;
    QLineEdit* field = nullptr;
    ClaimsEveryKey claims;
    std::vector<int> launched;
    COrvantisView::RenderLauncher previous;

    FocusedField() {
        start();
        frame()->show();
        frame()->activateWindow();
        frame()->dispatchCommand(cmd::FileNew);
        form = dynamic_cast<COrvantisView*>(activeView());
        // A scene that passes the check, so that the render commands reach the launcher.
        form->scene.ElevationFileName = writeTga("map.tga");
        form->showRecord();
        previous =
            COrvantisView::setRenderLauncher([this](COrvantisView&, int mode) { launched.push_back(mode); });
        field = form->edit(327);
        field->installEventFilter(&claims);
        field->setFocus();
        QApplication::processEvents();
    }
    ~FocusedField() { COrvantisView::setRenderLauncher(std::move(previous)); }
    void press(QKeyCombination keys) { QTest::keyClick(field, keys.key(), keys.keyboardModifiers()); }
};
} // namespace

TEST(FieldKeys, TheRenderCommandsFireFromAFocusedField) {
    FocusedField h;
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.frame()));
    ASSERT_EQ(QApplication::focusWidget(), h.field);
    h.press(Qt::CTRL | Qt::Key_E);
    h.press(Qt::CTRL | Qt::Key_R);
    h.press(Qt::CTRL | Qt::Key_F);
    EXPECT_EQ(h.launched, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(h.field->text(), "-100.") << "the keys must not edit the field";

    // F1: the field's own topic; Ctrl+N: a new scene.
    h.press(QKeyCombination(Qt::Key_F1));
    EXPECT_EQ(h.helpTopics, (std::vector<int>{help::ControlBase + 327}));
    const size_t windows = h.windowCount();
    h.press(Qt::CTRL | Qt::Key_N);
    EXPECT_EQ(h.windowCount(), windows + 1);
}

TEST(FieldKeys, ClipboardKeysEditTheFieldOnlyWhereTheyShould) {
    FocusedField h;
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.frame()));
    // Without a selection Ctrl+C copies the scene, with one the selected text.
    QApplication::clipboard()->clear();
    h.press(Qt::CTRL | Qt::Key_C);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Orvantis Clipboard Data - OVS"));
    h.field->selectAll();
    h.press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text(), "-100.");
    // Plain text is pasted into the field; Ctrl+A (Apply elsewhere) selects the field's text here.
    h.press(Qt::CTRL | Qt::Key_A);
    EXPECT_EQ(h.field->selectedText(), "-100.");
    QApplication::clipboard()->setText("42");
    h.press(Qt::CTRL | Qt::Key_V);
    EXPECT_EQ(h.field->text(), "42");
}

TEST(HelpWindow, ShowsTheGuideAtATopicWithoutABrowser) {
    AppHarness h;
    h.start();
    HelpSystem::openTopic(help::ControlBase + 327);
    QTextBrowser* browser = HelpSystem::openBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->window()->isVisible());
    EXPECT_EQ(browser->source().fragment(), "topic-65863"); // XA's heading in the guide
    EXPECT_TRUE(browser->toPlainText().contains("Camera position (first frame / last frame)"));
    // The heading was found: the view scrolled away from the top.
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);
    browser->window()->close();
    apptest::flushDeletes();
}
