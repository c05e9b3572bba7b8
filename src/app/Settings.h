#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/VCLImageUtils.h"
#include "platform/Colour.h"
#include "platform/DateTime.h"

namespace tapestra {

// Wallpaper styles as the display settings list numbers them.
enum WallpaperStyleNumber : std::uint8_t {
  WPS_ResizeFill = 0,
  WPS_ResizeFit = 1,
  WPS_Stretch = 2,
  WPS_Tile = 3,
  WPS_Center = 4,
  WPS_Span = 5,
  WPS_StretchBlur = 6,
  WPS_Auto1 = 7,
  WPS_Auto2 = 8,
  WPS_Auto3 = 9,
};

// The placement number handed to the desktop for a style: tens are the desktop's placement
// style, units the tile switch. Styles outside 0 … 9 are centred.
std::uint8_t WallPaperStyleFor(int wallpaperStyleNo);

// The settings model: every setting of the program, with the defaults a missing
// configuration gives. Field names follow the configuration keys' model names.
struct Settings {
  // Derived, not stored.
  std::string INIPath;       // data folder, ending in a separator
  std::string INIFile;       // configuration file name without folder
  std::string OriginalFile;  // INIPath + "_WallPaper.bmp"
  TDateTime CurrentDate = 0;

  // Main
  std::int32_t CurrentPictureNo = 0;
  std::string CurrentPicture;
  bool AllCategories = false;

  // Auto
  std::string Category;
  bool RB_Seq = true;
  bool RB_Rnd = false;
  bool Shuffle = false;
  bool RB_Hr = false;
  bool RB_OS = true;
  bool RB_10 = false;
  bool RB_30 = false;
  bool RB_Int = false;
  std::int32_t IntH = 1;
  std::int32_t IntM = 0;
  bool RB_Day = false;
  std::int32_t DayH = 12;
  std::int32_t DayM = 0;
  bool CB_Omit = false;
  std::int32_t FM_H = 0;
  std::int32_t FM_M = 0;
  std::int32_t TO_H = 0;
  std::int32_t TO_M = 0;

  // Settings
  TResizeMode ResizeMode = TResizeMode::rmBilinear;
  std::uint8_t WallpaperStyleNo = 0;
  std::uint8_t WallPaperStyle = 100;  // derived from WallpaperStyleNo; automatic styles rewrite it
  bool BackgroundSingle = true;
  bool BackgroundBright = false;
  bool BackgroundDark = false;
  bool BackgroundAverage = false;
  TColor BackgroundColor = 0;  // not stored: the last background colour we applied
  std::string CalendarFontName = "Courier";
  std::string CalendarHolidayFontName = "Courier";
  bool CalendarGengo = false;
  bool CalendarShowHoliday = true;
  bool CalendarShowOtherMonth = true;
  std::uint8_t CalendarMonthStyleIndex = 0;
  bool CalendarMonthBold = false;
  std::uint8_t CalendarDayStyleIndex = 0;
  bool CalendarDayBold = false;
  bool CalendarDateBold = false;
  std::uint8_t CalendarTransparentValue = 100;
  std::uint8_t ClockTransparentValue = 100;
  std::int32_t BGType = 1;
  std::int32_t HandType = 0;
  std::int32_t HandLength = 75;
  TColor ColorHur = 255;
  TColor ColorMin = 255;
  TColor ColorSec = 16711680;
  bool CalendarTransparentOnMove = true;
  bool ClockTransparentOnMove = true;
  std::int32_t ClockSize = 128;
  bool ShowDigit = false;
  std::string ClockFontName = "ＭＳ ゴシック";
  bool ClockFontBold = false;
  bool ClockFontItalic = false;
  bool ClockFontUnderline = false;
  bool ClockFontStrikeOut = false;
  TColor ClockFontColor = 0;

  // SpecialDays: "m/d[,caption]" or "y/m/d[,caption]", in file order.
  std::vector<std::string> SpecialDays;
  std::string SpecialDayCaption;

  // Calendar ("TransparentColor"), read by the calendar window.
  TColor AlphaBlendColor = 16777215;
};

}  // namespace tapestra
