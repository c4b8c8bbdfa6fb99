#pragma once
// TEnhFlatBtn: a flat tool button that can keep its thin raised border at all times.
#include <QToolButton>

class TEnhFlatBtn : public QToolButton
{
    Q_OBJECT
public:
    explicit TEnhFlatBtn(QWidget* parent = nullptr);
    bool ThinBorder() const { return FThinBorder; }
    // With a thin border the button always draws in its raised (hot) look.
    void SetThinBorder(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool FThinBorder = false;
};
