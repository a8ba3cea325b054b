#include "host/host_language.h"

#include <memory>

#include "host/orn_host.h"
#include "host/text_file.h"
#include "platform/module_loader.h"

namespace {
bool safeLanguageName(const std::string& lang) {
  if (lang.empty() || lang[0] == '.') return false;
  for (char c : lang) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.' || c == '@';
    if (!ok) return false;
  }
  return true;
}
}  // namespace

std::vector<std::string> catalogueDirectories(const std::string& extraDir) {
  std::vector<std::string> dirs;
  if (!extraDir.empty()) dirs.push_back(extraDir);
  const std::string exeDir = platformExecutableDirectory();
  dirs.push_back(exeDir + "locale");
  dirs.push_back(exeDir + "../share/orn/locale");
  return dirs;
}

std::string findCatalogue(const std::string& lang, const std::vector<std::string>& directories) {
  if (!safeLanguageName(lang)) return "";
  std::vector<std::string> names = {lang};
  const size_t cut = lang.find_first_of("_.@-");
  if (cut != std::string::npos && cut > 0) names.push_back(lang.substr(0, cut));
  for (const std::string& name : names) {
    for (const std::string& dir : directories) {
      const std::string file = dir + "/" + name + ".po";
      if (platformFileExists(file)) return file;
    }
  }
  return "";
}

bool loadCatalogue(OrnHostApp& host, const std::string& file,
                   std::vector<CatalogueProblem>* problems, std::string* error) {
  // A directory or FIFO named as the catalogue is an error, not a catalogue with no entries.
  std::string text;
  std::string why;
  if (!readTextFile(file, &text, &why)) {
    *error = file + ": cannot read the catalogue: it " + why;
    return false;
  }
  auto catalogue = std::make_shared<PoCatalogue>();
  catalogue->loadText(text, file, problems);
  host.translator().setCatalogue(std::move(catalogue));
  return true;
}
