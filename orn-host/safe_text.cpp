#include "orn-host/safe_text.h"

#include <cstdint>
#include <cstdio>

#include "platform/utf.h"

namespace {
// Length of the well-formed UTF-8 sequence at text[i], or 0 when there is none there.
size_t sequenceAt(std::string_view text, size_t i, uint32_t* c) {
  const std::string one(text.substr(i, 4));
  size_t at = 0;
  return decodeUtf8(one, at, c) ? at : 0;
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

std::string jsonOutput(nlohmann::json document) {
  if (document.is_object() && holdsInvalidUtf8(document)) document["invalidUtf8"] = true;
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}
