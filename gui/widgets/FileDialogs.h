#pragma once

class QFileDialog;

// Every file dialog of the program: Qt's own, so that it behaves the same
// everywhere, and describing the files it lists by their names alone. Qt's
// default guesses a type from the content of a file whose name says nothing,
// and a special file (a FIFO, /proc/kmsg) can keep such a read waiting for good.
void PrepareFileDialog(QFileDialog &dialog);
