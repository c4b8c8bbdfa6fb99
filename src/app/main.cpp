#include <QStringList>

#include "app/QtMainThreadInvoker.h"
#include "app/QuillmarkApplication.h"
#include "app/TestHost.h"
#include "platform/MainThread.h"

int main(int argc, char** argv)
{
    TQuillmarkApplication app(argc, argv);
    TQtMainThreadInvoker invoker;
    SetMainThreadInvoker(&invoker);
    TTestHostWindow host;
    host.resize(1400, 900);
    host.show();
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) host.OpenFile(args[i].toStdString());
    int rc = app.exec();
    SetMainThreadInvoker(nullptr);
    return rc;
}
