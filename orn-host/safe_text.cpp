#include "orn-host/safe_text.h"

#include <cstdint>
#include <cstdio>

namespace {
// Length of the well-formed UTF-8 sequence at text[i] (no overlong form, surrogate or code point
// past U+10FFFF), its code point in *c; 0 when there is none there.
size_t sequenceAt(std::string_view text, size_t i, uint32_t* c) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length;
  uint32_t value;
  uint32_t lowest;
  if (lead < 0x80) {
    *c = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1Fu, lowest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0Fu, lowest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07u, lowest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3Fu);
  }
  if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *c = value;
  return length;
}

void appendHex(std::string& out, const char* form, unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, form, value);
  out += buffer;
}

// Appends text escaped; with indent non-null, newlines stay and are followed by *indent.
std::string escaped(std::string_view text, const std::string_view* indent) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    if (byte < 0x80) {
      const bool lineEnd = byte == '\n' || (byte == '\r' && text.substr(i, 2) == "\r\n");
      if (lineEnd && indent != nullptr) {
        out += '\n';
        out += *indent;
        if (byte == '\r') ++i;  // CR LF ends one line
      } else if (byte == '\n') {
        out += "\\n";
      } else if (byte == '\r') {
        out += "\\r";
      } else if (byte == '\t') {
        out += "\\t";
      } else {
        appendHex(out, "\\x%02x", byte);
      }
      ++i;
      continue;
    }
    uint32_t c = 0;
    const size_t length = sequenceAt(text, i, &c);
    if (length == 0) {
      appendHex(out, "\\x%02x", byte);
      ++i;
    } else if (c >= 0x80 && c <= 0x9F) {
      appendHex(out, "\\u%04x", c);
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

// Whether any string or key in document is not UTF-8.
bool holdsInvalidUtf8(const nlohmann::json& document) {
  switch (document.type()) {
    case nlohmann::json::value_t::string:
      return !isValidUtf8(document.get_ref<const std::string&>());
    case nlohmann::json::value_t::array:
      for (const nlohmann::json& item : document) {
        if (holdsInvalidUtf8(item)) return true;
      }
      return false;
    case nlohmann::json::value_t::object:
      for (const auto& [key, value] : document.items()) {
        if (!isValidUtf8(key) || holdsInvalidUtf8(value)) return true;
      }
      return false;
    default:
      return false;
  }
}
}  // namespace

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    uint32_t c = 0;
    const size_t length = sequenceAt(text, i, &c);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string safeText(std::string_view text) { return escaped(text, nullptr); }

std::string safeLines(std::string_view text, std::string_view indent) {
  return escaped(text, &indent);
}

std::string jsonOutput(const nlohmann::json& document) {
  constexpr auto replace = nlohmann::json::error_handler_t::replace;
  if (!document.is_object() || !holdsInvalidUtf8(document))
    return document.dump(2, ' ', false, replace);
  nlohmann::json marked = document;  // copied only when it has something to say
  marked["invalidUtf8"] = true;
  return marked.dump(2, ' ', false, replace);
}

namespace {
std::FILE* jsonDocumentStream = nullptr;  // null: stdout; set once, before any document
}  // namespace

void setJsonDocumentStream(std::FILE* stream) { jsonDocumentStream = stream; }

void printJsonDocument(const nlohmann::json& document) {
  std::FILE* stream = jsonDocumentStream != nullptr ? jsonDocumentStream : stdout;
  std::fprintf(stream, "%s\n", jsonOutput(document).c_str());
  std::fflush(stream);
}
