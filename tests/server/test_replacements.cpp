// Replacement variables in registry data.
#include <gtest/gtest.h>

#include "server/replacements.h"

namespace {

zorvel::Replacements Sample() {
    zorvel::Replacements replacements;
    replacements.Add(L"Module", L"C:\\dir\\Zorvel.dll");
    replacements.Add(L"APPID", L"{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}");
    replacements.Add(L"A234567890123456789012345678901", L"thirty-one");  // 31 characters
    return replacements;
}

std::wstring Expanded(const zorvel::Replacements& replacements, const std::wstring& text) {
    std::wstring out = L"untouched";
    EXPECT_EQ(S_OK, replacements.Expand(text, &out)) << "text " << testing::PrintToString(text);
    return out;
}

TEST(Replacements, NamesMatchWithoutRegardToCase) {
    const zorvel::Replacements replacements = Sample();
    EXPECT_EQ(L"C:\\dir\\Zorvel.dll, 1", Expanded(replacements, L"%MODULE%, 1"));
    EXPECT_EQ(L"C:\\dir\\Zorvel.dll", Expanded(replacements, L"%module%"));
    EXPECT_EQ(L"x{6E207CF5-18FE-4DCA-9F80-AD3A91FF1A8D}y", Expanded(replacements, L"x%AppId%y"));
}

TEST(Replacements, DoublePercentIsOnePercent) {
    const zorvel::Replacements replacements = Sample();
    EXPECT_EQ(L"100%", Expanded(replacements, L"100%%"));
    EXPECT_EQ(L"%MODULE%", Expanded(replacements, L"%%MODULE%%"));
    EXPECT_EQ(L"%C:\\dir\\Zorvel.dll", Expanded(replacements, L"%%%Module%"));
}

TEST(Replacements, TextWithoutPlaceholdersIsCopied) {
    const zorvel::Replacements replacements = Sample();
    EXPECT_EQ(L"", Expanded(replacements, L""));
    EXPECT_EQ(L"apartment", Expanded(replacements, L"apartment"));
}

TEST(Replacements, ValuesAreNotExpandedAgain) {
    zorvel::Replacements replacements;
    replacements.Add(L"Outer", L"%Inner%");
    replacements.Add(L"Inner", L"no");
    EXPECT_EQ(L"%Inner%", Expanded(replacements, L"%Outer%"));
}

TEST(Replacements, LaterAddOfTheSameNameWins) {
    zorvel::Replacements replacements = Sample();
    replacements.Add(L"module", L"D:\\other.dll");
    EXPECT_EQ(L"D:\\other.dll", Expanded(replacements, L"%Module%"));
}

TEST(Replacements, NamesUpToThirtyOneCharacters) {
    const zorvel::Replacements replacements = Sample();
    EXPECT_EQ(L"thirty-one", Expanded(replacements, L"%A234567890123456789012345678901%"));

    zorvel::Replacements longer;
    longer.Add(L"A2345678901234567890123456789012", L"thirty-two");
    std::wstring out = L"untouched";
    EXPECT_EQ(E_FAIL, longer.Expand(L"%A2345678901234567890123456789012%", &out));
    EXPECT_EQ(L"untouched", out);
}

TEST(Replacements, BadPlaceholdersFail) {
    const zorvel::Replacements replacements = Sample();
    for (const wchar_t* text : {L"%Module", L"abc%", L"%Unknown%", L"%Module% and %Nothing%", L"%Modul%"}) {
        std::wstring out = L"untouched";
        EXPECT_EQ(E_FAIL, replacements.Expand(text, &out)) << testing::PrintToString(std::wstring(text));
        EXPECT_EQ(L"untouched", out);
    }
}

}  // namespace
