#pragma once
// Driving the scanner's dialogs from a test as a user would: they run their own event loops, so
// the test's steps wait on a timer for the dialog to show up and then press its buttons.
#include <functional>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

// The visible top-level widget of that object name, or nullptr.
inline QWidget* TopLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

// Runs fn once a visible top-level widget of that name exists (polled from the event loop).
inline void WhenShown(const char* name, std::function<void(QWidget*)> fn)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, name, fn] {
        if (QWidget* w = TopLevel(name)) {
            timer->stop();
            timer->deleteLater();
            fn(w);
        }
    });
    timer->start(10);
}

inline void Click(QWidget* dialog, const char* button)
{
    auto* b = dialog->findChild<QPushButton*>(button);
    ASSERT_NE(b, nullptr) << button;
    ASSERT_TRUE(b->isEnabled()) << button;
    b->click();
}
