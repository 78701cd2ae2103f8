#include "scene/ui/OrvantisView.h"

#include "app/ui/ChildFrame.h"
#include "app/ui/ColorSwatch.h"
#include "app/ui/Commands.h"
#include "app/ui/HelpDialog.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "res/StringTable.h"
#include "scene/FieldText.h"
#include "scene/SceneSchema.h"
#include "scene/ui/OrvantisDoc.h"
#include "ui_OrvantisView.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace {
COrvantisView::RenderLauncher& renderLauncher() {
    static COrvantisView::RenderLauncher l;
    return l;
}
COrvantisView::PathEditorLauncher& pathEditorLauncher() {
    static COrvantisView::PathEditorLauncher l;
    return l;
}
COrvantisView::VideoLauncher& videoLauncher() {
    static COrvantisView::VideoLauncher l;
    return l;
}

// Texts of the record are bytes as the script stores them: shown as UTF-8 when they are, else as
// Windows-1252 (Latin-1 here); a text the user did not change keeps its bytes.
QString textToQString(const std::string& s) {
    const QByteArray bytes = QByteArray::fromStdString(s);
    QString u = QString::fromUtf8(bytes);
    if (u.toUtf8() == bytes) return u;
    return QString::fromLatin1(bytes);
}

// The small pictures between the camera columns: an arrow from the first to the last frame.
QPixmap arrowPicture() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    p.drawLine(QPointF(2, 8), QPointF(13, 8));
    p.drawLine(QPointF(9, 4.5), QPointF(13, 8));
    p.drawLine(QPointF(9, 11.5), QPointF(13, 8));
    return pm;
}
// Relative file names of a scene are taken relative to the scene file's folder (as the command line does),
// not to wherever the program happened to be started: the folder is the current one while they are used.
class ScopedFolder {
public:
    explicit ScopedFolder(const std::string& sceneFile) : saved(QDir::currentPath()) {
        if (!sceneFile.empty()) QDir::setCurrent(QFileInfo(QString::fromStdString(sceneFile)).absolutePath());
    }
    ~ScopedFolder() { QDir::setCurrent(saved); }
    ScopedFolder(const ScopedFolder&) = delete;
    ScopedFolder& operator=(const ScopedFolder&) = delete;

private:
    QString saved;
};
} // namespace

std::string COrvantisView::sceneFolder() const {
    const std::string& path = GetDocument() ? GetDocument()->GetPathName() : std::string();
    return path.empty() ? std::string()
                        : QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}

std::string COrvantisView::sceneFilePath(const std::string& name) const {
    const std::string folder = sceneFolder();
    if (name.empty() || folder.empty()) return name;
    return QDir(QString::fromStdString(folder)).absoluteFilePath(QString::fromStdString(name)).toStdString();
}

COrvantisView::RenderLauncher COrvantisView::setRenderLauncher(RenderLauncher launcher) {
    return std::exchange(renderLauncher(), std::move(launcher));
}
void COrvantisView::setPathEditorLauncher(PathEditorLauncher launcher) {
    pathEditorLauncher() = std::move(launcher);
}
COrvantisView::VideoLauncher COrvantisView::setVideoLauncher(VideoLauncher launcher) {
    return std::exchange(videoLauncher(), std::move(launcher));
}

