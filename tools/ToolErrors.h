#pragma once

#include <cstdio>
#include <exception>

// Runs a tool's work and turns anything it raises into "TOOL: message" on standard error and
// exit status 1: a technician's tool ends with its reason, never with an abort.
template <class Work>
int ReportingErrors(const char* tool, Work&& work)
{
    try {
        return work();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", tool, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: the run ended on an error that carries no message\n", tool);
    }
    return 1;
}
