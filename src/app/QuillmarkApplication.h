#pragma once
// The program's application object; it gives the program's icon to every window. An exception
// that escapes an event handler or a queued call is shown in a standard box captioned with the
// product name; a silent abort (EAbort) is dropped.
#include <QApplication>

class TQuillmarkApplication : public QApplication
{
    Q_OBJECT
public:
    TQuillmarkApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of the exception being handled (call inside a catch block).
    static void ShowCurrentException();
};
