#pragma once
#include <string>
#include <vector>

// libvlc 3 reads some options only from the library instance (and the
// players made on it), never from a media: given to libvlc_media_add_option
// they do nothing. An item's options of those names reach libvlc as
// libvlc_new arguments instead ("audio-visual=visual" as
// "--audio-visual=visual"), in the order the item gave them. Those that ask
// for no visualisation at all are left out: libvlc's default is none, and
// its visual filter given no effect only fails ("unknown visual effect:
// none", "cannot add user visualization").
std::vector<std::string> InstanceArgumentsFor(const std::vector<std::string>& itemOptions);

// Whether an option (with or without its "=value" and a "no-" in front) is
// one of them.
bool IsInstanceOption(const std::string& option);

// Whether the item's options ask for its title over the picture at its
// start ("video-title-show"; the last of it and "no-video-title-show"
// counts). libvlc 3's media player keeps this switch itself, untouched by
// media options and instance arguments alike: only
// libvlc_media_player_set_video_title_display sets it.
bool ShowsTitle(const std::vector<std::string>& itemOptions);
