#include "media/VlcInstanceOptions.h"

namespace {

// The options libvlc 3 takes from the instance: the audio output's filters
// (the visualisation is one) and the video output's wallpaper mode are built
// from the player and the instance.
// A program that needs another such option adds its name here; the wrapper
// then keeps one instance for each set of these options in use.
const char* const kInstanceOptionNames[] = {
    "audio-visual",
    "effect-list",
    "video-wallpaper",
};

std::string NameOf(const std::string& option) { return option.substr(0, option.find('=')); }

// The value after "=", empty without one.
std::string ValueOf(const std::string& option) {
  size_t equals = option.find('=');
  return equals == std::string::npos ? std::string() : option.substr(equals + 1);
}

// The value of the item's last option of that name, empty without one.
std::string LastValue(const std::vector<std::string>& itemOptions, const char* name) {
  std::string value;
  for (const std::string& option : itemOptions)
    if (NameOf(option) == name) value = ValueOf(option);
  return value;
}

// "effect-list=none", "audio-visual=none", and the visual filter without an
// effect to draw.
bool AsksForNoVisualisation(const std::string& option, const std::string& effects) {
  const std::string name = NameOf(option), value = ValueOf(option);
  if (name == "effect-list") return value == "none";
  if (name == "audio-visual") return value == "none" || (value == "visual" && effects == "none");
  return false;
}

}  // namespace

bool IsInstanceOption(const std::string& option) {
  std::string name = NameOf(option);
  if (name.compare(0, 3, "no-") == 0) name.erase(0, 3);
  for (const char* known : kInstanceOptionNames)
    if (name == known) return true;
  return false;
}

std::vector<std::string> InstanceArgumentsFor(const std::vector<std::string>& itemOptions) {
  const std::string effects = LastValue(itemOptions, "effect-list");
  std::vector<std::string> arguments;
  for (const std::string& option : itemOptions)
    if (IsInstanceOption(option) && !AsksForNoVisualisation(option, effects)) arguments.push_back("--" + option);
  return arguments;
}

bool ShowsTitle(const std::vector<std::string>& itemOptions) {
  bool shown = false;
  for (const std::string& option : itemOptions) {
    if (option == "video-title-show") shown = true;
    if (option == "no-video-title-show") shown = false;
  }
  return shown;
}
