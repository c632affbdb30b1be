// How the process ends when it is interrupted: SIGINT, SIGTERM and SIGHUP (Ctrl-C and the like
// on Windows) run cleanup, then end the process with the conventional status (128 + the
// signal's number; STATUS_CONTROL_C_EXIT on Windows). SIGPIPE and SIGXFSZ are ignored, so a
// write into a closed pipe or beyond the file-size limit fails and is reported like any other.
#ifndef SONORM_CLI_INTERRUPTS_H
#define SONORM_CLI_INTERRUPTS_H

// Call before any other thread starts; cleanup runs on a thread of its own.
void catchinterrupts(void (*cleanup)());

#endif
