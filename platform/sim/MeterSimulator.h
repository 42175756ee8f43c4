#pragma once

#include "platform/sim/MeterScenario.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <deque>

class SimulatedHidPlatform;

// The meter behind the simulated cable: once the cable has received its
// feature report it sends frames at the meter's pace (2400 baud), cut into
// the cable's reports: the scenario's run, or a replay file in a loop. While
// nothing has the cable open for reading, it sleeps (its timer stops).
class MeterSimulator : public QObject
{
    Q_OBJECT

public:
    // One report every this many milliseconds: five reports carry a frame.
    static constexpr int ReportMilliseconds = 22;

    MeterSimulator(SimulatedHidPlatform &platform, QByteArray cablePath, QObject *parent = nullptr);
    ~MeterSimulator() override;

    // Plays the reports of a replay file instead of the scenario; false with
    // `error` set when the file cannot be read or has a malformed line.
    bool loadReplay(const QString &path, QString *error);
    // Switched on: it talks whenever the cable is read. Switched off: silent.
    void start();
    void stop();
    bool talking() const { return timer.isActive(); }

    // One report's time passing (the timer calls it; tests may too).
    void tick();

private:
    void nextFrame();
    void followReaders();

    SimulatedHidPlatform &platform;
    QByteArray cable;
    QTimer timer;
    MeterScenario scenario;
    qint64 frameIndex = 0;
    bool configured = false;
    bool switchedOn = false;
    std::deque<QByteArray> pending; // reports of the frame being sent
    int silentTicks = 0;
    QList<QByteArray> replay; // reports of a replay file, report ID first
    qsizetype replayPosition = 0;
};
