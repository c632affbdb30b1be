// The sub-key names collected before a deletion, from a fake enumeration.
#include "KeyNameList.h"

#include <gtest/gtest.h>

#include <cstring>

using Names = std::vector<std::string>;
const std::string gone = "(removed since counted)", denied = "(access denied)";

static long enumeratefake(void* context, unsigned index, char* slot, std::size_t capacity) {
    const std::string& name = static_cast<const Names*>(context)->at(index);
    const long result = name == gone              ? enumnomore
                        : name == denied          ? 5
                        : name.size() >= capacity ? 0xEA // ERROR_MORE_DATA
                                                  : enumsuccess;
    if (result == enumsuccess) {
        std::memcpy(slot, name.c_str(), name.size() + 1);
    }
    return result;
}

TEST(KeyNameList, CollectsTheNamesStillThere) {
    // The level, the count and longest name length it tells, then the result and the names.
    const std::tuple<Names, unsigned, std::size_t, bool, Names> cases[] = {
        {{"a", "bcd", "ef"}, 3, 3, true, {"a", "bcd", "ef"}},
        {{"a"}, 1, static_cast<std::size_t>(-1), false, {}}, // no room for a terminator
        {{}, 0, 0, true, {}},
        {{"a", gone, "c", gone}, 4, 1, true, {"a", "c"}}, // no slot filled nor read
        {{"a", denied}, 2, 1, false, {}},
        {{"abc"}, 1, 2, false, {}}, // a name longer than told, added since
    };
    KeyNameList list; // reused: every collection starts afresh
    for (auto [level, count, maxlen, collected, expected] : cases) {
        EXPECT_EQ(list.collect(count, maxlen, enumeratefake, &level), collected) << count;
        Names names;
        for (unsigned i = 0; collected && i < list.size(); ++i) {
            names.emplace_back(list.name(i));
        }
        EXPECT_EQ(names, expected) << count;
    }
}
