// Signals that would end the tool in the middle of a write without a report.
#ifndef SONORM_CLI_SIGNALS_H
#define SONORM_CLI_SIGNALS_H

// Ignores the signals a failing write raises on POSIX (SIGXFSZ beyond the file size limit,
// SIGPIPE into a pipe whose reader has gone): the write then fails with EFBIG or EPIPE and is
// reported like any other write failure. Windows has no such signals.
void ignorewritesignals();

#endif
