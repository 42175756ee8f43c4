#pragma once

#include <memory>

class TFrmAbout;
class TFrmTest;
class TFrmprint;
class TFrmsearch;
class TFrmstore;
class HidPlatform;

// The program's five windows, created once, in this order, and destroyed in
// the reverse order at the end. The first is the main window.
class Windows
{
public:
    explicit Windows(HidPlatform &hidPlatform);
    ~Windows();
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    std::unique_ptr<TFrmTest> FrmTest;
    std::unique_ptr<TFrmAbout> FrmAbout;
    std::unique_ptr<TFrmprint> Frmprint;
    std::unique_ptr<TFrmstore> Frmstore;
    std::unique_ptr<TFrmsearch> Frmsearch;

private:
    void connectWindows();
};
