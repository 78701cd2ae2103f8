#include "app/ui/HelpDialog.h"

#include "app/ui/Commands.h"
#include "app/ui/OrvantisApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>

void applyDialogLook(QWidget* w) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    pal.setColor(QPalette::Button, QColor(192, 192, 192));
    // Black text on the grey, except on disabled controls: they show grey text, whatever the style and
    // the platform theme would have made of a palette that gives every state the same colours.
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::WindowText, Qt::black);
        pal.setColor(group, QPalette::ButtonText, Qt::black);
    }
    for (auto role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
        pal.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

CHelpDialog::CHelpDialog(OrvantisApp& app, int templateId, QWidget* parent)
    : QDialog(parent), application(app), dialogId(templateId) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    applyDialogLook(this);
}

void CHelpDialog::setControlId(QWidget* w, int id) {
    w->setProperty("controlId", id);
}

int CHelpDialog::controlId(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        bool ok = false;
        const int id = w->property("controlId").toInt(&ok);
        if (ok && id != 0) return id;
    }
    return 0;
}

bool CHelpDialog::helpRequest(int topic) {
    if (!contextHelp) return true; // consumed, does nothing
    if (topic != 0) {
        application.OpenHelpTopic(topic);
        return true;
    }
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus)) return false;
    const int id = controlId(focus);
    if (id == 0) return false;
    application.OpenHelpTopic(id == HelpButtonId ? help::DialogBase + dialogId : help::ControlBase + id);
    return true;
}

QPushButton* CHelpDialog::makeHelpButton() {
    auto* b = new QPushButton(QStringLiteral("&Help"), this);
    b->setAutoDefault(false);
    setControlId(b, HelpButtonId);
    connect(b, &QPushButton::clicked, this, [this, b] {
        b->setFocus();
        helpRequest(0);
    });
    return b;
}

void CHelpDialog::reject() {
    if (!closeRefused()) QDialog::reject();
}

void CHelpDialog::closeEvent(QCloseEvent* event) {
    if (closeRefused()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CHelpDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        helpRequest(0);
        return;
    }
    QDialog::keyPressEvent(event);
}
