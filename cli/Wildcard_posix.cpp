#include "Wildcard.h"

std::vector<std::string> expandwildcards(const std::vector<std::string>& operands) {
    return operands;
}
