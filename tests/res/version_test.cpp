// Version block 1: its fixed part, its strings in order, and its translation.
#include "tests/res/resource_file.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct VersionString {
    const char* name;
    const char* value;
};

const VersionString kStrings[] = {
    {"CompanyName", "Velomark"},
    {"FileDescription", "Tandemix Configuration Utility"},
    {"FileVersion", "33159.0"},
    {"InternalName", "Tandemix"},
    {"LegalCopyright", "Copyright (C) Velomark"},
    {"LegalTrademarks", ""},
    {"OriginalFilename", "Tandemix.exe"},
    {"ProductName", "Tandemix"},
    {"ProductVersion", "1.00"},
};

class VersionInfo : public ::testing::Test {
  protected:
    void SetUp() override {
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(TandemixPath(), &handle);
        ASSERT_NE(0u, size) << TandemixPath();
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(TandemixPath(), 0, size, block.data()));
    }
    std::vector<unsigned char> block;
};

TEST_F(VersionInfo, FixedPartHasVersion2740ForAWin32Application) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(UINT(sizeof(VS_FIXEDFILEINFO)), length);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x00010000u, fixed->dwStrucVersion);
    EXPECT_EQ(0x00020007u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00040000u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00020007u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00040000u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(DWORD(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(4u, fixed->dwFileOS);
    EXPECT_EQ(DWORD(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(1u, fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);
    EXPECT_EQ(0u, fixed->dwFileDateMS);
    EXPECT_EQ(0u, fixed->dwFileDateLS);
}

TEST_F(VersionInfo, TranslationIsEnglishUnitedStatesUnicode) {
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(0x04B0, translation[1]);
}

TEST_F(VersionInfo, EachStringHasItsValue) {
    for (const VersionString& expected : kStrings) {
        std::string query = std::string("\\StringFileInfo\\040904B0\\") + expected.name;
        char* value = nullptr;
        UINT length = 0;
        BOOL found =
            VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length);
        if (expected.value[0] == '\0') {
            // An empty value may be reported as missing or with no characters.
            EXPECT_TRUE(!found || length <= 1 || value[0] == '\0') << expected.name;
            continue;
        }
        ASSERT_TRUE(found) << expected.name;
        EXPECT_STREQ(expected.value, value) << expected.name;
    }
}

// One node of the raw block: length, value length, type, key, then its value and children,
// each starting on a 32-bit boundary.
struct VersionNode {
    DWORD start;
    DWORD end;
    WORD valueLength;
    WORD type;
    std::string key;
    DWORD value;    // offset of the value
    DWORD children; // offset of the first child
};

VersionNode ReadNode(ResourceReader reader, DWORD start) {
    reader.offset = start;
    VersionNode node = {};
    node.start = start;
    node.end = start + ReadWord(reader);
    node.valueLength = ReadWord(reader);
    node.type = ReadWord(reader);
    node.key = ReadWideString(reader);
    SkipToDword(reader);
    node.value = reader.offset;
    // A text value counts characters, a binary one bytes.
    reader.offset += node.type == 1 ? 2u * node.valueLength : node.valueLength;
    SkipToDword(reader);
    node.children = reader.offset;
    return node;
}

std::vector<VersionNode> ChildrenOf(const ResourceReader& reader, const VersionNode& parent) {
    std::vector<VersionNode> children;
    DWORD at = parent.children;
    while (at < parent.end && at < reader.size && children.size() < 32) {
        VersionNode child = ReadNode(reader, at);
        if (child.end <= at) {
            break;
        }
        children.push_back(child);
        at = (child.end + 3) & ~3u;
    }
    return children;
}

std::vector<std::string> KeysOf(const std::vector<VersionNode>& nodes) {
    std::vector<std::string> keys;
    for (const VersionNode& node : nodes) {
        keys.push_back(node.key);
    }
    return keys;
}

TEST(VersionBlock, StringsStandInTheirOrderInOneEnglishTable) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    RawResource raw = FindRawResource(MAKEINTRESOURCEA(16), 1);
    ASSERT_NE(nullptr, raw.bytes);
    ResourceReader reader = StartReading(raw);
    VersionNode root = ReadNode(reader, 0);
    EXPECT_EQ("VS_VERSION_INFO", root.key);
    EXPECT_EQ(sizeof(VS_FIXEDFILEINFO), root.valueLength);
    EXPECT_EQ(raw.size, root.end);

    std::vector<VersionNode> sections = ChildrenOf(reader, root);
    ASSERT_EQ((std::vector<std::string>{"StringFileInfo", "VarFileInfo"}), KeysOf(sections));
    std::vector<VersionNode> tables = ChildrenOf(reader, sections[0]);
    ASSERT_EQ(std::vector<std::string>{"040904B0"}, KeysOf(tables));

    std::vector<VersionNode> strings = ChildrenOf(reader, tables[0]);
    std::vector<std::string> expectedNames;
    for (const VersionString& expected : kStrings) {
        expectedNames.push_back(expected.name);
    }
    ASSERT_EQ(expectedNames, KeysOf(strings));
    for (size_t i = 0; i < strings.size(); ++i) {
        EXPECT_EQ(1, strings[i].type) << strings[i].key << " is text";
        ResourceReader value = reader;
        value.offset = strings[i].value;
        std::string text = strings[i].valueLength == 0 ? "" : ReadWideString(value);
        EXPECT_EQ(kStrings[i].value, text) << strings[i].key;
    }

    std::vector<VersionNode> variables = ChildrenOf(reader, sections[1]);
    ASSERT_EQ(std::vector<std::string>{"Translation"}, KeysOf(variables));
    EXPECT_EQ(4, variables[0].valueLength);
    ResourceReader translation = reader;
    translation.offset = variables[0].value;
    EXPECT_EQ(0x0409, ReadWord(translation));
    EXPECT_EQ(0x04B0, ReadWord(translation));
    EXPECT_FALSE(translation.overrun);
}

} // namespace
