#pragma once
#include <string>

#include "engine/Settings.h"

// The settings dialog's small decision rules, apart from the controls so they
// can be checked case by case.

// An address the show plays as web media: "http://" or "https://", any case.
bool IsWebAddress(const std::wstring& text);

// What the text of the URL edit enables.
struct UrlEditButtons {
  bool save = false;      // "Save": the text names a catalog
  bool addMedia = false;  // "Add Media": the text is a web address
  bool nameEdit = false;  // the display-name edit is enabled (never disabled by the rule)
};
UrlEditButtons UrlEditRule(const std::wstring& text, bool renameDrops);

// The picture-interval slider runs from the shortest interval the show keeps
// to up to a minute. A longer interval set by hand widens it to that
// interval, so that the slider can show it and OK keeps it.
constexpr int kSliderMinimum = kMinimumPictureInterval;
constexpr int kSliderMaximum = 60;
int SliderMaximumFor(int seconds);

// Why a typed catalog name can't be a file name under "MyCatalogs\": empty
// when it can.
std::wstring CatalogNameProblem(const std::wstring& name);

// The first line of a dropped text: up to a line feed after the first
// character (the text whole when there is none, or it comes first), without a
// carriage return before the line feed.
std::string SplitFirstLine(const std::string& text, std::string* rest = nullptr);
