// Tandemix.exe carries exactly its own resources, each once and in language 1033.
#include "tests/res/resource_file.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct ListedType {
    WORD type;
    std::vector<WORD> names;
};

// Types in the order of the file's resource directory, which sorts them by number.
const ListedType kListed[] = {
    {3, {1, 2, 3, 4}},       // RT_ICON: the four images of the icon group
    {4, {1002}},             // RT_MENU
    {5, {1500, 1600, 1610}}, // RT_DIALOG
    {9, {1051}},             // RT_ACCELERATOR
    {14, {1001}},            // RT_GROUP_ICON
    {16, {1}},               // RT_VERSION
};

// A name or type given as a string is recorded as 0xFFFF, which no listed id uses.
WORD IdOf(LPCSTR name) {
    return IS_INTRESOURCE(name) ? static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)) : 0xFFFF;
}

BOOL CALLBACK AddType(HMODULE, LPSTR type, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(IdOf(type));
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(IdOf(name));
    return TRUE;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

TEST(ResourceList, TheExeCarriesExactlyTheListedTypes) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    std::vector<WORD> expected;
    for (const ListedType& listed : kListed) {
        expected.push_back(listed.type);
    }
    std::vector<WORD> types;
    EnumResourceTypesA(TandemixModule(), AddType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_EQ(expected, types);
}

TEST(ResourceList, EachTypeCarriesExactlyTheListedNames) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    for (const ListedType& listed : kListed) {
        std::vector<WORD> names;
        EnumResourceNamesA(TandemixModule(), MAKEINTRESOURCEA(listed.type), AddName,
                           reinterpret_cast<LONG_PTR>(&names));
        EXPECT_EQ(listed.names, names) << "type " << listed.type;
    }
}

TEST(ResourceList, EveryResourceIsInEnglishUnitedStatesOnly) {
    ASSERT_NE(nullptr, TandemixModule()) << TandemixPath();
    const std::vector<WORD> english = {1033};
    for (const ListedType& listed : kListed) {
        for (WORD name : listed.names) {
            std::vector<WORD> languages;
            EnumResourceLanguagesA(TandemixModule(), MAKEINTRESOURCEA(listed.type),
                                   MAKEINTRESOURCEA(name), AddLanguage,
                                   reinterpret_cast<LONG_PTR>(&languages));
            EXPECT_EQ(english, languages) << "type " << listed.type << ", name " << name;
        }
    }
}

} // namespace
