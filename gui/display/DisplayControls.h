#pragma once

class DialPanel;
class QProgressBar;
class QTimer;
class VirtualLcd;

// The live reading's controls: the LCD, the range bar, the dial and the
// digits' blinking timer.
struct DisplayControls
{
    VirtualLcd *Panel9 = nullptr;
    QProgressBar *PBar2 = nullptr;
    DialPanel *KD = nullptr;
    QTimer *FlashTime = nullptr;
};
