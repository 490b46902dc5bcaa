#pragma once
// Shared by the transport and command-line benchmarks: a loopback Dovecot holding 1,000
// messages, and Python's poplib doing TOP n 0, LIST n and UIDL n for each of them
// (poplib_loop.py), as the yardstick.
#include "support/dovecot_server.h"

#include <ctime>

namespace kestrix {
class TNMPOP3;
}

namespace kestrix::bench {

constexpr int benchmarkMessageCount = 1000;

// Started on first use, stopped when the program ends.
test::DovecotServer &benchmarkDovecot();

struct PoplibRun {
    double loopSeconds = 0;     // login to QUIT, as the script measures it
    double processSeconds = 0;  // the whole process, interpreter start included
};
// Runs poplib_loop.py against benchmarkDovecot(); throws std::runtime_error when it fails.
PoplibRun runPoplibLoop();

// Logs in with the client as configured, fetches TOP n 0, LIST n and UIDL n of every message
// one command at a time, and quits; returns the wall seconds of all of it.
double fetchEveryMessage(TNMPOP3 &pop);

// CPU seconds of a clock (CLOCK_PROCESS_CPUTIME_ID, CLOCK_THREAD_CPUTIME_ID).
double cpuSeconds(clockid_t clock);

}  // namespace kestrix::bench
