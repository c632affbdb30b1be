// Key path composition and the collection of sub-key names before deletion.
#include "KeyNameList.h"
#include "RegPath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(RegPath, JoinsComponents) {
    struct Case {
        bool prefix;
        const char* c1;
        const char* c2;
        const char* c3;
        const char* c4;
        const char* path;
    };
    const Case cases[] = {
        {true, "Norvex", "Conv", "1.0", nullptr, "Software\\Norvex\\Conv\\1.0"},
        {true, "Norvex", "", "1.0", nullptr, "Software\\Norvex\\1.0"},
        {true, "Norvex", "Conv", "", "", "Software\\Norvex\\Conv"},
        {true, "", "Conv", nullptr, nullptr, "Software\\\\Conv"},
        {false, "A", "B", "C", "D", "A\\B\\C\\D"},
        {false, "A", nullptr, nullptr, "D", "A\\D"},
        {true, "\x95\x5C", nullptr, nullptr, nullptr, "Software\\\x95\x5C"},
    };
    for (const Case& c : cases) {
        char buf[regpathsize];
        ASSERT_TRUE(makeregpath(buf, sizeof buf, c.prefix, c.c1, c.c2, c.c3, c.c4));
        EXPECT_STREQ(buf, c.path);
    }
}

TEST(RegPath, RefusesPathsThatDoNotFit) {
    char buf[regpathsize + 8];
    std::memset(buf, '#', sizeof buf);
    // "Software\" is 9 bytes: 250 more plus the terminator fill 260 exactly.
    const std::string fits(regpathsize - 10, 'c');
    ASSERT_TRUE(makeregpath(buf, regpathsize, true, fits.c_str()));
    EXPECT_EQ(std::strlen(buf), regpathsize - 1);
    const std::string over(regpathsize - 9, 'c');
    EXPECT_FALSE(makeregpath(buf, regpathsize, true, over.c_str()));
    EXPECT_STREQ(buf, "");
    EXPECT_FALSE(makeregpath(buf, regpathsize, true, "a", "b", "c", fits.c_str()));
    EXPECT_STREQ(buf, "");
    EXPECT_FALSE(makeregpath(buf, regpathsize, true, nullptr));
    for (std::size_t i = regpathsize; i < sizeof buf; ++i) {
        EXPECT_EQ(buf[i], '#');
    }
}

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

std::vector<std::string> collected(const KeyNameList& list) {
    std::vector<std::string> names;
    for (unsigned i = 0; i < list.size(); ++i) {
        names.emplace_back(list.name(i));
    }
    return names;
}

} // namespace

TEST(KeyNameList, CollectsEveryCountedName) {
    FakeLevel level{{"a", "bcd", "ef"}, {}};
    KeyNameList list;
    ASSERT_TRUE(list.collect(3, 3, enumeratefake, &level));
    EXPECT_EQ(collected(list), (std::vector<std::string>{"a", "bcd", "ef"}));
    ASSERT_TRUE(list.collect(0, 0, enumeratefake, &level));
    EXPECT_EQ(list.size(), 0u);
}

TEST(KeyNameList, IndexesWithoutNamesFillNoSlot) {
    // Sub-keys removed after they were counted: the unfilled slots are never read.
    FakeLevel level{{"a", "", "c", ""}, {enumsuccess, enumnomore, enumsuccess, enumnomore}};
    KeyNameList list;
    ASSERT_TRUE(list.collect(4, 1, enumeratefake, &level));
    EXPECT_EQ(collected(list), (std::vector<std::string>{"a", "c"}));
    FakeLevel gone{{}, {enumnomore, enumnomore}};
    ASSERT_TRUE(list.collect(2, 5, enumeratefake, &gone));
    EXPECT_EQ(list.size(), 0u);
}

TEST(KeyNameList, OtherFailuresEndTheCollection) {
    FakeLevel denied{{"a", ""}, {enumsuccess, 5}};
    KeyNameList list;
    EXPECT_FALSE(list.collect(2, 1, enumeratefake, &denied));
    // A name added since the count that is longer than the longest counted one.
    FakeLevel longer{{"abcdef"}, {}};
    EXPECT_FALSE(list.collect(1, 2, enumeratefake, &longer));
}
