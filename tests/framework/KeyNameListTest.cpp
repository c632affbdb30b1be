// The sub-key names collected before a deletion, from a fake enumeration.
#include "KeyNameList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Answers names[i], or the result in answers[i] when it is non-zero.
struct FakeLevel {
    std::vector<std::string> names;
    std::vector<long> answers;
};

long enumeratefake(void* context, unsigned index, char* slot, std::size_t capacity) {
    const FakeLevel& level = *static_cast<FakeLevel*>(context);
    if (index < level.answers.size() && level.answers[index] != enumsuccess) {
        return level.answers[index];
    }
    const std::string& name = level.names.at(index);
    if (name.size() + 1 > capacity) {
        return 0xEA; // ERROR_MORE_DATA
    }
    std::memcpy(slot, name.c_str(), name.size() + 1);
    return enumsuccess;
}

} // namespace

TEST(KeyNameList, CollectsTheNamesStillThere) {
    constexpr long ok = enumsuccess;
    constexpr long gone = enumnomore;
    struct Case {
        const char* what;
        FakeLevel level;
        unsigned count;
        std::size_t maxlen;
        bool collected;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"every counted name", {{"a", "bcd", "ef"}, {}}, 3, 3, true, {"a", "bcd", "ef"}},
        {"a name length without room for its terminator", {{"a"}, {}}, 1, SIZE_MAX, false, {}},
        {"nothing counted", {{}, {}}, 0, 0, true, {}},
        // Sub-keys removed after they were counted: their slots are never filled nor read.
        {"some removed", {{"a", "", "c", ""}, {ok, gone, ok, gone}}, 4, 1, true, {"a", "c"}},
        {"all removed", {{}, {gone, gone}}, 2, 5, true, {}},
        {"access denied", {{"a", ""}, {ok, 5}}, 2, 1, false, {}},
        {"a longer name added since", {{"abcdef"}, {}}, 1, 2, false, {}},
    };
    KeyNameList list; // reused: every collection starts afresh
    for (Case c : cases) {
        EXPECT_EQ(list.collect(c.count, c.maxlen, enumeratefake, &c.level), c.collected) << c.what;
        if (c.collected) {
            std::vector<std::string> names;
            for (unsigned i = 0; i < list.size(); ++i) {
                names.emplace_back(list.name(i));
            }
            EXPECT_EQ(names, c.names) << c.what;
        }
    }
}
