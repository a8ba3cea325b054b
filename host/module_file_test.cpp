#include "host/module_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/text_file.h"
#include "platform/module_loader.h"
#include "platform/read_only_file.h"

namespace {
using Image = std::vector<uint8_t>;

void put(Image& image, size_t at, uint64_t value, int width) {
  if (image.size() < at + width) image.resize(at + width);
  for (int i = 0; i < width; ++i) image[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An x86-64 ELF shared object of `bytes` bytes: the header and one loadable segment that covers
// the whole file.
Image elfImage(uint64_t bytes = 4096) {
  Image image(static_cast<size_t>(bytes), 0);
  const uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  for (size_t i = 0; i < sizeof ident; ++i) image[i] = ident[i];
  put(image, 16, 3, 2);   // ET_DYN
  put(image, 18, 62, 2);  // x86-64
  put(image, 32, 64, 8);  // program headers right after the header
  put(image, 54, 56, 2);  // their size
  put(image, 56, 1, 2);   // one
  put(image, 64, 1, 4);   // PT_LOAD
  put(image, 64 + 8, 0, 8);
  put(image, 64 + 32, bytes, 8);  // file bytes
  put(image, 64 + 40, bytes, 8);  // memory bytes
  return image;
}

// A 32-bit i386 DLL of 1024 bytes: headers, one section of 512 bytes at 512.
Image peImage() {
  Image image(1024, 0);
  image[0] = 'M';
  image[1] = 'Z';
  put(image, 0x3C, 64, 4);
  put(image, 64, 0x00004550, 4);  // "PE\0\0"
  put(image, 68, 0x14C, 2);       // i386
  put(image, 70, 1, 2);           // one section
  put(image, 84, 224, 2);         // optional header size
  put(image, 86, 0x2102, 2);      // DLL, 32-bit, executable
  put(image, 88, 0x10B, 2);       // PE32
  put(image, 88 + 60, 512, 4);    // size of headers
  const size_t section = 88 + 224;
  put(image, section + 16, 512, 4);  // raw bytes
  put(image, section + 20, 512, 4);  // raw at
  return image;
}

class ModuleFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("orn-module-file-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, const Image& image, size_t bytes = SIZE_MAX) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(bytes < image.size() ? bytes : image.size()));
    return path.string();
  }

  // The verdict's message for the file made of image, checked as format.
  std::string refusal(const Image& image, ModuleFormat format, size_t bytes = SIZE_MAX) {
    const std::string path = write("m.module", image, bytes);
    std::string error;
    const ModuleFileVerdict verdict = checkModuleFile(path, format, &error);
    EXPECT_EQ(verdict, ModuleFileVerdict::refused) << error;
    EXPECT_EQ(error.rfind(path + ": not a loadable module: ", 0), 0u) << error;
    return error;
  }

  std::filesystem::path dir_;
};

bool says(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ModuleFileTest, WholeImagesOfEachKindPass) {
  std::string error;
  EXPECT_EQ(checkModuleFile(write("a.so", elfImage()), ModuleFormat::elf64X86_64, &error),
            ModuleFileVerdict::loadable)
      << error;
  EXPECT_EQ(checkModuleFile(write("a.dll", peImage()), ModuleFormat::pe32I386, &error),
            ModuleFileVerdict::loadable)
      << error;
  // The module this build makes, beside the tests.
  const std::string built = platformExecutableDirectory() + ORN_MODULE_FILE;
  EXPECT_EQ(checkModuleFile(built, nativeModuleFormat, &error), ModuleFileVerdict::loadable)
      << error;
}

TEST_F(ModuleFileTest, EveryCutOfAnImageIsCutShort) {
  const Image elf = elfImage();
  for (size_t bytes :
       {size_t{4}, size_t{10}, size_t{63}, size_t{64}, size_t{119}, size_t{120}, size_t{4095}}) {
    EXPECT_TRUE(says(refusal(elf, ModuleFormat::elf64X86_64, bytes), "the file is cut short"))
        << bytes;
  }
  const Image pe = peImage();
  for (size_t bytes : {size_t{2}, size_t{63}, size_t{80}, size_t{300}, size_t{600}, size_t{1023}}) {
    EXPECT_TRUE(says(refusal(pe, ModuleFormat::pe32I386, bytes), "the file is cut short")) << bytes;
  }
  // The built module cut where a truncated copy would be.
  ReadOnlyFile built;
  PathKind kind;
  ASSERT_TRUE(built.open(platformExecutableDirectory() + ORN_MODULE_FILE, &kind, nullptr));
  Image head(20000);
  head.resize(built.readAt(0, head.data(), head.size()));
  const std::string error = refusal(head, nativeModuleFormat);
  EXPECT_TRUE(says(error, "cut short")) << error;
  EXPECT_TRUE(says(error, "the file has 20000 bytes")) << error;
}

TEST_F(ModuleFileTest, HeadersPointingPastAnySizeAreCutShortNotWrapped) {
  Image elf = elfImage();
  put(elf, 32, UINT64_MAX - 8, 8);  // program headers at the end of the address space
  EXPECT_TRUE(says(refusal(elf, ModuleFormat::elf64X86_64), "beyond any file size"));
  elf = elfImage();
  put(elf, 64 + 8, UINT64_MAX - 100, 8);  // a segment whose end wraps
  EXPECT_TRUE(says(refusal(elf, ModuleFormat::elf64X86_64), "cut short"));
  Image pe = peImage();
  put(pe, 88 + 224 + 20, 0xFFFFFF00u, 4);  // section data far past the end
  EXPECT_TRUE(says(refusal(pe, ModuleFormat::pe32I386), "cut short"));
  pe = peImage();
  put(pe, 0x3C, 0xFFFFFFF0u, 4);  // a PE header past the end
  EXPECT_TRUE(says(refusal(pe, ModuleFormat::pe32I386), "cut short"));
}

TEST_F(ModuleFileTest, OtherKindsAreNamed) {
  Image elf32 = elfImage();
  elf32[4] = 1;
  EXPECT_TRUE(says(refusal(elf32, ModuleFormat::elf64X86_64), "32-bit ELF"));
  Image arm = elfImage();
  put(arm, 18, 183, 2);
  EXPECT_TRUE(says(refusal(arm, ModuleFormat::elf64X86_64), "machine 183, not x86-64"));
  Image program = elfImage();
  put(program, 16, 2, 2);
  EXPECT_TRUE(says(refusal(program, ModuleFormat::elf64X86_64), "an executable"));
  EXPECT_TRUE(says(refusal(peImage(), ModuleFormat::elf64X86_64), "Windows (MZ)"));
  EXPECT_TRUE(says(refusal(elfImage(), ModuleFormat::pe32I386), "an ELF file"));

  Image pe64 = peImage();
  put(pe64, 68, 0x8664, 2);
  EXPECT_TRUE(says(refusal(pe64, ModuleFormat::pe32I386), "64-bit Windows"));
  Image exe = peImage();
  put(exe, 86, 0x0102, 2);
  EXPECT_TRUE(says(refusal(exe, ModuleFormat::pe32I386), "a Windows program, not a DLL"));
  Image plus = peImage();
  put(plus, 88, 0x20B, 2);
  EXPECT_TRUE(says(refusal(plus, ModuleFormat::pe32I386), "not that of a 32-bit"));

  const std::string text = "just text\n";
  const Image textImage(text.begin(), text.end());
  EXPECT_TRUE(says(refusal(textImage, nativeModuleFormat), "it is text"));
}

TEST_F(ModuleFileTest, WhatIsNotAFileIsRefusedBeforeOpening) {
  std::string error;
  const std::string missing = (dir_ / "absent.module").string();
  EXPECT_EQ(checkModuleFile(missing, nativeModuleFormat, &error), ModuleFileVerdict::missing);
  EXPECT_EQ(error, missing + ": no such file");

  const std::string directory = (dir_ / "dir.module").string();
  std::filesystem::create_directories(directory);
  EXPECT_EQ(checkModuleFile(directory, nativeModuleFormat, &error), ModuleFileVerdict::refused);
  EXPECT_EQ(error, directory + ": not a loadable module: it is a directory");

  const std::string empty = write("empty.module", Image());
  EXPECT_EQ(checkModuleFile(empty, nativeModuleFormat, &error), ModuleFileVerdict::refused);
  EXPECT_TRUE(says(error, "the file is empty")) << error;

  // Past the limit: a sparse file, so the test writes almost nothing.
  const std::string large = write("large.module", elfImage());
  std::filesystem::resize_file(large, moduleFileSizeLimit + 1);
  EXPECT_EQ(checkModuleFile(large, ModuleFormat::elf64X86_64, &error), ModuleFileVerdict::refused);
  EXPECT_TRUE(says(error, "more than the 536870912 bytes a module may have")) << error;
}

TEST_F(ModuleFileTest, TextFilesMustBeRegularFiles) {
  std::string text = "kept";
  std::string why;
  EXPECT_FALSE(readTextFile(dir_.string(), &text, &why));
  EXPECT_EQ(why, "is a directory, not a file");
  EXPECT_FALSE(readTextFile((dir_ / "absent.ini").string(), &text, &why));
  EXPECT_EQ(why, "no such file");
  EXPECT_EQ(text, "kept");

  const std::string file = write("host.ini", Image{'a', '\n', 'b'});
  EXPECT_TRUE(readTextFile(file, &text, &why)) << why;
  EXPECT_EQ(text, "a\nb");
}

TEST(ReadableMemory, CopiesWhatCanBeReadAndStopsWithoutFaulting) {
  const char source[] = "descriptor bytes";
  char copy[sizeof source] = {};
  EXPECT_EQ(platformCopyReadableMemory(source, copy, sizeof source), sizeof source);
  EXPECT_STREQ(copy, source);
  // The first pages of the address space are never mapped.
  const void* nowhere = reinterpret_cast<const void*>(uintptr_t{0x1000});
  EXPECT_EQ(platformCopyReadableMemory(nowhere, copy, 64), 0u);
  EXPECT_STREQ(copy, source);  // nothing written
}
}  // namespace
