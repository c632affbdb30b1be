// Owners of Win32 handles in the style of wil's unique_* types: each closes its handle exactly
// once, on every way out of its scope. For the _win32 sources only.
#ifndef SONORM_UNIQUEHANDLE_H
#define SONORM_UNIQUEHANDLE_H

#include <windows.h>

template <typename Traits> class UniqueAny {
public:
    using Type = typename Traits::Type;

    UniqueAny() = default;
    explicit UniqueAny(Type value) : held(value) {}
    ~UniqueAny() { reset(); }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : held(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        reset(other.release());
        return *this;
    }

    Type get() const { return held; }
    explicit operator bool() const { return held != Traits::invalid(); }
    Type release() {
        Type value = held;
        held = Traits::invalid();
        return value;
    }
    void reset(Type value = Traits::invalid()) {
        if (held != Traits::invalid()) {
            Traits::close(held);
        }
        held = value;
    }
    // Where a function that opens stores the new handle; the old one is closed first.
    Type* put() {
        reset();
        return &held;
    }

private:
    Type held = Traits::invalid();
};

// Files and the like: INVALID_HANDLE_VALUE when none.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};
// Processes, threads, events: null when none.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { FindClose(h); }
};
struct KeyHandleTraits {
    using Type = HKEY;
    static Type invalid() { return nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type invalid() { return nullptr; }
    static void close(Type h) { LocalFree(h); }
};

using UniqueFile = UniqueAny<FileHandleTraits>;
using UniqueHandle = UniqueAny<KernelHandleTraits>;
using UniqueFind = UniqueAny<FindHandleTraits>;
using UniqueKey = UniqueAny<KeyHandleTraits>;
using UniqueLocal = UniqueAny<LocalMemoryTraits>;

#endif
