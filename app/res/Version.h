/* Identity of the program: the one source of the version block's values and of every text that
   repeats them (the version dialog's defaults come from the block at run time; the command-line
   tool's --version prints these). Plain C macros: read by the resource compiler and by C++. */
#ifndef SONORM_VERSION_H
#define SONORM_VERSION_H

#define SONORM_COMPANY "Velquin"
#define SONORM_PRODUCT "Sonorm"
#define SONORM_INTERNAL "Sonorm"
#define SONORM_DESCRIPTION "Convert WAV for Quillplay"
#define SONORM_ORIGINAL_FILENAME "Sonorm.exe"
#define SONORM_FILEVERSION "1.01"
#define SONORM_PRODUCTVERSION "1.01"
#define SONORM_LEGAL "Copyright (C) 2026 Velquin"
/* The version text: product name, file version, rights notice (version dialog, --version). */
#define SONORM_VERSION_FORMAT "%s version %s\n%s"
/* Binary file and product version 1.0.1.1. */
#define SONORM_VERSION_MAJOR 1
#define SONORM_VERSION_MINOR 0
#define SONORM_VERSION_PATCH 1
#define SONORM_VERSION_BUILD 1

#endif
