#include "controls/EnhPanel.h"

TEnhPanel::TEnhPanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}
