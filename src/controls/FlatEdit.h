#pragma once
// TFlatEdit: a single-line edit for toolbars without a frame of its own, in a painted 3-pixel
// border that lights up as a sunken frame while the edit has the focus, or while the mouse is over
// it and no other flat edit has the focus. It is drawn again whenever the focus moves.
#include <QLineEdit>

class TFlatEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TFlatEdit(QWidget* parent = nullptr);
    ~TFlatEdit() override;

    bool MouseInControl() const { return FMouseInControl; }
    // Whether the border is drawn in its lit look now.
    bool IsHot() const;
    // The number of flat edits that exist (the edit class stays registered while it is above 0).
    static int EditCount();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitHeight();
    void ApplyColours();
    bool FMouseInControl = false;
};
