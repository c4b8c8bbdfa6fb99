#include "app/TestHost.h"

#include <QMdiArea>
#include <QTimer>

#include "common/StrRes.h"
#include "workspace/ImageForm.h"

TTestHostWindow::TTestHostWindow() : FMdiArea(new QMdiArea(this)), FTimer(new QTimer(this))
{
    setWindowTitle(SProductName);
    setCentralWidget(FMdiArea);
    connect(FTimer, &QTimer::timeout, this, [this] { TimerTick(); });
    FTimer->start(100);
}

TImageForm* TTestHostWindow::OpenFile(const std::string& fileName)
{
    auto* form = new TImageForm(nullptr, nullptr);
    FMdiArea->addSubWindow(form);
    form->resize(FMdiArea->width() * 9 / 10, FMdiArea->height() * 9 / 10);
    form->show();
    form->LoadSourceFromNames({fileName});
    return form;
}

void TTestHostWindow::TimerTick()
{
    for (QMdiSubWindow* w : FMdiArea->subWindowList()) {
        auto* form = qobject_cast<TImageForm*>(w);
        if (form && form->ZoomTimerActive) form->TimerEvent();
    }
    auto* active = qobject_cast<TImageForm*>(FMdiArea->activeSubWindow());
    if (active && active->AutoCompressDue()) active->StartCompression();
}
