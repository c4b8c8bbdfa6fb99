#include "resample/ui/ResolutionForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "common/HelpTopics.h"
#include "controls/DialogButtons.h"

TResolutionForm::TResolutionForm(QWidget* owner, std::function<void(int)> onHelp) : QDialog(owner)
{
    setObjectName("ResolutionForm");
    setWindowTitle("Change Resolution");
    auto* text =
        new QLabel("Image resolution in DPI (dots-per-inch) defines the interpretation of image dimensions "
                   "in pixels (dots) into the physical image size for the output devices. To get the "
                   "required image size, set resolution values supported by your output device (eg. "
                   "printer) and resize by using the 'Image Resize/ Resample' dialog.",
                   this);
    text->setWordWrap(true);
    auto* group = new QGroupBox(" Image Resolution (dpi) ", this);
    auto* form = new QFormLayout(group);
    auto spin = [group](const char* name) {
        auto* s = new QSpinBox(group);
        s->setObjectName(name);
        s->setRange(1, 32000);
        return s;
    };
    HorzUpDown = spin("HorzUpDown");
    VertUpDown = spin("VertUpDown");
    form->addRow("Horizontal:", HorzUpDown);
    form->addRow("Vertical:", VertUpDown);
    EqualCheckBox = new QCheckBox("Horizontal and vertical values are equal", group);
    EqualCheckBox->setObjectName("EqualCheckBox");
    form->addRow(EqualCheckBox);
    ProfileCheckBox = new QCheckBox("Default values to be applied with this Compression Profile", this);
    ProfileCheckBox->setObjectName("ProfileCheckBox");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(group);
    layout->addWidget(ProfileCheckBox);
    layout->addWidget(MakeDialogButtons(this, htResolution, onHelp));
    setFixedWidth(440);

    connect(HorzUpDown, &QSpinBox::valueChanged, this, [this] { EditChange(HorzUpDown); });
    connect(VertUpDown, &QSpinBox::valueChanged, this, [this] { EditChange(VertUpDown); });
    connect(EqualCheckBox, &QCheckBox::clicked, this, [this](bool on) {
        if (!on) return;
        const int larger = std::max(HorzUpDown->value(), VertUpDown->value());
        HorzUpDown->setValue(larger);
        VertUpDown->setValue(larger);
    });
}

void TResolutionForm::EditChange(QSpinBox* edited)
{
    if (FSyncing || !EqualCheckBox->isChecked()) return;
    FSyncing = true;
    (edited == HorzUpDown ? VertUpDown : HorzUpDown)->setValue(edited->value());
    FSyncing = false;
}

void TResolutionForm::showEvent(QShowEvent* event)
{
    FSyncing = true;
    HorzUpDown->setValue(HorzDPI);
    VertUpDown->setValue(VertDPI);
    FSyncing = false;
    EqualCheckBox->setChecked(HorzDPI == VertDPI);
    ProfileCheckBox->setChecked(DefaultForProfile);
    QDialog::showEvent(event);
}

void TResolutionForm::accept()
{
    HorzDPI = HorzUpDown->value();
    VertDPI = VertUpDown->value();
    DefaultForProfile = ProfileCheckBox->isChecked();
    QDialog::accept();
}
