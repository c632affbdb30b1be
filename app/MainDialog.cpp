#include "MainDialog.h"

#include "AboutDialog.h"
#include "App.h"
#include "FileDialog.h"
#include "HelpCommand.h"
#include "Registry.h"
#include "ResourceIds.h"
#include "ShowResult.h"
#include "WaveSource.h"
#include "WaveWriter.h"

namespace {

constexpr int namesize = 260;
// Answer to a query whether the system may suspend (PBT_APMQUERYSUSPEND): it may.
constexpr WPARAM powerquerysuspend = 0;
constexpr LONG_PTR grantsuspend = 1;
constexpr LONG_PTR endsessionallowed = 1;
// Posted to itself after the end-of-session reply: the window must still exist while the
// reply is stored, or the sender reads 0 ("do not end the session"). Any program can post this
// number, so it destroys the window only after the query has been answered.
constexpr UINT destroyafterreply = WM_APP;
constexpr LONG_PTR commandresult = 0;
constexpr LONG_PTR closeresult = 0;

// Pairs of display text and pattern, each NUL-terminated; the literal's own NUL ends the list.
constexpr char wavefilter[] = "Wave (*.wav)\0*.wav\0All (*.*)\0*.*\0";
constexpr const char* waveextension = "wav";
constexpr DWORD openflags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
constexpr DWORD saveflags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

constexpr const char* deluseroption = "deluser";
constexpr const char* delinfooption = "delinfo";

void setresult(HWND dlg, LONG_PTR value) {
    SetWindowLongPtrA(dlg, DWLP_MSGRESULT, value);
}

void setbusy(HWND dlg, bool busy) {
    EnableWindow(GetDlgItem(dlg, IDC_START), busy ? FALSE : TRUE);
}

} // namespace

INT_PTR MainDialog::handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 1;
    case WM_CLOSE:
        onclose(dlg);
        DestroyWindow(dlg);
        setresult(dlg, closeresult);
        return 1;
    case WM_QUERYENDSESSION:
        onclose(dlg);
        setresult(dlg, endsessionallowed);
        sessionending = true;
        PostMessageA(dlg, destroyafterreply, 0, 0);
        return 1;
    case destroyafterreply:
        if (sessionending) {
            DestroyWindow(dlg);
            return 1;
        }
        break;
    case WM_INITDIALOG:
        oninitdialog(dlg, lparam);
        return 1;
    case WM_COMMAND:
        if (oncommand(dlg, wparam, lparam)) {
            setresult(dlg, commandresult);
            return 1;
        }
        break;
    case WM_POWERBROADCAST:
        if (wparam == powerquerysuspend) {
            setresult(dlg, grantsuspend);
            return 1;
        }
        break;
    default:
        break;
    }
    return DlgObject::handlemessage(dlg, msg, wparam, lparam);
}

void MainDialog::oninitdialog(HWND dlg, LPARAM param) {
    // A fixed-size dialog: no maximise and no size entries in the system menu.
    HMENU menu = GetSystemMenu(dlg, FALSE);
    if (menu) {
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    }
    HICON icon = LoadIconA(appptr->hinst, MAKEINTRESOURCEA(IDI_MAIN));
    if (icon) {
        SendMessageA(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    // Without the per-user key the dialog stays where its template centres it. The position is
    // only read: nothing in the program stores it.
    HKEY key =
        openappkey(HKEY_CURRENT_USER, appptr->company, appptr->internal, appptr->fileversion);
    if (key) {
        restorewndpos(dlg, reinterpret_cast<int*>(param), key);
        closeregkey(key);
    }
}

bool MainDialog::oncommand(HWND dlg, WPARAM wparam, LPARAM) {
    switch (LOWORD(wparam)) {
    case IDOK:
    case IDCANCEL:
        // Enter and Esc: nothing, so the dialog is not destroyed by the default handling.
        return true;
    case IDC_INPUT_BROWSE:
        browse(dlg, IDC_INPUT_NAME, false);
        return true;
    case IDC_OUTPUT_BROWSE:
        browse(dlg, IDC_OUTPUT_NAME, true);
        return true;
    case IDC_START:
        start(dlg);
        return true;
    case IDC_STATUS:
        convert(dlg);
        return true;
    case ID_ABOUT:
        AboutDialog::show(dlg);
        return true;
    case ID_EXIT:
        SendMessageA(dlg, WM_CLOSE, 0, 0);
        return true;
    case ID_HELP:
        openhelptext(dlg);
        return true;
    default:
        return false;
    }
}

void MainDialog::browse(HWND dlg, int field, bool save) {
    // The field's text is the dialog's initial file name.
    char name[namesize];
    name[0] = '\0';
    GetDlgItemTextA(dlg, field, name, namesize);
    OPENFILENAMEA ofn;
    initopenfilename(&ofn, dlg, name, namesize);
    ofn.Flags |= save ? saveflags : openflags;
    ofn.lpstrFilter = wavefilter;
    ofn.lpstrDefExt = waveextension;
    // Cancel and failure leave the field as it is, silently.
    DWORD error = 0;
    if (choosefilename(&ofn, &error, save) == filechosen) {
        SetDlgItemTextA(dlg, field, name);
    }
}

void MainDialog::start(HWND dlg) {
    char input[namesize] = "";
    char output[namesize] = "";
    GetDlgItemTextA(dlg, IDC_INPUT_NAME, input, namesize);
    GetDlgItemTextA(dlg, IDC_OUTPUT_NAME, output, namesize);
    if (input[0] == '\0' || output[0] == '\0') {
        appptr->msgboxid(dlg, IDS_NEED_FILE_NAMES, nullptr, MB_OK);
        return;
    }
    // The names as typed, case-sensitive: two spellings of one file pass here, and the writer
    // then cannot create the file that the reader holds open.
    if (lstrcmpA(input, output) == 0) {
        appptr->msgboxid(dlg, IDS_SAME_FILE_NAMES, nullptr, MB_OK);
        return;
    }
    setbusy(dlg, true);
    char* text = appptr->loadstr(IDS_PROCESSING);
    SetDlgItemTextA(dlg, IDC_STATUS, text ? text : "");
    delete[] text;
    // Posted, so the busy state is painted before the conversion blocks the thread.
    PostMessageA(dlg, WM_COMMAND, IDC_STATUS, 0);
}

void MainDialog::convert(HWND dlg) {
    // The names are read again: the posted command carries none, and the checks of start are
    // not repeated.
    char input[namesize] = "";
    char output[namesize] = "";
    GetDlgItemTextA(dlg, IDC_INPUT_NAME, input, namesize);
    GetDlgItemTextA(dlg, IDC_OUTPUT_NAME, output, namesize);
    Result result;
    WaveSource source;
    WaveWriter writer;
    if (source.open(result, input)) {
        writer.write(result, source, output);
        source.close(result);
    }
    // The report is shown while the dialog still looks busy.
    if (!result.ok()) {
        showresult(result, dlg);
    }
    setbusy(dlg, false);
    SetDlgItemTextA(dlg, IDC_STATUS, "");
}

void MainDialog::onclose(HWND dlg) {
    appptr->winhelp(dlg, HELP_QUIT, 0, nullptr);
    // Only a switch given alone acts: "/deluser=1" deletes nothing.
    if (appptr->cmdline.checkopt(deluseroption) == optalone) {
        delappkey(HKEY_CURRENT_USER, appptr->company, appptr->internal, appptr->fileversion);
    }
    if (appptr->cmdline.checkopt(delinfooption) == optalone) {
        delappkey(HKEY_LOCAL_MACHINE, appptr->company, appptr->internal, appptr->fileversion);
    }
}
