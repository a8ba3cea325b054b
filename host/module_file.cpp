#include "host/module_file.h"

#include <vector>

#include "platform/read_only_file.h"

namespace {
// Little-endian fields of a header read into memory. Every read is bounds-checked against the
// bytes actually read; a field past them reads as 0 and marks the view short.
class Bytes {
 public:
  explicit Bytes(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const { return bytes_.size(); }
  bool has(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  uint64_t field(uint64_t offset, int width) const {
    if (!has(offset, static_cast<uint64_t>(width))) return 0;
    uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes_[offset + i];
    return value;
  }
  uint8_t byte(uint64_t offset) const { return static_cast<uint8_t>(field(offset, 1)); }

 private:
  std::vector<uint8_t> bytes_;
};

// Reads length bytes at offset of file, or fewer at its end.
Bytes readPart(ReadOnlyFile& file, uint64_t offset, uint64_t length) {
  if (offset >= file.size()) return Bytes({});
  if (length > file.size() - offset) length = file.size() - offset;
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  bytes.resize(file.readAt(offset, bytes.data(), bytes.size()));
  return Bytes(std::move(bytes));
}

// The end of the part [offset, offset + length), or UINT64_MAX when the sum does not fit.
uint64_t endOf(uint64_t offset, uint64_t length) {
  return length > UINT64_MAX - offset ? UINT64_MAX : offset + length;
}

// What the file is instead, from its first bytes, for a message "it is ...".
std::string guessKind(const Bytes& head) {
  if (head.byte(0) == 0x7F && head.byte(1) == 'E' && head.byte(2) == 'L' && head.byte(3) == 'F') {
    return "an ELF file (a Linux or Unix binary)";
  }
  if (head.byte(0) == 'M' && head.byte(1) == 'Z') return "a Windows (MZ) executable or DLL";
  if (head.byte(0) == 0xCF && head.byte(1) == 0xFA && head.byte(2) == 0xED) {
    return "a Mach-O (macOS) binary";
  }
  bool text = head.size() > 0;
  for (uint64_t i = 0; i < head.size() && text; ++i) {
    const uint8_t c = head.byte(i);
    text = c >= 0x20 || c == '\t' || c == '\n' || c == '\r';
  }
  return text ? "text" : "of an unknown kind";
}

// A finding of the header checks: empty when the headers describe a whole module.
struct Finding {
  std::string problem;       // "it is ..." and the like; empty when none
  uint64_t neededBytes = 0;  // the end of the furthest part the headers point at
};

Finding checkElf(ReadOnlyFile& file) {
  constexpr uint64_t headerBytes = 64;
  constexpr uint64_t segmentBytes = 56;
  constexpr uint64_t sectionBytes = 64;
  Finding found;
  const Bytes header = readPart(file, 0, headerBytes);
  const bool elf = header.byte(0) == 0x7F && header.byte(1) == 'E' && header.byte(2) == 'L' &&
                   header.byte(3) == 'F';
  if (!elf) {
    found.problem = "it is " + guessKind(header) + ", not an ELF shared object";
    return found;
  }
  if (!header.has(0, headerBytes)) {
    found.neededBytes = headerBytes;
    return found;
  }
  if (header.byte(4) != 2) {
    found.problem = "it is a 32-bit ELF file; this host loads 64-bit x86-64 shared objects";
    return found;
  }
  if (header.byte(5) != 1) {
    found.problem = "it is a big-endian ELF file; this host loads x86-64 shared objects";
    return found;
  }
  const uint64_t type = header.field(16, 2);
  const uint64_t machine = header.field(18, 2);
  if (machine != 62) {
    found.problem =
        "it is an ELF file for machine " + std::to_string(machine) + ", not x86-64 (62)";
    return found;
  }
  if (type != 3) {
    found.problem =
        type == 2   ? "it is an executable, not a shared object"
        : type == 1 ? "it is an object file (.o), not a shared object"
                    : "it is an ELF file of type " + std::to_string(type) + ", not a shared object";
    return found;
  }
  const uint64_t segmentsAt = header.field(32, 8);
  const uint64_t sectionsAt = header.field(40, 8);
  const uint64_t segmentSize = header.field(54, 2);
  const uint64_t segmentCount = header.field(56, 2);
  const uint64_t sectionSize = header.field(58, 2);
  const uint64_t sectionCount = header.field(60, 2);
  if (segmentCount == 0 || segmentSize != segmentBytes) {
    found.problem = "its ELF header lists no program headers of the x86-64 size";
    return found;
  }
  found.neededBytes = endOf(segmentsAt, segmentCount * segmentBytes);
  if (sectionsAt != 0 && sectionCount != 0) {
    if (sectionSize != sectionBytes) {
      found.problem = "its ELF header gives section headers of " + std::to_string(sectionSize) +
                      " bytes, not 64";
      return found;
    }
    const uint64_t end = endOf(sectionsAt, sectionCount * sectionBytes);
    if (end > found.neededBytes) found.neededBytes = end;
  }
  if (found.neededBytes > file.size()) return found;
  const Bytes segments = readPart(file, segmentsAt, segmentCount * segmentBytes);
  for (uint64_t i = 0; i < segmentCount; ++i) {
    const uint64_t at = i * segmentBytes;
    const uint64_t offset = segments.field(at + 8, 8);
    const uint64_t fileBytes = segments.field(at + 32, 8);
    const uint64_t memoryBytes = segments.field(at + 40, 8);
    if (fileBytes > memoryBytes && segments.field(at, 4) == 1) {
      found.problem = "a loadable segment holds more bytes in the file than in memory";
      return found;
    }
    if (fileBytes != 0) {
      const uint64_t end = endOf(offset, fileBytes);
      if (end > found.neededBytes) found.neededBytes = end;
    }
  }
  return found;
}

Finding checkPe(ReadOnlyFile& file) {
  constexpr uint64_t dosHeaderBytes = 64;
  constexpr uint64_t sectionBytes = 40;
  Finding found;
  const Bytes dos = readPart(file, 0, dosHeaderBytes);
  if (dos.byte(0) != 'M' || dos.byte(1) != 'Z') {
    found.problem = "it is " + guessKind(dos) + ", not a Windows DLL";
    return found;
  }
  if (!dos.has(0, dosHeaderBytes)) {
    found.neededBytes = dosHeaderBytes;
    return found;
  }
  const uint64_t peAt = dos.field(0x3C, 4);
  found.neededBytes = endOf(peAt, 24);
  if (found.neededBytes > file.size()) return found;
  const Bytes pe = readPart(file, peAt, 24);
  if (pe.field(0, 4) != 0x00004550) {  // "PE\0\0"
    found.problem = "it is an MZ file without a PE header (a DOS program?)";
    return found;
  }
  const uint64_t machine = pe.field(4, 2);
  const uint64_t sectionCount = pe.field(6, 2);
  const uint64_t optionalBytes = pe.field(20, 2);
  const uint64_t characteristics = pe.field(22, 2);
  if (machine != 0x14C) {
    found.problem = machine == 0x8664 ? std::string(
                                            "it is a 64-bit Windows file; this host loads "
                                            "32-bit (i386) DLLs")
                                      : "it is a Windows file for machine " +
                                            std::to_string(machine) + ", not i386 (332)";
    return found;
  }
  if ((characteristics & 0x2000) == 0) {
    found.problem = "it is a Windows program, not a DLL";
    return found;
  }
  const uint64_t optionalAt = peAt + 24;
  const uint64_t sectionsAt = optionalAt + optionalBytes;
  found.neededBytes = endOf(sectionsAt, sectionCount * sectionBytes);
  if (found.neededBytes > file.size()) return found;
  const Bytes optional = readPart(file, optionalAt, optionalBytes);
  if (optionalBytes < 64 || optional.field(0, 2) != 0x10B) {
    found.problem = "its optional header is not that of a 32-bit (PE32) image";
    return found;
  }
  const uint64_t headersBytes = optional.field(60, 4);
  if (headersBytes > found.neededBytes) found.neededBytes = headersBytes;
  const Bytes sections = readPart(file, sectionsAt, sectionCount * sectionBytes);
  for (uint64_t i = 0; i < sectionCount; ++i) {
    const uint64_t at = i * sectionBytes;
    const uint64_t rawBytes = sections.field(at + 16, 4);
    const uint64_t rawAt = sections.field(at + 20, 4);
    if (rawBytes != 0) {
      const uint64_t end = endOf(rawAt, rawBytes);
      if (end > found.neededBytes) found.neededBytes = end;
    }
  }
  return found;
}

std::string bytesText(uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }
}  // namespace

ModuleFileVerdict checkModuleFile(const std::string& path, ModuleFormat format,
                                  std::string* error) {
  const std::string refused = path + ": not a loadable module: ";
  ReadOnlyFile file;
  PathKind kind = PathKind::missing;
  std::string why;
  if (!file.open(path, &kind, &why)) {
    if (kind == PathKind::missing) {
      *error = path + ": no such file";
      return ModuleFileVerdict::missing;
    }
    *error = refused + (kind == PathKind::unreadable
                            ? "it cannot be opened" + (why.empty() ? "" : " (" + why + ")")
                            : "it is " + std::string(pathKindText(kind)));
    return ModuleFileVerdict::refused;
  }
  if (file.size() == 0) {
    *error = refused + "the file is empty";
    return ModuleFileVerdict::refused;
  }
  if (file.size() > moduleFileSizeLimit) {
    *error = refused + "the file has " + bytesText(file.size()) + ", more than the " +
             bytesText(moduleFileSizeLimit) + " a module may have";
    return ModuleFileVerdict::refused;
  }
  const Finding found = format == ModuleFormat::elf64X86_64 ? checkElf(file) : checkPe(file);
  if (!found.problem.empty()) {
    *error = refused + found.problem;
    return ModuleFileVerdict::refused;
  }
  if (found.neededBytes > file.size()) {
    *error = refused + "the file is cut short: its headers describe " +
             (found.neededBytes == UINT64_MAX ? std::string("parts beyond any file size")
                                              : "at least " + bytesText(found.neededBytes)) +
             ", the file has " + bytesText(file.size());
    return ModuleFileVerdict::refused;
  }
  return ModuleFileVerdict::loadable;
}
