#pragma once

#include <functional>

class QObject;

// Until OnTerminationSignals takes them over, SIGINT, SIGTERM and SIGHUP end
// the program as they would by default, but first remove the files that were
// still being written (TemporaryFiles). Call first thing in main().
void RemoveTemporaryFilesOnTermination();

// Runs `quit` on the event loop when SIGINT, SIGTERM or SIGHUP arrives (Ctrl+C,
// a kill, a closed terminal, a desktop logout), so that the program ends
// through its ordinary path and nothing it holds is lost. Once per program;
// `context` ends the watch when it is destroyed.
void OnTerminationSignals(QObject *context, std::function<void()> quit);

// The descriptor that becomes readable once a termination signal has arrived
// (after OnTerminationSignals or WatchTerminationSignals), for code that waits
// in poll() rather than in the event loop.
int TerminationSignalDescriptor();
// Sends the termination signals to TerminationSignalDescriptor() alone.
void WatchTerminationSignals();
