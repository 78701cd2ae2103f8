#include "tools/ui/DemImportDialog.h"

#include "ui_DemImportDialog.h"
#include "ui_DemListDialog.h"

#include "res/StringTable.h"
#include "tools/DemImport.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Draws a list line with its tab expanded to the dialog's tab stop; every line is as wide as the
// horizontal extent, so the list scrolls over that width.
class TabStopDelegate : public QStyledItemDelegate {
public:
    TabStopDelegate(int tabStop, int extent, QObject* parent)
        : QStyledItemDelegate(parent), tabStop(tabStop), extent(extent) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style) style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        painter->save();
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                             : QPalette::Text));
        QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
        textOption.setTabStopDistance(tabStop);
        textOption.setWrapMode(QTextOption::NoWrap);
        painter->drawText(QRectF(opt.rect.adjusted(2, 0, 0, 0)), text, textOption);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        return QSize(extent, size.height());
    }

private:
    int tabStop;
    int extent;
};

// Dialog units across: a quarter of the font's average character width (measured over the alphabet in
// both cases, as dialog layouts measure it).
int dialogUnitsToPixels(const QFont& font, int units) {
    QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int average = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return units * average / 4;
}

} // namespace

CDemListDialog::CDemListDialog(OrvantisApp& app, const QString& path, const std::vector<std::string>& lines,
                               QWidget* parent)
    : CHelpDialog(app, 702, parent) {
    ui = std::make_unique<Ui::DemListDialog>();
    ui->setupUi(this);
    CToolDialog::ApplyStringTable(this);
    setWindowTitle(QString::fromUtf8(DemListingTitle(path.toUtf8().toStdString()).c_str()));
    tabStop = dialogUnitsToPixels(ui->list->font(), 200);
    ui->list->setItemDelegate(new TabStopDelegate(tabStop, horizontalExtent, ui->list));
    for (const std::string& line : lines) ui->list->addItem(QString::fromUtf8(line.c_str()));
    connect(ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    CToolDialog::ConnectHelpButton(this, ui->helpButton);
}

CDemListDialog::~CDemListDialog() = default;

CDemImportDialog::CDemImportDialog(const ToolDialogContext& context, QWidget* parent)
    : CToolDialog(703, IDS_TOOLDLG_DEM_EXT, IDS_TOOLDLG_DEM_FILTER, IDS_TOOLDLG_TGA_EXT,
                  IDS_TOOLDLG_TGA_YUV_FILTER, context, parent) {
    ui = setUpForm<Ui::DemImportDialog>();
}

CDemImportDialog::~CDemImportDialog() = default;

bool CDemImportDialog::RunTool() {
    auto confirm = [this](const DemHeader&, const std::vector<std::string>& lines) {
        CDemListDialog listing(application(), fromFile(), lines, this);
        return listing.exec() == QDialog::Accepted;
    };
    return Succeeded(DemImport(LocalPath(fromFile()), LocalPath(toFile()), toolEnv(), confirm).status);
}
