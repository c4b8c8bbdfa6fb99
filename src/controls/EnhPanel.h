#pragma once
// TEnhPanel: a container that never paints or erases its own background; only its children show.
#include <QWidget>

class TEnhPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TEnhPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override {}
};
