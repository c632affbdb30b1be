// Deleting settings keys in Wine's real registry (scratch keys under HKCU): a tree bottom up,
// then its parents up to the first that holds anything.
#include "Registry.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* company = "Software\\TesselTestCo";
constexpr const char* conv = "Software\\TesselTestCo\\Conv";
constexpr const char* appkey = "Software\\TesselTestCo\\Conv\\1.0";

void makekey(const std::string& path, const char* value = "v") {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key);
    RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>("v"), 2);
    RegCloseKey(key);
}

bool exists(const char* path) {
    HKEY key = openregkey(HKEY_CURRENT_USER, path);
    return key != nullptr && closeregkey(key) == ERROR_SUCCESS;
}

void clean() {
    for (const char* path : {company, "TesselTestRoot"}) {
        RegDeleteTreeA(HKEY_CURRENT_USER, path);
    }
}

} // namespace

TEST(Registry, DeletesATreeBottomUpThenTheParentsUpToTheFirstThatHoldsAnything) {
    clean();
    // Nested levels, several keys on one level, values, and a Japanese name whose second byte
    // is "\"; beside the tree another version's key.
    for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d", "\\a\\\x95\x5C\x8E\xA6"}) {
        makekey(appkey + std::string(sub));
    }
    makekey(std::string(conv) + "\\2.0");
    // "Software" is never deleted, so not every component is: false.
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, "TesselTestCo", "Conv", "1.0"));
    EXPECT_FALSE(exists(appkey));
    EXPECT_TRUE(exists(conv));                           // it holds the other version
    EXPECT_FALSE(delregtree(HKEY_CURRENT_USER, appkey)); // a missing key is a failure
    // The other version: its empty parent goes, the company key with a value stays.
    makekey(company, "kept");
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, "TesselTestCo", "Conv", "2.0"));
    EXPECT_FALSE(exists(conv));
    EXPECT_TRUE(exists(company));
    // Every component deleted: true. A path that does not fit deletes nothing.
    makekey("TesselTestRoot\\A\\B");
    EXPECT_TRUE(delregkey(HKEY_CURRENT_USER, "TesselTestRoot\\A\\B"));
    EXPECT_FALSE(exists("TesselTestRoot"));
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, std::string(regpathsize, 'c').c_str()));
    clean();
}
