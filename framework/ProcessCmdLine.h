// The command line of the running process as one narrow text.
#ifndef TESSEL_PROCESSCMDLINE_H
#define TESSEL_PROCESSCMDLINE_H

// Windows: GetCommandLineA. Elsewhere: the arguments joined with blanks. Never null; the text
// lives as long as the process.
const char* processcmdline();

#endif
