#include "app/ui/OptionsDialog.h"

#include "app/CFormat.h"
#include "app/OptionsCheck.h"
#include "app/ui/ColorSwatch.h"
#include "app/ui/OrvantisApp.h"
#include "app/ui/QtPlatform.h"
#include "res/StringTable.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(OrvantisApp& app, QWidget* parent) : CHelpDialog(app, 718, parent) {
    setWindowTitle(QString::fromLatin1(LoadString(IDS_OPTIONS_TITLE)));

    const UserOptions opts = LoadOptions(app.settings());
    pathColour = opts.flightPathColor;

    colourSwatch = new ColorSwatch(this);
    colourSwatch->setFixedSize(40, 20);
    colourSwatch->setColour(pathColour);
    setControlId(colourSwatch, 333);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    setControlId(browse, 316);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &OptionsDialog::browseColour);
    width = edit(344);
    redraw = edit(370);
    antialiasing = edit(310);
    width->setText(QString::number(opts.flightPathWidth));
    redraw->setText(QString::number(opts.redrawInterval));
    antialiasing->setText(QString::number(opts.antialiasing));

    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        if (buddy) l->setBuddy(buddy);
        return l;
    };

    auto* path = new QGroupBox(QStringLiteral("Flight path setting:"), this);
    auto* pg = new QGridLayout(path);
    pg->addWidget(label("Co&lor:", browse), 0, 0);
    pg->addWidget(colourSwatch, 0, 1);
    pg->addWidget(browse, 0, 2, 1, 2);
    pg->addWidget(label("&Width:", width), 1, 0);
    pg->addWidget(width, 1, 1, 1, 2);
    pg->addWidget(label("pixel", nullptr), 1, 3);

    auto* render = new QGroupBox(QStringLiteral("Rendering:"), this);
    auto* rg = new QGridLayout(render);
    rg->addWidget(label("Redraw &Interval:", redraw), 0, 0);
    rg->addWidget(redraw, 0, 1);
    rg->addWidget(label("ms", nullptr), 0, 2);
    rg->addWidget(label("&Antialiasing:", antialiasing), 1, 0);
    rg->addWidget(antialiasing, 1, 1);
    rg->addWidget(label("pixel", nullptr), 1, 2);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setDefault(true);
    setControlId(ok, 1);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setAutoDefault(false);
    setControlId(cancel, 2);
    QPushButton* helpButton = makeHelpButton();
    connect(ok, &QPushButton::clicked, this, &OptionsDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* groups = new QVBoxLayout;
    groups->addWidget(path);
    groups->addWidget(render);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout(this);
    top->addLayout(groups, 1);
    top->addLayout(buttons);
    width->setFocus();
}

QLineEdit* OptionsDialog::edit(int id) {
    auto* e = new QLineEdit(this);
    e->setMaximumWidth(80);
    setControlId(e, id);
    return e;
}

void OptionsDialog::browseColour() {
    setContextHelp(false);
    uint32_t c = pathColour;
    if (chooseColour(app(), this, c)) {
        pathColour = c;
        colourSwatch->setColour(c);
    }
    setContextHelp(true);
}

void OptionsDialog::onOk() {
    UserOptions opts;
    opts.flightPathColor = pathColour;
    QLineEdit* edits[] = {width, redraw, antialiasing};
    int* fields[] = {&opts.flightPathWidth, &opts.redrawInterval, &opts.antialiasing};
    for (int i = 0; i < 3; ++i) {
        if (!parseIntStrict(edits[i]->text().toStdString(), *fields[i])) {
            app().platform().message(LoadString(IDS_PLEASE_ENTER_INTEGER), MsgIcon::Warning, MsgButtons::Ok);
            edits[i]->setFocus();
            edits[i]->selectAll();
            return;
        }
    }
    const OptionsCheckResult check = CheckOptions(opts);
    if (!check.ok) {
        app().platform().message(check.message, MsgIcon::Stop, MsgButtons::Ok);
        QLineEdit* e = check.focusControl == kOptionsWidthEdit    ? width
                       : check.focusControl == kOptionsRedrawEdit ? redraw
                                                                  : antialiasing;
        e->setFocus();
        e->selectAll();
        return;
    }
    StoreOptions(app().settings(), opts);
    accept();
}
