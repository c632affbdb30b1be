// A WAV file read from a stream: standard input (-) in every mode but in place, and a FIFO or a
// character device named as the single form's INPUT (/dev/stdin, <(...)). The reader walks a
// file by seeking, so the stream is first read to its end into a scratch file without a name
// (FileSystem.h: createscratch), which the job's reader then opens as often as the job needs (a
// check of a refused file reads it twice). One per run: - is read once, a second - is a file
// given twice.
#ifndef SONORM_CLI_STREAMCOPY_H
#define SONORM_CLI_STREAMCOPY_H

#include "FileSystem.h"
#include "Pipeline.h"

#include <string>
#include <vector>

class StreamCopy {
public:
    // Copies the input of the first job that reads a stream (single: the single form's job) and
    // gives the job the copy, or the reason there is none, in the user's terms; for the life of
    // this object.
    void take(std::vector<Job>& jobs, bool single);

private:
    bool fill(const std::string& input, std::string& problem);

    OwnedFile file;
    std::uint64_t size = 0;
};

#endif
