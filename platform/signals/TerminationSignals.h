#pragma once

#include <functional>

class QObject;

// Runs `quit` on the event loop when SIGINT, SIGTERM or SIGHUP arrives (Ctrl+C,
// a kill, a closed terminal, a desktop logout), so that the program ends
// through its ordinary path and nothing it holds is lost. Once per program;
// `context` ends the watch when it is destroyed.
void OnTerminationSignals(QObject *context, std::function<void()> quit);
