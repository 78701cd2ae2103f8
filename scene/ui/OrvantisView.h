#pragma once
// COrvantisView: the scene window, a form showing every field of the scene record. It owns the record with
// its path points and the flags pathWindowOpen and renderWindowOpen; it exchanges values with its controls,
// keeps the document's modified state, offers the file and colour choosers, and carries the scene commands
// (Copy, Paste, First -> Last, First <- Last, Preview, Raw, Final, Render to Video, Set...).

#include "app/ui/Document.h"
#include "scene/SceneParams.h"

#include <QScrollArea>

#include <functional>
#include <vector>

class COrvantisDoc;
class QAbstractButton;
class QLineEdit;
class QRadioButton;
namespace Ui {
class OrvantisForm;
}

class COrvantisView : public QScrollArea, public CView {
    Q_OBJECT
public:
    explicit COrvantisView(COrvantisDoc* doc, QWidget* parent = nullptr);
    ~COrvantisView() override;

    QWidget* widget() override { return this; }
    COrvantisDoc* GetSceneDocument() const;
    void OnInitialUpdate() override;
    int HelpTopic() override;

    // The record and the flags (Part of the form, read by the launches and the windows that depend on it).
    CSceneParams scene;
    int pathWindowOpen = 0;
    int renderWindowOpen = 0;

    // Scene operations forwarded by the document.
    void NewScene();
    bool LoadScript(const std::string& path);
    bool SaveScript(const std::string& path);
    // The scene check with the form's values: message, focus and selection on the first failed rule.
    bool ValidateScene();
    // May the scene close? Not while a flight path editor or a rendering window depends on it.
    bool CanCloseScene();
    // The folder of the scene file ("" for a scene never saved): relative file names of the scene are
    // taken relative to it.
    std::string sceneFolder() const;
    // A file name of the scene as the program opens it: a relative name is taken in the scene's folder.
    std::string sceneFilePath(const std::string& name) const;

    // Value exchange: show the record in the controls, or take the controls' values into the record.
    // Taking stops at the first field that does not read ("Please enter a number." / "... an integer.");
    // the fields before it have their new values. False when it stopped.
    void showRecord();
    bool takeValues();
    // Enables the controls that depend on UseTextureFile, UseMaskFile, UseBackgroundColor and PathType.
    void updateDependentControls();

    // Commands.
    void OnEditCopy();
    void OnEditPaste();
    static bool clipboardHasSceneText();
    void OnFirstToLast();
    void OnLastToFirst();
    void LaunchRender(int mode);
    // Render to Video: the scene check, then the video launcher (none in a build without the video writer:
    // the command is then disabled).
    void LaunchVideo();
    void OnSetPath();
    // The choosers: a file for edit fieldId (343, 383, 359, 374) and the background colour.
    void browseFile(int buttonId);
    void browseBackgroundColor();

    // Launch hooks: the rendering window and the flight path editor plug in here. LaunchRender checks the
    // scene and then calls the render launcher; "Set..." calls the path editor launcher.
    using RenderLauncher = std::function<void(COrvantisView& form, int mode)>;
    using PathEditorLauncher = std::function<void(COrvantisView& form)>;
    // Each returns the launcher it replaces.
    static RenderLauncher setRenderLauncher(RenderLauncher launcher);
    static void setPathEditorLauncher(PathEditorLauncher launcher);
    using VideoLauncher = std::function<void(COrvantisView& form)>;
    static VideoLauncher setVideoLauncher(VideoLauncher launcher);

    void setContextHelp(bool allowed) { contextHelp = allowed; }
    bool contextHelpAllowed() const { return contextHelp; }

    // The control of an id (tests and help), nullptr when there is none.
    QWidget* control(int id) const;
    QLineEdit* edit(int id) const;
    // Puts the focus into the control of id and selects its text.
    void focusControl(int id);

private:
    enum class Kind { Real, Int, Text, Check, Group };
    struct Binding {
        int id;
        Kind kind;
        void* field;
        std::vector<QRadioButton*> radios; // Group
    };
    void buildBindings();
    const Binding* binding(int id) const;
    void markModified();
    // Reads the number in edit id into field; on a text that does not read: the message, and the focus there.
    template <class T>
    bool takeNumber(int id, bool (*parse)(const std::string&, T&), std::string (*message)(), T& field);
    void copyFirstLast(bool firstToLast);

    Ui::OrvantisForm* ui;
    QWidget* form;
    std::vector<Binding> bindings; // in the order of the exchange
    bool contextHelp = true;
};
