#pragma once
// Shared by the transport and command-line benchmarks: a loopback Dovecot holding 1,000
// messages, and Python's poplib doing TOP n 0, LIST n and UIDL n for each of them
// (poplib_loop.py), as the yardstick.
#include "support/dovecot_server.h"

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

}  // namespace kestrix::bench
