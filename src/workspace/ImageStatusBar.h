#pragma once
// The status bar of an image window: two owner-drawn panels with the source and result figures
// (workspace/StatusPanels.h); the panel of the larger size is drawn raised.
#include <QWidget>

class TImageForm;

class TImageStatusBar : public QWidget
{
    Q_OBJECT
public:
    TImageStatusBar(QWidget* parent, TImageForm* form);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawPanel(class QPainter& painter, const QRect& rect, int panel);
    void DrawIcon(QPainter& painter, const QPoint& at, int index) const;
    TImageForm* FForm;
};
