#pragma once
// The size box of the resize dialog: a whole number 0..10000 (pixels or percents) with its arrows
// bound to the number, or an inch value typed as text whose arrows step to the next tenth.
#include <QAbstractSpinBox>

class TSizeSpinBox : public QAbstractSpinBox
{
    Q_OBJECT
  public:
    explicit TSizeSpinBox(QWidget* parent = nullptr);

    // Inches: free text of digits and one decimal point; otherwise a whole number 0..10000.
    void SetInches(bool inches);
    bool Inches() const { return FInches; }
    // The number shown (the whole number, or the inch value of the text; 0 for an empty text).
    double Value() const;
    // Writes a whole number (clamped to 0..10000) or, in inches, the value with the given decimals.
    void SetValue(double value, int decimals = 2);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

    // The next tenth of an inch up (steps > 0) or down, never below 0: 1.25 -> 1.30, 0.05 -> 0.00.
    static double StepInches(double value, int steps);

  signals:
    // The text changed by the user's typing or the arrows (not by SetValue).
    void Edited();

  protected:
    StepEnabled stepEnabled() const override;

  private:
    bool FInches = false;
    bool FSetting = false;
};
