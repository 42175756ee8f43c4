#pragma once

struct LogOptions;

// Connects to the cable (real or simulated) the way the window does and
// prints readings until interrupted.
int live(const LogOptions &options);
