#include "app/InfoCBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "common/StrRes.h"

namespace {

constexpr int KButtonWidth = 80;
constexpr int KButtonHeight = 25;
constexpr int KDesignWidth = 430;
constexpr int KDesignHeight = 120;

// Paints the box's icon at (0, 0).
class TIconBox : public QWidget
{
public:
    TIconBox(QWidget* parent, const int* index) : QWidget(parent), FIndex(index) { setFixedSize(32, 32); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, TInfoCBoxForm::IconOf(*FIndex).pixmap(32, 32));
    }

private:
    const int* FIndex;
};

QString BoxText(const std::string& text)
{
    return QString::fromUtf8(text.c_str()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace

QIcon TInfoCBoxForm::IconOf(int iconIndex)
{
    QStyle* style = QApplication::style();
    switch (iconIndex) {
    case 0: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case 1: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case 2: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    default: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    }
}

TInfoCBoxForm::TInfoCBoxForm(QWidget* owner, const TCheckMessage& message) : QDialog(owner)
{
    setWindowTitle(QString::fromUtf8(message.Caption.empty() ? SProductName : message.Caption.c_str()));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    IconIndex = message.IconIndex;
    int w = message.Width ? message.Width : KDesignWidth;
    int h = message.Height ? message.Height : KDesignHeight;
    setFixedSize(w, h);

    IconBox = new TIconBox(this, &IconIndex);
    IconBox->move(10, 10);
    TextLabel = new QLabel(BoxText(message.Text), this);
    TextLabel->setWordWrap(true);
    TextLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    int labelTop = 10 + message.TopOffset;
    TextLabel->setGeometry(52, labelTop, w - 62, h - 68 - labelTop);

    ShowMesCheckBox = new QCheckBox(QString::fromUtf8(SDontShowAgain), this);
    ShowMesCheckBox->setGeometry(10, h - 64, w - 20, 22);

    Button1 = new QPushButton(this);
    Button2 = new QPushButton(this);
    Button3 = new QPushButton(this);
    for (QPushButton* b : {Button1, Button2, Button3}) b->setGeometry(0, h - 36, KButtonWidth, KButtonHeight);
    SetButton(Button1, "&OK", mrOk);
    SetButton(Button2, "&No", mrNo);
    SetButton(Button3, "&Cancel", mrCancel);
    Button1->setDefault(true);
    Button2->hide();
    Button3->hide();
    Arrange(message.Buttons);

    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TInfoCBoxForm::SetButton(QPushButton* button, const QString& caption, int modalResult)
{
    button->setText(caption);
    button->disconnect(this);
    connect(button, &QPushButton::clicked, this, [this, modalResult] { done(modalResult); });
}

void TInfoCBoxForm::Arrange(int buttons)
{
    const int w = width(), b = KButtonWidth;
    auto place = [](QPushButton* button, int left) { button->move(left, button->y()); };
    switch (buttons) {
    case 1:
        place(Button1, (w - (2 * b + 5)) / 2);
        place(Button2, Button1->x() + b + 5);
        SetButton(Button2, QString("&") + SCancel, mrCancel);
        Button2->show();
        FDismissResult = mrCancel;
        break;
    case 3:
        place(Button1, (w - (3 * b + 10)) / 2);
        place(Button2, Button1->x() + b + 5);
        place(Button3, Button2->x() + b + 5);
        SetButton(Button1, QString("&") + SYes, mrYes);
        SetButton(Button3, QString("&") + SCancel, mrCancel);
        Button2->show();
        Button3->show();
        FDismissResult = mrCancel;
        break;
    case 4:
        place(Button1, (w - (2 * b + 5)) / 2);
        place(Button2, Button1->x() + b + 5);
        SetButton(Button1, QString("&") + SYes, mrYes);
        Button2->show();
        FDismissResult = mrNo;
        break;
    case 0:
        place(Button1, (w - b) / 2);
        break;
    default:
        place(Button1, (KDesignWidth - b) / 2); // its designed place
        break;
    }
}

void TInfoCBoxForm::reject()
{
    FDismissed = true;
    done(FDismissResult);
}

TCheckAnswer TInfoCBoxForm::Answer() const
{
    TCheckAnswer a;
    a.Result = result();
    a.DontShowAgain = !FDismissed && ShowMesCheckBox->isChecked();
    return a;
}
