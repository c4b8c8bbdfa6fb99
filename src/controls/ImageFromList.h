#pragma once
// TImageFromList: shows one picture of an image list, enabled or greyed after its own state; an
// index of 0 or less shows nothing. No background is painted.
#include <QList>
#include <QPixmap>
#include <QWidget>

class TImageFromList : public QWidget
{
    Q_OBJECT
public:
    explicit TImageFromList(QWidget* parent = nullptr);

    void SetImages(const QList<QPixmap>* images);
    const QList<QPixmap>* Images() const { return FImages; }
    void SetImageIndex(int index);
    int ImageIndex() const { return FImageIndex; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QList<QPixmap>* FImages = nullptr; // not owned
    int FImageIndex = 0;
};
