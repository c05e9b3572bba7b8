#include "app/Configuration.h"

#include <array>
#include <charconv>
#include <variant>

#include "platform/DataFolder.h"

namespace tapestra {
namespace {

// One stored setting: its key and the model field it fills. Kinds follow the field's type:
// Boolean "1"/"0", integers and colours in decimal, bytes keeping the low 8 bits.
using Field = std::variant<bool Settings::*, std::int32_t Settings::*, std::uint8_t Settings::*,
                           std::string Settings::*>;
struct Key {
  const char* name;
  Field field;
};

// Section Auto, in the order it is written.
const Key kAutoKeys[] = {
    {"Category", &Settings::Category},   {"Sequential", &Settings::RB_Seq},
    {"Random", &Settings::RB_Rnd},       {"Shuffle", &Settings::Shuffle},
    {"ChangeHr", &Settings::RB_Hr},      {"ChangeOS", &Settings::RB_OS},
    {"Change10m", &Settings::RB_10},     {"Change30m", &Settings::RB_30},
    {"ChangeInt", &Settings::RB_Int},    {"IntervalH", &Settings::IntH},
    {"IntervalM", &Settings::IntM},      {"ChangeDay", &Settings::RB_Day},
    {"EverydayH", &Settings::DayH},      {"EverydayM", &Settings::DayM},
    {"ChangeOmit", &Settings::CB_Omit},  {"OmitFromH", &Settings::FM_H},
    {"OmitFromM", &Settings::FM_M},      {"OmitToH", &Settings::TO_H},
    {"OmitToM", &Settings::TO_M},
};

// Section Settings after "ResizeMode", in the order it is written.
const Key kSettingsKeys[] = {
    {"WallpaperStyleNo", &Settings::WallpaperStyleNo},
    {"BackgroundSingle", &Settings::BackgroundSingle},
    {"BackgroundBright", &Settings::BackgroundBright},
    {"BackgroundDark", &Settings::BackgroundDark},
    {"BackgroundAverage", &Settings::BackgroundAverage},
    {"CalendarFontName", &Settings::CalendarFontName},
    {"CalendarHolidayFontName", &Settings::CalendarHolidayFontName},
    {"CalendarGengo", &Settings::CalendarGengo},
    {"CalendarShowHoliday", &Settings::CalendarShowHoliday},
    {"CalendarShowOtherMonth", &Settings::CalendarShowOtherMonth},
    {"CalendarMonthStyleIndex", &Settings::CalendarMonthStyleIndex},
    {"CalendarMonthBold", &Settings::CalendarMonthBold},
    {"CalendarDayStyleIndex", &Settings::CalendarDayStyleIndex},
    {"CalendarDayBold", &Settings::CalendarDayBold},
    {"CalendarDateBold", &Settings::CalendarDateBold},
    {"CalendarTransparentValue", &Settings::CalendarTransparentValue},
    {"ClockTransparentValue", &Settings::ClockTransparentValue},
    {"BGType", &Settings::BGType},
    {"HandType", &Settings::HandType},
    {"HandLength", &Settings::HandLength},
    {"ColorHur", &Settings::ColorHur},
    {"ColorMin", &Settings::ColorMin},
    {"ColorSec", &Settings::ColorSec},
    {"CalendarTransparentOnMove", &Settings::CalendarTransparentOnMove},
    {"ClockTransparentOnMove", &Settings::ClockTransparentOnMove},
    {"ClockSize", &Settings::ClockSize},
    {"ShowDigit", &Settings::ShowDigit},
    {"ClockFontName", &Settings::ClockFontName},
    {"ClockFontBold", &Settings::ClockFontBold},
    {"ClockFontItalic", &Settings::ClockFontItalic},
    {"ClockFontUnderline", &Settings::ClockFontUnderline},
    {"ClockFontStrikeOut", &Settings::ClockFontStrikeOut},
    {"ClockFontColor", &Settings::ClockFontColor},
};

constexpr std::array<const char*, 9> kResizeModeNames = {
    "Nearest", "Bilinear", "Bicubic", "BSpline", "Hermite", "Mitchell", "Bell", "Lanczos", "Lagrange"};

const char* BoolText(bool value) { return value ? "1" : "0"; }

// Reads every key of the table; a missing key or a malformed number gives the field's default.
template <std::size_t N>
void ReadKeys(const IniFile& ini, const char* section, const Key (&keys)[N], Settings& s) {
  static const Settings defaults;
  for (const Key& key : keys) {
    std::visit(
        [&](auto member) {
          using T = std::remove_reference_t<decltype(s.*member)>;
          if constexpr (std::is_same_v<T, bool>) {
            s.*member = ini.readBool(section, key.name, defaults.*member);
          } else if constexpr (std::is_same_v<T, std::string>) {
            s.*member = ini.readString(section, key.name, defaults.*member);
          } else {
            s.*member = static_cast<T>(ini.readInteger(section, key.name, defaults.*member));
          }
        },
        key.field);
  }
}

template <std::size_t N>
void AppendKeys(IniEntries& out, const Key (&keys)[N], const Settings& s) {
  for (const Key& key : keys) {
    std::visit(
        [&](auto member) {
          using T = std::remove_cvref_t<decltype(s.*member)>;
          if constexpr (std::is_same_v<T, bool>) {
            out.emplace_back(key.name, BoolText(s.*member));
          } else if constexpr (std::is_same_v<T, std::string>) {
            out.emplace_back(key.name, s.*member);
          } else {
            out.emplace_back(key.name, std::to_string(static_cast<std::int32_t>(s.*member)));
          }
        },
        key.field);
  }
}

std::string Trimmed(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  const auto end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// The year and month of a dated special day ("y/m/d[,caption]"); false for "m/d" entries
// and for dates that are not made of numbers.
bool DatedYearMonth(const std::string& entry, int& year, int& month) {
  const std::string date = Trimmed(entry.substr(0, entry.find(',')));
  const auto first = date.find('/');
  if (first == std::string::npos) return false;
  const auto second = date.find('/', first + 1);
  if (second == std::string::npos) return false;
  auto parse = [](std::string_view text, int& value) {
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
  };
  const std::string_view view(date);
  return parse(view.substr(0, first), year) &&
         parse(view.substr(first + 1, second - first - 1), month);
}

}  // namespace

const char* ResizeModeName(TResizeMode mode) {
  const auto index = static_cast<std::size_t>(mode);
  return index < kResizeModeNames.size() ? kResizeModeNames[index] : "Bilinear";
}

std::optional<TResizeMode> ResizeModeFromExactName(const std::string& name) {
  for (std::size_t i = 0; i < kResizeModeNames.size(); ++i) {
    if (name == kResizeModeNames[i]) return static_cast<TResizeMode>(i);
  }
  return std::nullopt;
}

TResizeMode ResizeModeFromName(const std::string& name) {
  return ResizeModeFromExactName(name).value_or(TResizeMode::rmBilinear);
}

void ReadIni(const IniFile& ini, Settings& s, MenuState& menu, std::vector<std::string>& pictures) {
  s.CurrentPictureNo = ini.readInteger("Main", "CurrentPictureNo", 0);
  s.CurrentPicture = ini.readString("Main", "CurrentPicture", "");
  menu.PM_Auto = ini.readBool("Main", "AutoChange", false);
  menu.PM_Prev = menu.PM_Next = menu.PM_Auto;
  menu.PM_Show_Calendar = ini.readBool("Main", "ShowCalendar", false);
  menu.PM_Move_Calendar_Enabled = menu.PM_Show_Calendar;
  menu.PM_Show_Clock = ini.readBool("Main", "ShowClock", false);
  menu.PM_Move_Clock_Enabled = menu.PM_Show_Clock;
  s.AllCategories = ini.readBool("Main", "AllCategories", false);

  ReadKeys(ini, "Auto", kAutoKeys, s);

  s.ResizeMode = ResizeModeFromName(ini.readString("Settings", "ResizeMode", "rmBilinear"));
  ReadKeys(ini, "Settings", kSettingsKeys, s);
  s.WallPaperStyle = WallPaperStyleFor(s.WallpaperStyleNo);

  s.SpecialDays.clear();
  for (const auto& [key, value] : ini.readSection("SpecialDays")) s.SpecialDays.push_back(value);

  if (s.RB_Rnd && !s.Shuffle) {
    for (const auto& [key, value] : ini.readSection("Pictures")) pictures.push_back(value);
  }
}

void WriteMainSection(IniFile& ini, const Settings& s, const MenuState& menu) {
  ini.replaceSection("Main", {{"CurrentPictureNo", std::to_string(s.CurrentPictureNo)},
                              {"CurrentPicture", s.CurrentPicture},
                              {"AutoChange", BoolText(menu.PM_Auto)},
                              {"ShowCalendar", BoolText(menu.PM_Show_Calendar)},
                              {"ShowClock", BoolText(menu.PM_Show_Clock)},
                              {"AllCategories", BoolText(s.AllCategories)}});
}

void WritePicturesSection(IniFile& ini, const Settings& s, const std::vector<std::string>& pictures) {
  if (!s.RB_Rnd || s.Shuffle || pictures.empty()) {
    ini.eraseSection("Pictures");
    return;
  }
  IniEntries entries;
  entries.reserve(pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) entries.emplace_back(std::to_string(i), pictures[i]);
  ini.replaceSection("Pictures", entries);
}

void WriteAutoSection(IniFile& ini, const Settings& s) {
  IniEntries entries;
  AppendKeys(entries, kAutoKeys, s);
  ini.replaceSection("Auto", entries);
}

void WriteSettingsSection(IniFile& ini, const Settings& s) {
  IniEntries entries{{"ResizeMode", ResizeModeName(s.ResizeMode)}};
  AppendKeys(entries, kSettingsKeys, s);
  ini.replaceSection("Settings", entries);
}

void WriteSpecialDaysSection(IniFile& ini, const Settings& s, TDateTime today) {
  const DateTimeParts now = DecodeDateTime(today);
  IniEntries entries;
  for (std::size_t i = 0; i < s.SpecialDays.size(); ++i) {
    int year = 0, month = 0;
    const bool dated = DatedYearMonth(s.SpecialDays[i], year, month);
    if (dated && (year < now.year || (year == now.year && month < now.month))) continue;
    entries.emplace_back(std::to_string(i), s.SpecialDays[i]);
  }
  if (entries.empty()) {
    ini.eraseSection("SpecialDays");
  } else {
    ini.replaceSection("SpecialDays", entries);
  }
}

std::string FolderErrorMessage(const std::string& iniPath) {
  return "<" + iniPath + "> " + "creation error." + "\n" + "Configurations may not be saved.";
}

bool PrepareConfigurationWrite(const Settings& s, MessageBox& box) {
  if (EnsureFolder(s.INIPath)) return true;
  box.error(FolderErrorMessage(s.INIPath));
  return false;
}

bool FinishConfigurationWrite(const Settings& s, const IniFile& ini, MessageBox& box) {
  if (ini.save()) return true;
  box.error(FolderErrorMessage(s.INIPath));
  return false;
}

}  // namespace tapestra
