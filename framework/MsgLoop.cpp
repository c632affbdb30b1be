#include "MsgLoop.h"

#include "App.h"
#include "WndObject.h"

namespace {

// Sends code to every object of the list, front to back.
void notifyall(const std::list<WndObject*>& objects, int code) {
    for (WndObject* object : objects) {
        object->notify(code, nullptr);
    }
}

void removefirst(std::list<WndObject*>& objects, WndObject* object) {
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        if (*it == object) {
            objects.erase(it);
            return;
        }
    }
}

} // namespace

MsgLoop::MsgLoop() : threadid(GetCurrentThreadId()), hook(nullptr) {
    // Registered before the hook exists, so the hook always finds this thread's loop.
    HINSTANCE module = nullptr;
    if (appptr != nullptr) {
        appptr->addloop(this);
        module = appptr->hinst;
    }
    hook = SetWindowsHookExA(WH_MSGFILTER, msgfilterhook, module, threadid);
}

MsgLoop::~MsgLoop() {
    UnhookWindowsHookEx(hook);
    if (appptr != nullptr) {
        appptr->removeloop(this);
    }
}

int MsgLoop::run(int) {
    return 0;
}

int MsgLoop::messageloop() {
    MSG msg{};
    // -1 (a failed call) is handled like a message; only WM_QUIT ends the loop.
    while (GetMessageA(&msg, nullptr, 0, 0) != 0) {
        if (!pretranslatemessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

bool MsgLoop::pretranslatemessage(MSG* msg) {
    // Offering a message can end a dialog and unlist it: walk a copy, and hold a reference on
    // every object until the offer is over.
    const std::list<WndObject*> snapshot(modelesslist);
    notifyall(snapshot, WndObject::addref);
    bool consumed = false;
    for (WndObject* object : snapshot) {
        if (object->notify(WndObject::pretranslate, msg) == WndObject::handled) {
            consumed = true;
            break;
        }
    }
    notifyall(snapshot, WndObject::release);
    return consumed;
}

void MsgLoop::addmodeless(WndObject* object) {
    modelesslist.push_front(object);
}

void MsgLoop::removemodeless(WndObject* object) {
    removefirst(modelesslist, object);
}

void MsgLoop::addfilter(WndObject* object) {
    filterlist.push_front(object);
}

void MsgLoop::removefilter(WndObject* object) {
    removefirst(filterlist, object);
}

LRESULT MsgLoop::filtermessage(int code, WPARAM wparam, LPARAM lparam) {
    if (code < 0) {
        return CallNextHookEx(hook, code, wparam, lparam);
    }
    if (code > 0) {
        return 0;
    }
    // MSGF_DIALOGBOX: offered to the filter clients only, never passed on.
    const std::list<WndObject*> snapshot(filterlist);
    notifyall(snapshot, WndObject::addref);
    LRESULT result = 0;
    for (WndObject* object : snapshot) {
        const int answer = object->notify(WndObject::msgfilter, reinterpret_cast<void*>(lparam));
        if (answer != 0) {
            result = answer;
            break;
        }
    }
    notifyall(snapshot, WndObject::release);
    return result;
}

LRESULT CALLBACK msgfilterhook(int code, WPARAM wparam, LPARAM lparam) {
    if (code > 0) {
        return 0;
    }
    try {
        MsgLoop* loop = appptr != nullptr ? appptr->findloop(GetCurrentThreadId()) : nullptr;
        if (loop == nullptr) {
            return CallNextHookEx(nullptr, code, wparam, lparam);
        }
        return loop->filtermessage(code, wparam, lparam);
    } catch (...) {
        return 0;
    }
}
