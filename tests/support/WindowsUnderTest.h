#pragma once

#include "AnsweringDialogs.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

// The program's five windows on a simulated cable, every box answered and
// recorded; start() before each test, stop() after it.
struct WindowsUnderTest
{
    SimulatedHidPlatform platform;
    std::unique_ptr<Windows> windows;
    AnsweringDialogs answers;

    void start()
    {
        windows = std::make_unique<Windows>(platform);
        windows->FrmTest->setDialogs(&answers);
        answers = {};
    }
    void stop() { windows.reset(); }
    TFrmTest &frm() { return *windows->FrmTest; }
    void addRows(int rows)
    {
        for (int i = 1; i <= rows; ++i)
            frm().session.cds1.append({i, QStringLiteral("09:00:00"), QStringLiteral("1"), QStringLiteral("RPM")});
    }
};

// Runs `trigger`; the modal window it opens is closed at once. Says whether
// `window` was the one.
inline bool opensModally(QDialog &window, const std::function<void()> &trigger)
{
    bool wasModal = false;
    QTimer::singleShot(0, &window, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        wasModal = modal == &window;
        if (modal)
            static_cast<QDialog *>(modal)->reject();
    });
    trigger();
    return wasModal;
}
