#include "ShowResult.h"

#include "App.h"
#include "ErrorReport.h"

namespace {

constexpr UINT severestyle = MB_OK | MB_ICONHAND;         // stop icon, 0x10
constexpr UINT warningstyle = MB_OK | MB_ICONEXCLAMATION; // warning icon, 0x30

int loadfromtable(void*, unsigned id, char* buf, int size) {
    return LoadStringA(appptr->hinst, id, buf, size);
}

} // namespace

void showresult(const Result& result, HWND owner) {
    if (result.code == 0 || appptr == nullptr) {
        return;
    }
    char text[reportsize];
    bool severe = false;
    if (!composereport(result, loadfromtable, nullptr, text, severe)) {
        return;
    }
    // No caption: the application's name.
    appptr->msgbox(owner, text, nullptr, severe ? severestyle : warningstyle);
}
