#pragma once

// The two connection icons lie on top of each other; exactly one is visible.
// CONok: frames are arriving. CONokN: no frames (the start state).
class ConnectionIndicator
{
public:
    bool CONokVisible() const { return framesArriving; }
    bool CONokNVisible() const { return !framesArriving; }

    void showCONok() { framesArriving = true; }
    void showCONokN() { framesArriving = false; }

private:
    bool framesArriving = false;
};
