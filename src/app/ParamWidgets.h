#pragma once
// The small widgets the parameter toolbars are made of: a slider that shows a highlighted range
// beside a plain groove (the range is its only marking; the zoom slider is one without a range),
// a read-only number edit whose arrows still step the value, and the panel of a
// parameter toolbar with its "Base"/"Selected" tabs, which stand on the left or on top by the
// toolbar's shape.
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QValidator>
#include <QWidget>
#include <functional>

class QBoxLayout;
class QPainter;

class TRangeSlider : public QSlider
{
    Q_OBJECT
public:
    TRangeSlider(Qt::Orientation orientation, int minimum, int maximum, int start, QWidget* parent = nullptr);
    // The highlighted range (from <= to, in slider values); ClearHighlight shows none.
    void SetHighlight(int from, int to);
    void ClearHighlight();
    bool HasHighlight() const { return FShown; }
    int HighlightFrom() const { return FFrom; }
    int HighlightTo() const { return FTo; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool FShown = false;
    int FFrom = 0, FTo = 0;
};

// A spin box whose text cannot be typed in: the value changes through its arrows (and the keys and
// wheel that step it) or through its slider.
class TLevelSpin : public QSpinBox
{
    Q_OBJECT
public:
    TLevelSpin(int minimum, int maximum, int start, QWidget* parent = nullptr);
    // The read-only edit showing the value.
    QLineEdit* Edit() const { return lineEdit(); }
};

// The area tabs. Standing on the left, a tab shows its picture upright beside its turned text, so
// the picture makes the tabs wider, not longer; on top it shows them as any tab bar does.
class TAreaTabBar : public QTabBar
{
    Q_OBJECT
  public:
    using QTabBar::QTabBar;

  protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }
    void paintEvent(QPaintEvent* event) override;

  private:
    bool Vertical() const { return shape() == RoundedWest || shape() == RoundedEast; }
};

// The client of a parameter toolbar: the area tab bar and the panels beside (or below) it.
class TTabbedPanel : public QWidget
{
    Q_OBJECT
public:
    TTabbedPanel(QTabBar* tabs, QWidget* panels, QWidget* parent = nullptr);
    bool TabsLeft() const { return FTabsLeft; }
    // Applies the placement rule for the size the toolbar now has (its owner calls it on each resize).
    void PlaceTabs(int width, int height);

private:
    QTabBar* FTabs;
    QBoxLayout* FLayout;
    bool FTabsLeft = true;
};

// A status bar panel its owner draws.
class TPaintedPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TPaintedPanel(std::function<void(QPainter&, const QRect&)> paint, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<void(QPainter&, const QRect&)> FPaint;
};

// Admits what a ratio may become while it is typed: at most three characters of digits with at most
// one decimal point.
class TRatioValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
