#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/MenuState.h"
#include "app/Settings.h"
#include "platform/DateTime.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"

namespace tapestra {

// Names of the filters as the configuration and the settings list spell them.
const char* ResizeModeName(TResizeMode mode);
// Exact, case-sensitive match of the nine names; nothing for any other text.
std::optional<TResizeMode> ResizeModeFromExactName(const std::string& name);
// The same match for the configuration reader: anything else is Bilinear.
TResizeMode ResizeModeFromName(const std::string& name);

// Reads sections Main, Auto, Settings, SpecialDays and — in random order without
// shuffle-at-start — Pictures, in that order, into the model and the tray menu states.
void ReadIni(const IniFile& ini, Settings& s, MenuState& menu, std::vector<std::string>& pictures);

// Section writers: each replaces its whole section in ini.
void WriteMainSection(IniFile& ini, const Settings& s, const MenuState& menu);
void WritePicturesSection(IniFile& ini, const Settings& s, const std::vector<std::string>& pictures);
void WriteAutoSection(IniFile& ini, const Settings& s);
void WriteSettingsSection(IniFile& ini, const Settings& s);
// Special days whose dated year and month lie before today's month are dropped; the keys
// keep the entries' indexes, so they may have gaps.
void WriteSpecialDaysSection(IniFile& ini, const Settings& s, TDateTime today);

// The text shown when the data folder cannot be created or the file cannot be written.
std::string FolderErrorMessage(const std::string& iniPath);

// The writers' common path: makes sure the data folder exists (its last level only), reads
// the file as it is now, lets fill replace sections, and replaces the file atomically. On
// failure shows the folder error and writes nothing; returns whether the file was written.
template <typename Fill>
bool WriteConfiguration(const Settings& s, MessageBox& box, Fill fill);

bool PrepareConfigurationWrite(const Settings& s, MessageBox& box);
bool FinishConfigurationWrite(const Settings& s, const IniFile& ini, MessageBox& box);

template <typename Fill>
bool WriteConfiguration(const Settings& s, MessageBox& box, Fill fill) {
  if (!PrepareConfigurationWrite(s, box)) return false;
  IniFile ini(s.INIPath + s.INIFile);
  fill(ini);
  return FinishConfigurationWrite(s, ini, box);
}

}  // namespace tapestra
