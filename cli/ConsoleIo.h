// The tool's two output streams: exact bytes, the platform's line break, terminal detection.
#ifndef SONORM_CLI_CONSOLEIO_H
#define SONORM_CLI_CONSOLEIO_H

#include <cstddef>
#include <string>
#include <system_error>

// "\n" natively, "\r\n" on Windows (the streams are switched to binary mode by consoleinit).
extern const char* const linebreak;

// Puts stdin, stdout and stderr in the mode that writes bytes unchanged.
void consoleinit();
bool stderristerminal();
bool stdoutisterminal();
bool stdinisterminal();
// Writes count bytes of data to stdout; false, with error set, when they do not all go out.
bool writeoutdata(const void* data, std::size_t count, std::error_code& error);
// text (UTF-8) in the native encoding: itself natively, the ANSI code page on Windows.
std::string fromutf8(const std::string& text);
// text as it is; false when not all of it went out (the stream is full, closed or gone).
bool writeout(const std::string& text);
bool writeerr(const std::string& text);

#endif
