#include "formats/ui/ImageInfoForm.h"

#include <algorithm>

#include <QActionGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

#include "formats/ui/PictureInfoText.h"
#include "formats/ui/PreviewFrames.h"

// The preview area: shows the dialog's shown frame inside a sunken border.
class TPreviewBox : public QFrame
{
public:
    TPreviewBox(QWidget* parent, const QImage* frame) : QFrame(parent), FFrame(frame)
    {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QFrame::paintEvent(e);
        QPainter p(this);
        p.drawImage(contentsRect().topLeft(), *FFrame);
    }

private:
    const QImage* FFrame;
};

namespace {

// A value label that shortens its text with an ellipsis where the panel is too narrow; the whole
// text is its tool tip.
class TValueLabel : public QLabel
{
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return QSize(20, QLabel::minimumSizeHint().height()); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width()));
    }
};

} // namespace

TImageInfoForm::TImageInfoForm(QWidget* host, QSize previewSize) : QObject(host)
{
    FPicturePanel = new QWidget(host);
    FPicturePanel->setObjectName("PicturePanel");
    auto* panelLayout = new QVBoxLayout(FPicturePanel);
    panelLayout->setContentsMargins(6, 6, 6, 6);

    auto* group = new QGroupBox(" Image Information ", FPicturePanel);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    const TPictureInfoTexts empty = EmptyPictureInfoTexts();
    for (int i = 0; i < ilCount; ++i) {
        FCaptions[size_t(i)] = new QLabel(QString::fromStdString(empty.Captions[size_t(i)]), group);
        FValues[size_t(i)] = new TValueLabel(QString::fromStdString(empty.Values[size_t(i)]), group);
        grid->addWidget(FCaptions[size_t(i)], i, 0);
        grid->addWidget(FValues[size_t(i)], i, 1);
    }
    grid->setColumnStretch(1, 1);
    panelLayout->addWidget(group);

    FPreviewCheck = new QCheckBox("Show Image Preview   >>", FPicturePanel);
    panelLayout->addWidget(FPreviewCheck);
    FPreviewBox = new TPreviewBox(FPicturePanel, &FShownFrame);
    SetPreviewSize(previewSize);
    panelLayout->addWidget(FPreviewBox, 0, Qt::AlignHCenter);
    panelLayout->addStretch(1);

    FRDirPanel = new QWidget(host);
    FRDirPanel->setObjectName("RDirPanel");
    auto* dirLayout = new QVBoxLayout(FRDirPanel);
    dirLayout->setContentsMargins(0, 0, 0, 0);
    dirLayout->setSpacing(2);
    dirLayout->addWidget(new QLabel("Recent Directories:", FRDirPanel));
    FRecentList = new QListWidget(FRDirPanel);
    FRecentList->setIconSize(QSize(16, 16));
    FRecentList->setFixedHeight(FRecentList->fontMetrics().height() * 5 + 8);
    dirLayout->addWidget(FRecentList);

    BuildMenu();
    FPicturePanel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FPicturePanel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FMenu->popup(FPicturePanel->mapToGlobal(at)); });
    connect(FPreviewCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (!FSyncing && on == bool(FOptions & pdoNoPreview)) ChangeOption(pdoNoPreview, true, false);
    });
    connect(FRecentList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit RecentFolderChosen(FRecentList->row(item)); });
    connect(FRecentList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit RecentFolderChosen(FRecentList->row(item)); });

    FTimer.setInterval(FadeIntervalMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { FadeTick(); });
    SyncOptionControls();
}

void TImageInfoForm::BuildMenu()
{
    FMenu = new QMenu(FPicturePanel);
    FOpenItem = FMenu->addAction("&Open", this, [this] { emit OpenRequested(); });
    FMenu->addSeparator();
    FPreviewItem = FMenu->addAction("&Show Image Preview", this, [this] { ChangeOption(pdoNoPreview, true, false); });
    FPreviewItem->setCheckable(true);
    FSmoothItem = FMenu->addAction("Smooth Image &Appearing", this, [this] { ChangeOption(pdoNoSmoothing, true, false); });
    FSmoothItem->setCheckable(true);

    QMenu* size = FMenu->addMenu("&File Size Units");
    FBytesItem = size->addAction("&Bytes", this, [this] { ChangeOption(pdoSizeInKB, false, false); });
    FKBytesItem = size->addAction("&KBytes", this, [this] { ChangeOption(pdoSizeInKB, false, true); });
    size->addSeparator();
    FTime28Item = size->addAction("Download Time at &28.8 Kbit", this, [this] { ChangeOption(pdoTime28k, true, false); });
    FTime56Item = size->addAction("Download Time at &56 KBit", this, [this] { ChangeOption(pdoTime56k, true, false); });

    QMenu* ratio = FMenu->addMenu("&Compression Ratio Units");
    FRatioItem = ratio->addAction("&Compressed / Uncompressed Size", this,
                                  [this] { ChangeOption(pdoRatioAsBpp, false, false); });
    FBppItem = ratio->addAction("&Bits per Pixel", this, [this] { ChangeOption(pdoRatioAsBpp, false, true); });
    FMenu->addSeparator();
    FMenu->addAction("&Help", this, [this] { emit HelpRequested(); });

    for (QAction* a : {FBytesItem, FKBytesItem, FTime28Item, FTime56Item, FRatioItem, FBppItem}) a->setCheckable(true);
    auto* sizeGroup = new QActionGroup(size);
    sizeGroup->addAction(FBytesItem);
    sizeGroup->addAction(FKBytesItem);
    auto* ratioGroup = new QActionGroup(ratio);
    ratioGroup->addAction(FRatioItem);
    ratioGroup->addAction(FBppItem);
}