COrvantisView::COrvantisView(COrvantisDoc*, QWidget* parent)
    : QScrollArea(parent), ui(new Ui::OrvantisForm), form(new QWidget) {
    setObjectName(QStringLiteral("SceneForm"));
    ui->setupUi(form);
    applyDialogLook(form);
    setWidget(form);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    for (QLabel* icon :
         {ui->icon201, ui->icon202, ui->icon207, ui->icon208, ui->icon209, ui->icon211, ui->icon212})
        icon->setPixmap(arrowPicture());
    buildBindings();

    // Change tracking: any edit's text, the radio buttons and the check boxes mark the document.
    for (QLineEdit* e : form->findChildren<QLineEdit*>())
        connect(e, &QLineEdit::textChanged, this, [this] { markModified(); });
    for (QRadioButton* r : form->findChildren<QRadioButton*>())
        connect(r, &QRadioButton::clicked, this, [this] { markModified(); });
    connect(ui->checkHQ, &QCheckBox::clicked, this, [this] { markModified(); });
    connect(ui->checkRecorder, &QCheckBox::clicked, this, [this] { markModified(); });
    // "Use It" and "Background Color" take the form's values, then set the enable states.
    for (QCheckBox* c : {ui->checkUseTexture, ui->checkUseMask, ui->checkBackground})
        connect(c, &QCheckBox::clicked, this, [this] {
            markModified();
            takeValues();
            updateDependentControls();
        });
    connect(ui->radioStraight, &QRadioButton::clicked, this, [this] { ui->buttonSet->setEnabled(false); });
    connect(ui->radioCurve, &QRadioButton::clicked, this, [this] { ui->buttonSet->setEnabled(true); });
    connect(ui->browseElevation, &QPushButton::clicked, this, [this] { browseFile(315); });
    connect(ui->browseMask, &QPushButton::clicked, this, [this] { browseFile(319); });
    connect(ui->browseOutput, &QPushButton::clicked, this, [this] { browseFile(323); });
    connect(ui->browseTexture, &QPushButton::clicked, this, [this] { browseFile(324); });
    connect(ui->browseBackground, &QPushButton::clicked, this, &COrvantisView::browseBackgroundColor);
    connect(ui->buttonSet, &QPushButton::clicked, this, &COrvantisView::OnSetPath);

    // Scene commands.
    onCommand(cmd::EditCopy, [this] { OnEditCopy(); });
    onCommand(
        cmd::EditPaste, [this] { OnEditPaste(); },
        [](CommandState& s) { s.enabled = clipboardHasSceneText(); });
    onCommand(cmd::FirstToLast, [this] { OnFirstToLast(); });
    onCommand(cmd::LastToFirst, [this] { OnLastToFirst(); });
    onCommand(cmd::Preview, [this] { LaunchRender(0); });
    onCommand(cmd::Raw, [this] { LaunchRender(1); });
    onCommand(cmd::Final, [this] { LaunchRender(2); });
    onCommand(
        cmd::RenderVideo, [this] { LaunchVideo(); },
        [](CommandState& s) { s.enabled = static_cast<bool>(videoLauncher()); });
}

COrvantisView::~COrvantisView() {
    delete ui;
}

COrvantisDoc* COrvantisView::GetSceneDocument() const {
    return static_cast<COrvantisDoc*>(GetDocument());
}

void COrvantisView::buildBindings() {
    // The radio buttons of each group in the order of their values; the first carries the group's id.
    const std::vector<std::vector<QRadioButton*>> groups = {{ui->radioTGA, ui->radioYUV, ui->radioBoth},
                                                            {ui->radioStraight, ui->radioCurve}};
    for (const SceneFieldRow* row : SceneFormRows()) {
        Binding b{row->control, Kind::Text, nullptr, {}};
        WithField(scene, row->member, [&](auto& field) {
            using T = std::decay_t<decltype(field)>;
            b.field = &field;
            if constexpr (std::is_same_v<T, double>) b.kind = Kind::Real;
            if constexpr (std::is_same_v<T, int>) b.kind = Kind::Int;
        });
        if (row->widget == FormWidget::Check) b.kind = Kind::Check;
        if (row->widget == FormWidget::Radios) {
            b.kind = Kind::Group;
            for (const auto& group : groups)
                if (group.front() == control(row->control)) b.radios = group;
        }
        bindings.push_back(b);
    }
}

const COrvantisView::Binding* COrvantisView::binding(int id) const {
    for (const Binding& b : bindings)
        if (b.id == id) return &b;
    return nullptr;
}

QWidget* COrvantisView::control(int id) const {
    for (QWidget* w : form->findChildren<QWidget*>()) {
        bool ok = false;
        if (w->property("controlId").toInt(&ok) == id && ok) return w;
    }
    return nullptr;
}

QLineEdit* COrvantisView::edit(int id) const {
    return qobject_cast<QLineEdit*>(control(id));
}

void COrvantisView::focusControl(int id) {
    QWidget* w = control(id);
    if (!w) return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
}

void COrvantisView::markModified() {
    if (COrvantisDoc* d = GetSceneDocument()) d->SetModifiedFlag(true);
}

// ---- value exchange ---------------------------------------------------------------------------------------

void COrvantisView::showRecord() {
    for (const Binding& b : bindings) {
        switch (b.kind) {
        case Kind::Real:
            edit(b.id)->setText(QString::fromStdString(FormatRealField(*static_cast<double*>(b.field))));
            break;
        case Kind::Int:
            edit(b.id)->setText(QString::fromStdString(FormatIntField(*static_cast<int*>(b.field))));
            break;
        case Kind::Text:
            edit(b.id)->setText(textToQString(*static_cast<std::string*>(b.field)));
            break;
        case Kind::Check:
            static_cast<QCheckBox*>(control(b.id))->setChecked(*static_cast<int*>(b.field) != 0);
            break;
        case Kind::Group: {
            const int v = *static_cast<int*>(b.field);
            // Radio buttons of a group are exclusive only while one of them is checked.
            for (QRadioButton* r : b.radios) r->setAutoExclusive(false);
            for (size_t i = 0; i < b.radios.size(); ++i) b.radios[i]->setChecked(static_cast<int>(i) == v);
            for (QRadioButton* r : b.radios) r->setAutoExclusive(true);
            break;
        }
        }
    }
    ui->swatchBackground->setColour(scene.BackgroundColor);
}

