#include "app/ui/QtPlatform.h"

#include "res/StringTable.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

MsgAnswer QtPlatform::message(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    if (answerer) return answerer(text, icon, buttons);

    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(QString::fromLatin1(LoadString(IDS_MAIN_TITLE)));
    box.setText(QString::fromLocal8Bit(text.c_str()));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    // A message box shown during a wait cursor must show the normal arrow.
    int restored = 0;
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
        ++restored;
    }
    const int result = box.exec();
    for (int i = 0; i < restored; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);

    switch (result) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        break;
    }
    // Closed with the window's close button or Escape: the box's cancelling answer.
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    default:
        return MsgAnswer::Cancel;
    }
}

void QtPlatform::pumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPlatform::beginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::endWaitCursor() {
    QApplication::restoreOverrideCursor();
}
