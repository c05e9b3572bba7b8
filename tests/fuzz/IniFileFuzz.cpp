// Any bytes as a configuration file: reading never fails, and a section we replace reads
// back exactly as written, whatever surrounds it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tapestra::IniFile;
  const std::string text(reinterpret_cast<const char*>(data), size);
  IniFile ini = IniFile::FromContent("/nonexistent/fuzz.ini", text);
  (void)ini.readInteger("Main", "CurrentPictureNo", 0);
  (void)ini.readBool("Auto", "Random", false);
  (void)ini.readSection("Pictures");

  const tapestra::IniEntries written{{"CurrentPictureNo", "3"}, {"CurrentPicture", "/p/a b.jpg"}};
  ini.replaceSection("Main", written);
  const IniFile again = IniFile::FromContent("/nonexistent/fuzz.ini", ini.content());
  if (again.readSection("Main") != written) std::abort();
  return 0;
}
