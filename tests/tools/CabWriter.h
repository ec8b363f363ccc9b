#pragma once
// Writes uncompressed cabinets with any stored names, for tests: names a packer would refuse
// ("..\x", "C:\x", "\\server\x") and damaged cabinets start here. One folder, no compression,
// no checksums (a zero checksum means "not checked"). Plain C++, used natively and under Wine.
#include <cstdint>
#include <string>
#include <vector>

namespace cabtest {

struct StoredFile {
  std::string name;  // as stored, separators included
  std::string bytes;
};

inline void Put16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

inline void Put32(std::string& out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

// The bytes of a cabinet holding these files, in this order.
inline std::string MakeCabinet(const std::vector<StoredFile>& files) {
  constexpr size_t kHeader = 36, kFolder = 8, kFileFixed = 16, kBlock = 32768;
  std::string content;
  for (const StoredFile& file : files) content += file.bytes;

  size_t fileTable = 0;
  for (const StoredFile& file : files) fileTable += kFileFixed + file.name.size() + 1;
  const size_t blocks = (content.size() + kBlock - 1) / kBlock;
  const size_t dataStart = kHeader + kFolder + fileTable;
  const size_t total = dataStart + blocks * 8 + content.size();

  std::string out;
  out += "MSCF";
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(total));
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(kHeader + kFolder));  // first CFFILE
  Put32(out, 0);
  out += static_cast<char>(3);  // version 1.3
  out += static_cast<char>(1);
  Put16(out, 1);  // folders
  Put16(out, static_cast<uint16_t>(files.size()));
  Put16(out, 0);       // flags
  Put16(out, 0x1234);  // set id
  Put16(out, 0);       // number in set

  Put32(out, static_cast<uint32_t>(dataStart));
  Put16(out, static_cast<uint16_t>(blocks));
  Put16(out, 0);  // no compression

  uint32_t offset = 0;
  for (const StoredFile& file : files) {
    Put32(out, static_cast<uint32_t>(file.bytes.size()));
    Put32(out, offset);
    Put16(out, 0);                           // folder 0
    Put16(out, (46 << 9) | (12 << 5) | 8);   // 2026-12-08
    Put16(out, (10 << 11) | (30 << 5) | 0);  // 10:30:00
    Put16(out, 0x20);                        // archive
    out += file.name;
    out += '\0';
    offset += static_cast<uint32_t>(file.bytes.size());
  }

  for (size_t at = 0; at < content.size(); at += kBlock) {
    const std::string block = content.substr(at, kBlock);
    Put32(out, 0);
    Put16(out, static_cast<uint16_t>(block.size()));
    Put16(out, static_cast<uint16_t>(block.size()));
    out += block;
  }
  return out;
}

}  // namespace cabtest
