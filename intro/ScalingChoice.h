// The way full-screen pictures fill the monitor: switched with F2 and
// remembered for the next start in the user's settings file, a few
// "name=value" lines.
#pragma once

#include <optional>
#include <string>

#include "platform/Display.h"

namespace corvane {

// $XDG_CONFIG_HOME/corvane/settings, else ~/.config/corvane/settings (each
// only when the variable is an absolute path); empty when neither is known.
std::string SettingsFilePath();

// The scaling the settings file at `path` remembers; empty when it names none
// or cannot be read (missing, not a regular file, a value not known here).
std::optional<platform::Scaling> ReadScalingSetting(const std::string& path);

// Remembers `scaling` at `path`, keeping the file's other settings: written
// whole to a fresh name beside it and renamed over it, so a reader never
// sees half a file; missing directories are made for the user alone. False
// when it cannot be done.
bool WriteScalingSetting(const std::string& path, platform::Scaling scaling);

// At start, once the platform is installed: the display takes the command
// line's choice, else the one remembered at `path`, else Whole; F2
// remembers at `path` from then on (empty: nowhere).
void ChooseScaling(std::optional<platform::Scaling> chosen, const std::string& path);

// Where F2 remembers its choice; empty: nowhere (the default).
void RememberScalingIn(std::string path);

// F2: the display changes to the other scaling, which is remembered.
void SwitchScaling();

}  // namespace corvane