template <class T>
bool COrvantisView::takeNumber(int id, bool (*parse)(const std::string&, T&), std::string (*message)(),
                               T& field) {
    T v = 0;
    if (!parse(edit(id)->text().toStdString(), v)) {
        GetDocument()->app().platform().message(message(), MsgIcon::Warning, MsgButtons::Ok);
        focusControl(id);
        return false;
    }
    field = v;
    return true;
}

bool COrvantisView::takeValues() {
    for (const Binding& b : bindings) {
        switch (b.kind) {
        case Kind::Real:
            if (!takeNumber(b.id, ParseRealField, RealFieldMessage, *static_cast<double*>(b.field)))
                return false;
            break;
        case Kind::Int:
            if (!takeNumber(b.id, ParseIntField, IntFieldMessage, *static_cast<int*>(b.field))) return false;
            break;
        case Kind::Text: {
            auto* field = static_cast<std::string*>(b.field);
            const QString shown = edit(b.id)->text();
            if (shown != textToQString(*field)) *field = shown.toStdString();
            break;
        }
        case Kind::Check:
            *static_cast<int*>(b.field) = static_cast<QCheckBox*>(control(b.id))->isChecked() ? 1 : 0;
            break;
        case Kind::Group: {
            int v = -1;
            for (size_t i = 0; i < b.radios.size(); ++i)
                if (b.radios[i]->isChecked()) v = static_cast<int>(i);
            *static_cast<int*>(b.field) = v;
            break;
        }
        }
    }
    return true;
}

void COrvantisView::updateDependentControls() {
    ui->editTextureFileName->setEnabled(scene.UseTextureFile != 0);
    ui->browseTexture->setEnabled(scene.UseTextureFile != 0);
    ui->editMaskFileName->setEnabled(scene.UseMaskFile != 0);
    ui->browseMask->setEnabled(scene.UseMaskFile != 0);
    ui->browseBackground->setEnabled(scene.UseBackgroundColor != 0);
    ui->buttonSet->setEnabled(scene.PathType == 1);
}

// ---- scene operations -------------------------------------------------------------------------------------

void COrvantisView::NewScene() {
    scene.NewScene();
    showRecord();
    updateDependentControls();
    if (COrvantisDoc* d = GetSceneDocument()) d->SetModifiedFlag(false);
}

bool COrvantisView::LoadScript(const std::string& path) {
    if (!scene.LoadScript(path)) return false;
    showRecord();
    updateDependentControls();
    if (COrvantisDoc* d = GetSceneDocument()) d->SetModifiedFlag(false);
    return true;
}

bool COrvantisView::ValidateScene() {
    takeValues();
    SceneCheck check;
    {
        ScopedFolder folder(GetDocument()->GetPathName());
        check = scene.ValidateScene();
    }
    if (check.ok) return true;
    GetDocument()->app().platform().message(check.message, MsgIcon::Stop, MsgButtons::Ok);
    focusControl(SceneFieldControlId(check.field));
    return false;
}

