#include "app/InfoForm.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "workspace/ImageForm.h"

TImageInfoFacts ImageInfoFactsOf(const TImageForm& w)
{
    TImageInfoFacts f;
    const TBitmap* source = w.SourceBitmap();
    f.Width = source ? source->Width() : w.FileInfo.Width;
    f.Height = source ? source->Height() : w.FileInfo.Height;
    f.FileName = w.FileInfo.FileName;
    f.SourceFileSize = w.FileInfo.FileSize;
    f.SourceType = w.FileInfo.FormatDescription;
    f.SourceBits = w.FileInfo.BitsPerPixel;
    f.SourceMode = w.GetModeText(false);
    f.SourceRatio = w.FileInfo.Ratio24;
    f.HasResult = w.HasResult();
    f.ResultSize = w.ResultSize;
    f.ResultGray = w.Image->Grayscale;
    f.ResultMode = w.GetModeText(true);
    f.ResultRatio = w.ComprRatio;
    f.Saved = w.IsSaved();
    return f;
}

namespace {

QString Ratio(double r)
{
    char text[64];
    std::snprintf(text, sizeof text, "1:%5.1f", r);
    return QString::fromLatin1(text);
}

} // namespace

TInfoForm::TInfoForm(QWidget* owner) : QDialog(owner)
{
    setObjectName("InfoForm");
    setWindowTitle("Image Information");
    auto value = [this](QGridLayout* grid, int row, const char* caption, const char* name,
                        const char* initial) {
        grid->addWidget(new QLabel(caption), row, 0);
        auto* v = new QLabel(initial);
        v->setObjectName(name);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(v, row, 1);
    };
    auto* image = new QGroupBox(" Image ", this);
    auto* ig = new QGridLayout(image);
    value(ig, 0, "Width:", "Width", "");
    value(ig, 1, "Height:", "Height", "");
    value(ig, 2, "File Name:", "FileName", "");
    auto* source = new QGroupBox(" Source ", this);
    auto* sg = new QGridLayout(source);
    value(sg, 0, "File Size:", "SrcFileSize", "");
    value(sg, 1, "File Type:", "SrcType", "");
    value(sg, 2, "Pixel Format:", "SrcBits", "");
    value(sg, 3, "Sub Type:", "SrcMode", "");
    value(sg, 4, "Compression Ratio:", "SrcRatio", "-");
    auto* result = new QGroupBox(" Result ", this);
    auto* rg = new QGridLayout(result);
    value(rg, 0, "File Size:", "ResFileSize", "");
    value(rg, 1, "File Type:", "ResType", "");
    value(rg, 2, "Pixel Format:", "ResBits", "");
    value(rg, 3, "Sub Type:", "ResMode", "");
    value(rg, 4, "Compression Ratio:", "ResRatio", "1:??");
    value(rg, 5, "Has Been Saved?", "Saved", "-");
    auto* columns = new QHBoxLayout;
    columns->addWidget(source);
    columns->addWidget(result);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("&OK", QDialogButtonBox::AcceptRole)->setObjectName("OKBtn");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(image);
    layout->addLayout(columns);
    layout->addWidget(buttons);
}

QLabel* TInfoForm::Value(const char* name) const
{
    return findChild<QLabel*>(name);
}

void TInfoForm::Fill(const TImageInfoFacts& f)
{
    Value("Width")->setText(QString::number(f.Width));
    Value("Height")->setText(QString::number(f.Height));
    Value("FileName")->setText(QString::fromStdString(f.FileName));
    Value("SrcFileSize")->setText(QString("%1 bytes").arg(f.SourceFileSize));
    Value("SrcType")->setText(QString::fromStdString(f.SourceType));
    Value("SrcBits")->setText(QString("%1 bits").arg(f.SourceBits));
    Value("SrcMode")->setText(QString::fromStdString(f.SourceMode));
    Value("SrcRatio")->setText(f.SourceRatio > 0 ? Ratio(f.SourceRatio) : QString("-"));
    Value("ResFileSize")->setText(QString("%1 bytes").arg(f.ResultSize));
    Value("ResType")->setText("JPEG [JFIF] compliant");
    Value("ResBits")->setText(QString("%1 bits").arg(f.ResultGray ? 8 : 24));
    Value("ResMode")->setText(QString::fromStdString(f.ResultMode));
    Value("ResRatio")->setText(f.ResultRatio > 0 ? Ratio(f.ResultRatio) : QString("1:??"));
    QLabel* saved = Value("Saved");
    if (f.HasResult) {
        saved->setText(f.Saved ? "Yes" : "No");
        saved->setStyleSheet(f.Saved ? "color: teal;" : "color: red;");
    } else {
        saved->setText("-");
        saved->setStyleSheet(QString());
    }
}
