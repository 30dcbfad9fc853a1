#include "datalog/xls/CompoundFile.h"

#include <algorithm>
#include <cstdint>

namespace kestrav::datalog::xls {
namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint32_t kEntriesPerSector = kSector / 4;     // FAT entries in one sector
constexpr std::uint32_t kHeaderDifat = 109;                  // FAT sector numbers in the header
constexpr std::uint32_t kDifatPerSector = kEntriesPerSector - 1;  // the last one chains on
constexpr std::size_t kMinStream = 4096;                     // the mini-stream cut-off

constexpr std::uint32_t kFree = 0xFFFFFFFFu;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFatSector = 0xFFFFFFFDu;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFCu;
constexpr std::uint32_t kNoStream = 0xFFFFFFFFu;

std::uint32_t ceilDiv(std::uint32_t a, std::uint32_t b) { return (a + b - 1) / b; }

// One 128-byte directory entry; an empty name gives the unused entry.
void putDirectoryEntry(Bytes& out, std::string_view name, unsigned type, std::uint32_t child,
                       std::uint32_t start, std::uint64_t size) {
  for (char c : name) putU16(out, static_cast<unsigned char>(c));
  putZeros(out, 64 - 2 * name.size());
  putU16(out, name.empty() ? 0 : static_cast<unsigned>(2 * (name.size() + 1)));
  putU8(out, type);
  putU8(out, name.empty() ? 0 : 1);  // black
  putU32(out, kNoStream);             // left sibling
  putU32(out, kNoStream);             // right sibling
  putU32(out, child);
  putZeros(out, 16);  // CLSID
  putU32(out, 0);     // state bits
  putU64(out, 0);     // creation time
  putU64(out, 0);     // modification time
  putU32(out, start);
  putU64(out, size);
}

}  // namespace

namespace {

struct Layout {
  std::size_t padded;
  std::uint32_t streamSectors, dirSector, fatCount, difatCount, firstFat, firstDifat;
};

// Sector layout: the stream, one directory sector, the FAT, the DIFAT.
Layout layoutFor(std::size_t streamSize) {
  Layout l{};
  l.padded = std::max(streamSize, kMinStream);
  l.padded = (l.padded + kSector - 1) / kSector * kSector;
  l.streamSectors = static_cast<std::uint32_t>(l.padded / kSector);
  l.dirSector = l.streamSectors;
  for (;;) {
    const std::uint32_t total = l.streamSectors + 1 + l.fatCount + l.difatCount;
    const std::uint32_t needFat = ceilDiv(total, kEntriesPerSector);
    const std::uint32_t needDifat = needFat > kHeaderDifat ? ceilDiv(needFat - kHeaderDifat, kDifatPerSector) : 0;
    if (needFat == l.fatCount && needDifat == l.difatCount) break;
    l.fatCount = needFat;
    l.difatCount = needDifat;
  }
  l.firstFat = l.dirSector + 1;
  l.firstDifat = l.firstFat + l.fatCount;
  return l;
}

}  // namespace

Bytes compoundHeader(std::size_t streamSize) {
  const Layout l = layoutFor(streamSize);
  Bytes out;
  out.reserve(kSector);
  for (unsigned v : {0xD0u, 0xCFu, 0x11u, 0xE0u, 0xA1u, 0xB1u, 0x1Au, 0xE1u}) putU8(out, v);
  putZeros(out, 16);      // header CLSID
  putU16(out, 0x003E);    // minor version
  putU16(out, 0x0003);    // major version 3
  putU16(out, 0xFFFE);    // little-endian
  putU16(out, 9);         // 512-byte sectors
  putU16(out, 6);         // 64-byte mini sectors
  putZeros(out, 6);
  putU32(out, 0);         // directory sectors: always 0 in version 3
  putU32(out, l.fatCount);
  putU32(out, l.dirSector);
  putU32(out, 0);         // transaction signature
  putU32(out, static_cast<std::uint32_t>(kMinStream));
  putU32(out, kEndOfChain);  // no mini FAT
  putU32(out, 0);
  putU32(out, l.difatCount ? l.firstDifat : kEndOfChain);
  putU32(out, l.difatCount);
  for (std::uint32_t i = 0; i < kHeaderDifat; ++i) putU32(out, i < l.fatCount ? l.firstFat + i : kFree);
  return out;
}

Bytes compoundPadding(std::size_t streamSize) { return Bytes(layoutFor(streamSize).padded - streamSize, 0); }

Bytes compoundTrailer(std::string_view name, std::size_t streamSize) {
  const Layout l = layoutFor(streamSize);
  std::vector<std::uint32_t> fat(static_cast<std::size_t>(l.fatCount) * kEntriesPerSector, kFree);
  for (std::uint32_t s = 0; s < l.streamSectors; ++s) fat[s] = (s + 1 < l.streamSectors) ? s + 1 : kEndOfChain;
  fat[l.dirSector] = kEndOfChain;
  for (std::uint32_t i = 0; i < l.fatCount; ++i) fat[l.firstFat + i] = kFatSector;
  for (std::uint32_t i = 0; i < l.difatCount; ++i) fat[l.firstDifat + i] = kDifatSector;

  Bytes out;
  out.reserve(kSector * (1 + static_cast<std::size_t>(l.fatCount) + l.difatCount));
  putDirectoryEntry(out, "Root Entry", 5, 1, kEndOfChain, 0);
  putDirectoryEntry(out, name, 2, kNoStream, 0, l.padded);
  putDirectoryEntry(out, {}, 0, kNoStream, 0, 0);
  putDirectoryEntry(out, {}, 0, kNoStream, 0, 0);

  for (std::uint32_t e : fat) putU32(out, e);

  // DIFAT sectors: the FAT sector numbers past the header's 109, then the
  // next DIFAT sector (end of chain in the last one).
  std::uint32_t nextFat = kHeaderDifat;
  for (std::uint32_t d = 0; d < l.difatCount; ++d) {
    for (std::uint32_t i = 0; i < kDifatPerSector; ++i, ++nextFat)
      putU32(out, nextFat < l.fatCount ? l.firstFat + nextFat : kFree);
    putU32(out, d + 1 < l.difatCount ? l.firstDifat + d + 1 : kEndOfChain);
  }
  return out;
}

Bytes compoundFile(std::string_view name, Bytes stream) {
  const std::size_t size = stream.size();
  Bytes out = compoundHeader(size);
  const Bytes padding = compoundPadding(size);
  const Bytes tail = compoundTrailer(name, size);
  out.reserve(out.size() + size + padding.size() + tail.size());
  out.insert(out.end(), stream.begin(), stream.end());
  out.insert(out.end(), padding.begin(), padding.end());
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

}  // namespace kestrav::datalog::xls