bool COrvantisView::SaveScript(const std::string& path) {
    takeValues();
    SaveOutcome outcome;
    {
        ScopedFolder folder(path);
        outcome = scene.SaveScript(path);
    }
    Platform& platform = GetDocument()->app().platform();
    switch (outcome.result) {
    case SaveResult::Saved:
        GetSceneDocument()->SetModifiedFlag(false);
        return true;
    case SaveResult::CheckFailed:
        platform.message(outcome.check.message, MsgIcon::Stop, MsgButtons::Ok);
        focusControl(SceneFieldControlId(outcome.check.field));
        return false;
    case SaveResult::WriteFailed:
        platform.message(LoadString(IDS_FAILED_TO_SAVE_DOCUMENT), MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    return false;
}

bool COrvantisView::CanCloseScene() {
    Platform& platform = GetDocument()->app().platform();
    if (pathWindowOpen) {
        platform.message(LoadString(IDS_SCENE_PATH_WINDOW_OPEN), MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    if (renderWindowOpen) {
        platform.message(LoadString(IDS_SCENE_RENDER_WINDOW_OPEN), MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    const std::string& name = GetDocument()->GetPathName();
    if (!name.empty()) GetDocument()->app().AddToRecentFileList(name);
    return true;
}

// ---- commands ---------------------------------------------------------------------------------------------

void COrvantisView::OnEditCopy() {
    // The record as it stands: what the form last exchanged, not what is being typed.
    QApplication::clipboard()->setText(QString::fromLatin1(QByteArray::fromStdString(BuildSceneText(scene))));
}

bool COrvantisView::clipboardHasSceneText() {
    const QMimeData* m = QApplication::clipboard()->mimeData();
    return m && m->hasText() && IsSceneText(m->text().toLatin1().toStdString());
}

void COrvantisView::OnEditPaste() {
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty()) return;
    if (!ParseSceneText(text.toLatin1().toStdString(), scene)) return;
    showRecord();
    updateDependentControls();
    GetSceneDocument()->SetModifiedFlag(true);
    GetDocument()->UpdateAllViews(this);
}

void COrvantisView::copyFirstLast(bool firstToLast) {
    takeValues();
    // The pairs of the schema whose keys differ only in the last letter, A (first frame) against E (last
    // frame): the camera values and the z scale. The dust constants stay as they are.
    for (const SceneFieldRow& first : SceneSchema()) {
        const std::string key = first.key;
        if (key.back() != 'A' || first.member == SceneMember(&CSceneParams::DustA)) continue;
        for (const SceneFieldRow& last : SceneSchema()) {
            if (key.substr(0, key.size() - 1) + 'E' != last.key) continue;
            double& a = scene.*std::get<double CSceneParams::*>(first.member);
            double& e = scene.*std::get<double CSceneParams::*>(last.member);
            if (firstToLast)
                e = a;
            else
                a = e;
        }
    }
    markModified();
    showRecord();
}

void COrvantisView::OnFirstToLast() {
    copyFirstLast(true);
}
void COrvantisView::OnLastToFirst() {
    copyFirstLast(false);
}

void COrvantisView::LaunchRender(int mode) {
    if (!ValidateScene()) return;
    if (renderLauncher()) renderLauncher()(*this, mode);
}

void COrvantisView::LaunchVideo() {
    if (!videoLauncher() || !ValidateScene()) return;
    videoLauncher()(*this);
}

void COrvantisView::OnSetPath() {
    if (pathEditorLauncher()) pathEditorLauncher()(*this);
}

void COrvantisView::browseFile(int buttonId) {
    takeValues();
    contextHelp = false;
    const int fieldId = buttonId == 315 ? 343 : buttonId == 319 ? 359 : buttonId == 323 ? 374 : 383;
    const bool output = buttonId == 323;
    QFileDialog dlg(this);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(output ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilters({QString::fromLatin1(LoadString(IDS_SCENE_FILE_FILTER)),
                        QString::fromLatin1(LoadString(IDS_SCENE_FILE_FILTER_ALL))});
    dlg.setDefaultSuffix(QStringLiteral("tga"));
    const QString current = edit(fieldId)->text();
    if (!current.isEmpty()) {
        QFileInfo info(QString::fromStdString(sceneFilePath(current.toStdString())));
        if (info.absoluteDir().exists()) dlg.setDirectory(info.absolutePath());
        dlg.selectFile(info.fileName());
    } else if (const std::string folder = sceneFolder(); !folder.empty()) {
        dlg.setDirectory(QString::fromStdString(folder));
    }
    const bool confirmed =
        GetDocument()->app().runDialog(dlg) == QDialog::Accepted && !dlg.selectedFiles().isEmpty();
    if (confirmed) {
        // The chosen path keeps its letter case: file names are case-sensitive here.
        const QString chosen = QFileInfo(dlg.selectedFiles().front()).absoluteFilePath();
        for (Binding& b : bindings)
            if (b.id == fieldId) *static_cast<std::string*>(b.field) = chosen.toStdString();
        showRecord();
        markModified();
    }
    contextHelp = true;
}

void COrvantisView::browseBackgroundColor() {
    contextHelp = false;
    uint32_t c = scene.BackgroundColor;
    if (chooseColour(GetDocument()->app(), this, c)) {
        scene.BackgroundColor = c;
        ui->swatchBackground->setColour(c);
        markModified();
    }
    contextHelp = true;
}

// ---- window -----------------------------------------------------------------------------------------------

void COrvantisView::OnInitialUpdate() {
    // The scene window is maximised when it is first shown.
    if (frame()) frame()->setShowMaximizedFirst(true);
}

int COrvantisView::HelpTopic() {
    if (!contextHelp) return 0;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !form->isAncestorOf(focus)) return -1;
    const int id = CHelpDialog::controlId(focus);
    return id ? help::ControlBase + id : -1;
}
