#include "HelpCommand.h"

#include "App.h"
#include "PathText.h"

#include <shellapi.h>

namespace {

constexpr std::size_t helptextpathsize = 260;
constexpr const char* helptextextension = ".txt";

} // namespace

void openhelptext(HWND owner) {
    char path[helptextpathsize];
    if (!composefilepath(path, sizeof path, appptr->moddir, appptr->modname, helptextextension)) {
        return;
    }
    // No verb: the file type's default. The viewer is a separate process, not tracked.
    ShellExecuteA(owner, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}
