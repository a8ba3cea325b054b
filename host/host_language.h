// Choosing the host's language: finding and loading the message catalogue for --lang.
#ifndef ORN_HOST_HOST_LANGUAGE_H_
#define ORN_HOST_HOST_LANGUAGE_H_

#include <string>
#include <vector>

#include "host/po_catalogue.h"

class OrnHostApp;

// Where catalogues are looked for, in order: extraDir when given, then "locale" beside the
// running executable, then "../share/orn/locale" from it (an installed package).
std::vector<std::string> catalogueDirectories(const std::string& extraDir);

// The catalogue file for lang ("de", or "de_DE.UTF-8", which falls back to "de"), or "" when
// there is none. lang may hold only letters, digits, '_', '-', '.' and '@'.
std::string findCatalogue(const std::string& lang, const std::vector<std::string>& directories);

// Loads the catalogue file into the host's translator. Problems (bad lines, translations that do
// not keep their placeholders) go to *problems; the good entries are used. False with a one-line
// *error when the file cannot be read at all.
bool loadCatalogue(OrnHostApp& host, const std::string& file,
                   std::vector<CatalogueProblem>* problems, std::string* error);

#endif  // ORN_HOST_HOST_LANGUAGE_H_
