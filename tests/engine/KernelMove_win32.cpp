#include "KernelMove.h"

// Data goes through ReadFile and WriteFile only: there is nothing to script.
KernelMove::KernelMove(const Script&) {}

KernelMove::~KernelMove() = default;

bool KernelMove::scripted() {
    return false;
}

std::vector<std::uint32_t> KernelMove::asked() {
    return {};
}