void TImageInfoForm::SetPreviewSize(QSize size)
{
    FTimer.stop();
    FFadeStep = 0;
    FNewFrame = QImage(size, QImage::Format_RGB32);
    FNewFrame.fill(FPicturePanel->palette().color(QPalette::Button));
    FShownFrame = FNewFrame;
    FOldFrame = FNewFrame;
    const int border = FPreviewBox->frameWidth();
    FPreviewBox->setFixedSize(size + QSize(2 * border, 2 * border));
    // A fixed width: the file dialog beside it keeps its size whatever the values are.
    FPicturePanel->setFixedWidth(std::max(370, size.width() + 40));
}

void TImageInfoForm::SetDisplayOptions(int options)
{
    FOptions = options & 0xFF;
    SyncOptionControls();
}

void TImageInfoForm::ChangeOption(int bit, bool toggle, bool on)
{
    const int before = FOptions;
    FOptions = toggle ? ToggleDisplayOption(FOptions, bit) : SetDisplayOption(FOptions, bit, on);
    SyncOptionControls();
    if (FOptions == before) return;
    if (bit == pdoNoPreview)
        emit PreviewSwitched();
    else if (bit != pdoNoSmoothing)
        emit UnitsChanged();
}

void TImageInfoForm::SyncOptionControls()
{
    FSyncing = true;
    FPreviewCheck->setChecked(!(FOptions & pdoNoPreview));
    FPreviewItem->setChecked(!(FOptions & pdoNoPreview));
    FSmoothItem->setChecked(!(FOptions & pdoNoSmoothing));
    FBytesItem->setChecked(!(FOptions & pdoSizeInKB));
    FKBytesItem->setChecked(FOptions & pdoSizeInKB);
    FTime28Item->setChecked(FOptions & pdoTime28k);
    FTime56Item->setChecked(FOptions & pdoTime56k);
    FRatioItem->setChecked(!(FOptions & pdoRatioAsBpp));
    FBppItem->setChecked(FOptions & pdoRatioAsBpp);
    FSyncing = false;
}

void TImageInfoForm::ShowInfo(const TImageFileInfo& info)
{
    const TPictureInfoTexts texts = DisplayTextInfo(info, FOptions);
    for (int i = 0; i < ilCount; ++i) {
        const QString value = QString::fromStdString(texts.Values[size_t(i)]);
        FCaptions[size_t(i)]->setText(QString::fromStdString(texts.Captions[size_t(i)]));
        FCaptions[size_t(i)]->setEnabled(!value.isEmpty());
        FValues[size_t(i)]->setText(value);
        FValues[size_t(i)]->setToolTip(value);
    }
}

void TImageInfoForm::ClearInfo()
{
    const TPictureInfoTexts texts = EmptyPictureInfoTexts();
    for (int i = 0; i < ilCount; ++i) {
        FCaptions[size_t(i)]->setText(QString::fromStdString(texts.Captions[size_t(i)]));
        FCaptions[size_t(i)]->setEnabled(true);
        FValues[size_t(i)]->setText(QString::fromStdString(texts.Values[size_t(i)]));
        FValues[size_t(i)]->setToolTip(QString());
    }
}

void TImageInfoForm::DrawPreview(const QImage& picture, const QRect& place, const QString& text)
{
    FNewFrame.fill(FPicturePanel->palette().color(QPalette::Button));
    {
        QPainter p(&FNewFrame);
        if (!picture.isNull() && !(FOptions & pdoNoPreview)) {
            p.drawImage(place, picture);
        } else {
            p.setPen(FPicturePanel->palette().color(QPalette::ButtonText));
            p.setFont(FPicturePanel->font());
            p.drawText(FNewFrame.rect().adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap, text);
        }
    }
    FOldFrame = FShownFrame.copy();
    FFadeStep = FadeStart;
    FTimer.start();
    FadeTick();
}

void TImageInfoForm::FadeTick()
{
    FFadeStep = NextFadeStep(FFadeStep, !(FOptions & pdoNoSmoothing));
    if (FFadeStep <= 0) FTimer.stop();
    BlendFrames(FOldFrame, FNewFrame, FFadeStep, FShownFrame);
    FPreviewBox->update();
}

void TImageInfoForm::SetRecentFolders(const std::vector<std::string>& folders, int lastChosen)
{
    FRecentList->clear();
    const QStyle* style = FRecentList->style();
    const QIcon folder = style->standardIcon(QStyle::SP_DirIcon);
    // The chosen folder's icon must differ from the others: the style's own open folder often
    // looks the same as the closed one, the link folder never does.
    const QIcon chosen = QIcon::fromTheme("folder-open", style->standardIcon(QStyle::SP_DirLinkIcon));
    for (size_t i = 0; i < folders.size(); ++i)
        FRecentList->addItem(
            new QListWidgetItem(int(i) == lastChosen ? chosen : folder, QString::fromStdString(folders[i])));
    if (lastChosen >= 0 && lastChosen < FRecentList->count()) FRecentList->setCurrentRow(lastChosen);
}

void TImageInfoForm::SetOpenItem(const QString& caption, bool enabled)
{
    if (!caption.isEmpty()) FOpenItem->setText(caption);
    FOpenItem->setEnabled(enabled);
}
