#include "app/IntMarksForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/HelpTopics.h"
#include "controls/DialogButtons.h"

TIntMarksForm::TIntMarksForm(QWidget* owner, std::function<void(int)> onHelp) : QDialog(owner)
{
    setObjectName("IntMarksForm");
    setWindowTitle("Integrity marks");
    auto* text =
        new QLabel("Integrity marks allow the decompression to be resumed if image will be damaged. You can "
                   "specify the interval (in compression blocks) between integrity marks . NOTE: Smaller "
                   "interval means more marks to be inserted in the image and the greater file size. ",
                   this);
    text->setWordWrap(true);
    auto* group = new QGroupBox(" Options ", this);
    auto* groupLayout = new QVBoxLayout(group);
    InsertCheckBox = new QCheckBox("Insert integrity marks", group);
    InsertCheckBox->setObjectName("InsertCheckBox");
    auto* row = new QHBoxLayout;
    auto* label = new QLabel("Interval:", group);
    IntervalUpDown = new QSpinBox(group);
    IntervalUpDown->setObjectName("IntervalUpDown");
    IntervalUpDown->setRange(1, 9999);
    IntervalUpDown->setValue(24);
    label->setBuddy(IntervalUpDown);
    row->addWidget(label);
    row->addWidget(IntervalUpDown);
    row->addStretch();
    groupLayout->addWidget(InsertCheckBox);
    groupLayout->addLayout(row);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(group);
    layout->addWidget(MakeDialogButtons(this, htIntegrityMarks, onHelp));
    setFixedWidth(400);
    IntervalUpDown->setEnabled(false);
    label->setEnabled(false);
    connect(InsertCheckBox, &QCheckBox::toggled, this, [this, label](bool on) {
        IntervalUpDown->setEnabled(on);
        label->setEnabled(on);
    });
}

void TIntMarksForm::SetInterval(int interval)
{
    InsertCheckBox->setChecked(interval >= 1);
    if (interval >= 1) IntervalUpDown->setValue(interval);
}

int TIntMarksForm::Interval() const
{
    return InsertCheckBox->isChecked() ? IntervalUpDown->value() : 0;
}
