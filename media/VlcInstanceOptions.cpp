#include "media/VlcInstanceOptions.h"

#include <cstring>

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

}  // namespace

bool IsInstanceOption(const std::string& option) {
  std::string name = option.substr(0, option.find('='));
  if (name.compare(0, 3, "no-") == 0) name.erase(0, 3);
  for (const char* known : kInstanceOptionNames)
    if (name == known) return true;
  return false;
}

std::vector<std::string> InstanceArgumentsFor(const std::vector<std::string>& itemOptions) {
  std::vector<std::string> arguments;
  for (const std::string& option : itemOptions)
    if (IsInstanceOption(option)) arguments.push_back("--" + option);
  return arguments;
}
