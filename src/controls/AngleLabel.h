#pragma once
// A label that draws its caption turned by a whole number of degrees (counter-clockwise), with an
// optional raised or lowered copy in a shadow colour.
#include <QColor>
#include <QLabel>
#include <QPoint>

enum class TStyleLabel { slNormal, slLowered, slRaised };

// Where the turned text starts (its top-left corner before turning) in a label of width x height,
// for text tw wide and th high turned by angle degrees (0..359), by the horizontal and vertical
// alignment (Qt::AlignLeft/AlignRight/AlignHCenter, Qt::AlignTop/AlignBottom/AlignVCenter).
QPoint AngleLabelStart(int angle, Qt::Alignment alignment, int tw, int th, int width, int height);

class TAngleLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TAngleLabel(QWidget* parent = nullptr);
    TAngleLabel(const QString& caption, QWidget* parent = nullptr);

    int Angle() const { return FAngle; }
    // Values below 0 or from 360 up store 0.
    void SetAngle(int value);
    TStyleLabel Style() const { return FStyle; }
    void SetStyle(TStyleLabel value);
    QColor ShadowColor() const { return FShadowColor; }
    void SetShadowColor(const QColor& value);
    // A transparent label leaves its background unpainted.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);

    // The start point of the caption in the current size (see AngleLabelStart).
    QPoint TextStart() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FAngle = 0;
    TStyleLabel FStyle = TStyleLabel::slRaised;
    QColor FShadowColor;
    bool FTransparent = false;
};
