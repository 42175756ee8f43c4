#pragma once

struct LogOptions;

// Feeds every report of the replay file (or stream) through the report path
// and prints a line for each frame it shows. A termination signal ends the
// input as its end would: a pipe that stays open can only end that way.
int replay(const LogOptions &options);
// No source: the --open files become the --out file.
int convert(const LogOptions &options);
