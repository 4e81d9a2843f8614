// The dialog's decision rules, case by case.
#include <gtest/gtest.h>

#include "settings_dialog/DialogRules.h"

namespace {

TEST(DialogRules, UrlEditRule) {
  struct Case {
    const wchar_t* text;
    bool renameDrops;
    bool save, addMedia, nameEdit;
  };
  const Case cases[] = {
      {L"", false, false, false, false},
      {L"", true, false, false, false},
      {L"http://example.com/a.mp3", false, false, true, false},
      {L"HTTP://EXAMPLE.COM", false, false, true, false},
      {L"http://example.com", true, false, true, true},
      {L"https://example.com/live", false, false, true, false},
      {L"HtTpS://example.com/live", true, false, true, true},
      {L"ftp://example.com/a.mp3", false, true, false, false},
      {L"http:/example.com", false, true, false, false},
      {L"https:", false, true, false, false},
      {L"My Holiday", true, true, false, false},
      {L" http://example.com", false, true, false, false},
  };
  for (const Case& c : cases) {
    UrlEditButtons b = UrlEditRule(c.text, c.renameDrops);
    EXPECT_EQ(c.save, b.save) << c.text;
    EXPECT_EQ(c.addMedia, b.addMedia) << c.text;
    EXPECT_EQ(c.nameEdit, b.nameEdit) << c.text;
  }
}

TEST(DialogRules, SliderRange) {
  struct Case {
    int value;
    int maximum;
  };
  const Case cases[] = {{5, 60}, {30, 60}, {60, 60}, {61, 61}, {3600, 3600}};
  for (const Case& c : cases) EXPECT_EQ(c.maximum, SliderMaximumFor(c.value)) << c.value;
  EXPECT_EQ(5, kSliderMinimum);
}

TEST(DialogRules, CatalogNames) {
  struct Case {
    const wchar_t* name;
    bool accepted;
  };
  const Case cases[] = {
      {L"My Holiday", true},   {L"2024.summer", true}, {L"Ünïcödé Καλό 日本", true}, {L"console", true},
      {L"COM10", true},        {L"LPT0", true},        {L"", false},                  {L"..\\evil", false},
      {L"../evil", false},     {L"a\\b", false},       {L"a/b", false},               {L"C:evil", false},
      {L"what?", false},       {L"star*", false},      {L"<x>", false},               {L"pipe|", false},
      {L"quote\"", false},     {L"tab\t", false},      {L"..", false},                {L".", false},
      {L"ends.", false},       {L"ends ", false},      {L"CON", false},               {L"con", false},
      {L"Con.backup", false},  {L"NUL ", false},       {L"aux", false},               {L"prn.x", false},
      {L"COM1", false},        {L"lpt9", false},       {L"CONIN$", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.accepted, CatalogNameProblem(c.name).empty()) << c.name;
}

TEST(DialogRules, SplitFirstLine) {
  struct Case {
    const char* text;
    const char* line;
    const char* rest;
  };
  const Case cases[] = {
      {"http://a/b", "http://a/b", "http://a/b"},
      {"http://a/b\nsecond", "http://a/b", "second"},
      {"http://a/b\r\nsecond", "http://a/b", "second"},
      {"\nhttp://a/b", "\nhttp://a/b", "\nhttp://a/b"},
      {"", "", ""},
      {"x\r\n", "x", ""},
  };
  for (const Case& c : cases) {
    std::string rest;
    EXPECT_EQ(c.line, SplitFirstLine(c.text, &rest)) << c.text;
    EXPECT_EQ(c.rest, rest) << c.text;
  }
}

}  // namespace
