#include "resample/ui/SizeSpinBox.h"

#include <QLineEdit>
#include <algorithm>
#include <cmath>

namespace {

constexpr int KMaxSize = 10000;

} // namespace

TSizeSpinBox::TSizeSpinBox(QWidget* parent) : QAbstractSpinBox(parent)
{
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!FSetting) emit Edited();
    });
    SetValue(0);
}

void TSizeSpinBox::SetInches(bool inches)
{
    FInches = inches;
}

double TSizeSpinBox::Value() const
{
    bool ok = false;
    const double v = text().trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

void TSizeSpinBox::SetValue(double value, int decimals)
{
    FSetting = true;
    if (FInches)
        lineEdit()->setText(QString::number(std::max(0.0, value), 'f', decimals));
    else
        lineEdit()->setText(QString::number(std::clamp<long long>(std::llround(value), 0, KMaxSize)));
    FSetting = false;
}

double TSizeSpinBox::StepInches(double value, int steps)
{
    // Whole tenths below the value, then one tenth up or down from there.
    const double tenths = std::trunc(value * 10.0) + steps;
    return std::max(0.0, tenths * 0.1);
}

void TSizeSpinBox::stepBy(int steps)
{
    if (FInches) {
        // Four characters and two decimals: "1.30".
        SetValue(StepInches(Value(), steps), 2);
    } else {
        SetValue(std::clamp<double>(Value() + steps, 0, KMaxSize));
    }
    emit Edited();
}

QAbstractSpinBox::StepEnabled TSizeSpinBox::stepEnabled() const
{
    const double v = Value();
    StepEnabled e = StepNone;
    if (v > 0) e |= StepDownEnabled;
    if (FInches || v < KMaxSize) e |= StepUpEnabled;
    return e;
}

QValidator::State TSizeSpinBox::validate(QString& input, int& pos) const
{
    // Only digits, and in inches the first decimal point; anything else typed is dropped.
    QString kept;
    bool point = false;
    int removedBefore = 0;
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        const bool decimal = FInches && !point && (c == '.' || c == ',');
        if (c.isDigit() || decimal) {
            if (decimal) point = true;
            kept += decimal ? QChar('.') : c;
        } else if (i < pos) {
            ++removedBefore;
        }
    }
    if (kept != input) {
        input = kept;
        pos = std::max(0, pos - removedBefore);
    }
    if (!FInches && !input.isEmpty() && input.toLongLong() > KMaxSize) return QValidator::Invalid;
    return QValidator::Acceptable;
}

void TSizeSpinBox::fixup(QString& input) const
{
    if (input.isEmpty()) input = "0";
}
