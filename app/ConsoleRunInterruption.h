#pragma once

#include <string>

// A run from the console that is interrupted must not leave the customer's contact details on
// disk. Installs, for the rest of the process, what ends an interrupted run: SIGINT, SIGTERM and
// SIGHUP (on Windows Ctrl+C, Ctrl+Break and closing the console window) remove the report file
// held below, write "qm-smart-run: interrupted; no report file is left" on standard error and
// end the process with ConsoleFailed. A closed standard output no longer kills the process
// (SIGPIPE is ignored): the write fails and the run goes on to its own end and deletion.
void EndRunOnInterruption();

// The report file the run is about to create, held from just before it is created until the
// run is done with it (sent and deleted, or kept); an interruption meanwhile removes it. On
// Windows, where a file cannot be removed while the upload still reads it, an interruption
// waits for the run to be done with the file. One file is held at a time; without
// EndRunOnInterruption holding has no effect.
class InterruptibleReportFile {
public:
    explicit InterruptibleReportFile(const std::string& fileName);
    ~InterruptibleReportFile();
    InterruptibleReportFile(const InterruptibleReportFile&) = delete;
    InterruptibleReportFile& operator=(const InterruptibleReportFile&) = delete;
};
