// The main dialog: input and output names with their browse buttons, the start button, the
// status text and the menu. A conversion runs on this thread while a self-posted command is
// processed, so the status text is painted before the work blocks the thread.
#ifndef SONORM_MAINDIALOG_H
#define SONORM_MAINDIALOG_H

#include "DlgObject.h"

class MainDialog : public DlgObject {
public:
    ~MainDialog() override = default;
    INT_PTR handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    // param: the address of the start command, which a maximized saved placement may change.
    void oninitdialog(HWND dlg, LPARAM param);
    // True when the command was handled.
    bool oncommand(HWND dlg, WPARAM wparam, LPARAM lparam);
    // Tells the help viewer to quit and deletes the settings keys that the options ask for.
    void onclose(HWND dlg);
    // Lets the user pick the name for field with the open (save false) or save dialog.
    void browse(HWND dlg, int field, bool save);
    // Checks both names, marks the dialog busy and posts the convert command.
    void start(HWND dlg);
    // Runs one conversion with the current names and reports a failure.
    void convert(HWND dlg);

    // Set once the end-of-session query is answered: the self-posted message may then destroy
    // the window without the close actions, which have run already.
    bool sessionending = false;
};

#endif
