#include "app/ui/AboutDialog.h"

#include "app/ui/Icons.h"
#include "app/ui/OrvantisApp.h"
#include "res/StringTable.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

AboutDialog::AboutDialog(OrvantisApp& app, QWidget* parent) : CHelpDialog(app, 700, parent) {
    setWindowTitle(QString::fromLatin1(LoadString(IDS_ABOUT_TITLE)));
    for (int i = 0; i < 9; ++i) frames.push_back(aboutFrame(i)); // bitmaps 301 to 309

    picture = new QLabel(this);
    picture->setFixedSize(80, 80);
    picture->setPixmap(frames[0]);
    version = new QLabel(this);
    // The pointer width of this build, not a fixed number.
    version->setText(QString::fromLatin1(
        FormatString(IDS_ABOUT_VERSION, static_cast<int>(sizeof(void*) * 8), app.processor()).c_str()));
    version->setObjectName(QStringLiteral("VersionLine"));
    auto* copyright = new QLabel(QString::fromLatin1(LoadString(IDS_ABOUT_TEXT)), this);
    copyright->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    setControlId(ok, 1);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(copyright);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop | Qt::AlignLeft);
    top->addSpacing(12);
    top->addLayout(text, 1);
    top->addWidget(ok, 0, Qt::AlignTop);
    setLayout(top);
    setFixedSize(sizeHint().expandedTo(QSize(360, 104)));

    timer.start(50, this); // timer 1
}

QString AboutDialog::versionLine() const {
    return version->text();
}

void AboutDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer.timerId()) return CHelpDialog::timerEvent(event);
    // The next bitmap in turn, starting with the first and wrapping around after the ninth.
    frame = nextFrame;
    picture->setPixmap(frames[static_cast<size_t>(frame)]);
    nextFrame = (nextFrame + 1) % 9;
}
