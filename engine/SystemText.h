// Texts of system error numbers, behind one seam: Win32 (FormatMessageA, wave*GetErrorTextA)
// and POSIX (strerror; there are no wave devices). Each maker returns a newly allocated,
// zero-terminated narrow text, or none; the OwnedText holder releases it (delete[]).
#ifndef SONORM_SYSTEMTEXT_H
#define SONORM_SYSTEMTEXT_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>

using OwnedText = std::unique_ptr<char[]>;

// Flags of formatmessagetext, with the values of the Win32 FORMAT_MESSAGE_* flags.
constexpr std::uint32_t formatallocatebuffer = 0x100;
constexpr std::uint32_t formatignoreinserts = 0x200;
constexpr std::uint32_t formatfromsystem = 0x1000;

constexpr std::size_t wavetextsize = 256;
constexpr char lasterrfallback[] = "Tessel::maketextlasterr fail";
constexpr char wavenodriver[] = "wave*GetErrorText:MMSYSERR_NODRIVER";
constexpr char wavenomem[] = "wave*GetErrorText:MMSYSERR_NOMEM";
constexpr char wavebaderrnum[] = "wave*GetErrorText:MMSYSERR_BADERRNUM";

enum class WaveSide { input, output };

// The message of id from the system's table (formatfromsystem) or from source, as
// FormatMessageA gives it (a line end at its end stays). POSIX knows the system table only.
OwnedText formatmessagetext(std::uint32_t flags, const void* source, std::uint32_t id,
                            std::va_list* arguments);
// The system's text of a last-error number, else a copy of lasterrfallback.
OwnedText maketextlasterr(std::uint32_t error);
// The text of a wave-device error number for one side, else one of the three fixed texts.
OwnedText maketextwaveerr(std::uint32_t error, WaveSide side);

// From now on, system texts in English where the system has them (Windows: FormatMessageA with
// English, else the user's language). By default, and natively always, they follow the user's
// language (POSIX: strerror follows LC_MESSAGES). Call before any text is made.
void systemtextsinenglish();

// A new copy of text; none when memory is refused.
OwnedText copytext(const char* text);

#endif
