#include "config/StackConfigFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "config/Thresholds.h"
#include "state/ConfigBits.h"
#include "state/HexText.h"

namespace kestrav::config {

namespace {

using Json = nlohmann::ordered_json;

// A configuration is a few kilobytes; anything far bigger is not one, and
// is not read into memory whole.
constexpr std::uintmax_t kLargestFile = 1u << 20;

constexpr std::array<const char*, state::kBroadcastables> kBroadcastNames{"PLADC",  "PLINT",   "STCVAD",
                                                                          "STOWAD", "STTMPAD", "WRCFG"};

// Why a file is refused: the field and the reason. Thrown inside the
// parser only; parseStackConfig turns it into its result.
struct Refusal {
  std::string field;
  std::string reason;
};

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

class Fields {
 public:
  Fields(const Json& object, std::string where) : object_(object), where_(std::move(where)) {}

  std::string field(const std::string& key) const { return where_ + quoted(key); }

  const Json& get(const std::string& key) const {
    const auto it = object_.find(key);
    if (it == object_.end()) throw Refusal{field(key), "is missing"};
    return *it;
  }
  bool boolean(const std::string& key) const {
    const Json& v = get(key);
    if (!v.is_boolean()) throw Refusal{field(key), "must be true or false, not " + v.dump()};
    return v.get<bool>();
  }
  int whole(const std::string& key, int lowest, int highest) const {
    const Json& v = get(key);
    if (!v.is_number_integer() || v.get<long long>() < lowest || v.get<long long>() > highest)
      throw Refusal{field(key), "must be a whole number from " + std::to_string(lowest) + " to " +
                                    std::to_string(highest) + ", not " + v.dump()};
    return static_cast<int>(v.get<long long>());
  }
  double number(const std::string& key) const {
    const Json& v = get(key);
    if (!v.is_number()) throw Refusal{field(key), "must be a number of volts, not " + v.dump()};
    return v.get<double>();
  }
  std::string text(const std::string& key) const {
    const Json& v = get(key);
    if (!v.is_string()) throw Refusal{field(key), "must be a text, not " + v.dump()};
    return v.get<std::string>();
  }
  std::set<int> cells(const std::string& key) const {
    const Json& v = get(key);
    if (!v.is_array()) throw Refusal{field(key), "must be a list of cell numbers 1 to 12, not " + v.dump()};
    std::set<int> cells;
    for (const Json& cell : v) {
      if (!cell.is_number_integer() || cell.get<long long>() < 1 || cell.get<long long>() > state::kCellsPerBoard)
        throw Refusal{field(key), "holds " + cell.dump() + ", not a cell number 1 to 12"};
      if (!cells.insert(static_cast<int>(cell.get<long long>())).second)
        throw Refusal{field(key), "lists cell " + cell.dump() + " twice"};
    }
    return cells;
  }

 private:
  const Json& object_;
  std::string where_;
};

double thresholdVolts(int code) { return code * 24 / 1000.0; }

std::string addressText(const std::string& brdAddress) { return "0x" + brdAddress; }

// "0x81" -> "81"; upper or lower case; 0x80..0x8F only.
std::string boardAddress(const Json& v, const std::string& field) {
  const std::string s = v.is_string() ? v.get<std::string>() : std::string();
  const bool ok = s.size() == 4 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && s[2] == '8' &&
                  state::hexDigitValue(s[3]) >= 0;
  if (!ok) throw Refusal{field, v.dump() + " is not a board address from \"0x80\" to \"0x8F\""};
  return state::hexByte(0x80 + state::hexDigitValue(s[3]));
}

Registers registerBytes(const Json& v, const std::string& field) {
  Registers r{};
  if (!v.is_array() || v.size() != r.size())
    throw Refusal{field, "must be the six register bytes as texts such as \"E0\", not " + v.dump()};
  for (std::size_t k = 0; k < r.size(); ++k) {
    const std::string s = v[k].is_string() ? v[k].get<std::string>() : std::string();
    if (s.size() != 2 || state::hexDigitValue(s[0]) < 0 || state::hexDigitValue(s[1]) < 0)
      throw Refusal{field, "holds " + v[k].dump() + ", not two hex digits such as \"E0\""};
    r[k] = static_cast<std::uint8_t>(state::leadingHexValue(s));
  }
  return r;
}

BoardConfig parseBoard(const Json& v, int number) {
  const std::string where = "board " + std::to_string(number) + " ";
  if (!v.is_object()) throw Refusal{"\"board\"", "board " + std::to_string(number) + " is not an object"};
  const Fields f(v, where);
  BoardConfig b;
  b.cdc = f.whole("cdc", 0, 7);
  b.cell10 = f.boolean("cell10");
  b.lvlpl = f.boolean("lvlpl");
  b.gpio1 = f.boolean("gpio1");
  b.gpio2 = f.boolean("gpio2");
  b.discharge = f.cells("discharge");
  b.mask = f.cells("mask");

  const double vuv = f.number("vuv");
  const double vov = f.number("vov");
  // The rule the threshold boxes apply to a typed pair.
  if (const char* fault = thresholdPairFault(static_cast<float>(vuv), static_cast<float>(vov)))
    throw Refusal{f.field("vuv") + " and " + quoted("vov"),
                  std::string(fault) + " (vuv " + f.get("vuv").dump() + ", vov " + f.get("vov").dump() + ")"};
  b.vuvCode = thresholdCode(static_cast<float>(vuv));
  b.vovCode = thresholdCode(static_cast<float>(vov));

  // The register bytes must say what the named fields say. Bit 7 of CFGR0
  // is used by no setting, so no field names it: it comes from "cfgr".
  const Registers cfgr = registerBytes(f.get("cfgr"), f.field("cfgr"));
  b.spare = ((cfgr[0] >> state::kSpareBit) & 1u) != 0;
  const Registers named = packRegisters(b);
  for (std::size_t k = 0; k < cfgr.size(); ++k)
    if (cfgr[k] != named[k])
      throw Refusal{f.field("cfgr"), "CFGR" + std::to_string(k) + " is " + state::hexByte(cfgr[k]) +
                                         " but the named fields give " + state::hexByte(named[k])};
  return b;
}

StackConfig parseRoot(const Json& root) {
  if (!root.is_object()) throw Refusal{"", "it holds no JSON object"};
  const Fields f(root, "");
  if (f.text("format") != kStackConfigFormat)
    throw Refusal{f.field("format"), "must be " + quoted(kStackConfigFormat) + ", not " + f.get("format").dump()};
  const Json& version = f.get("version");
  if (!version.is_number_integer() || version.get<long long>() < 1)
    throw Refusal{f.field("version"), "must be a whole number from 1, not " + version.dump()};
  if (version.get<long long>() > kStackConfigVersion)
    throw Refusal{f.field("version"), "version " + version.dump() + " is newer than this program reads (" +
                                          std::to_string(kStackConfigVersion) + ")"};

  StackConfig c;
  c.boards = f.whole("boards", 1, state::kBoards);

  const Json& addresses = f.get("addresses");
  if (!addresses.is_array() || addresses.size() != c.addresses.size())
    throw Refusal{f.field("addresses"), "must list the ten board addresses, not " + addresses.dump()};
  for (std::size_t i = 0; i < c.addresses.size(); ++i)
    c.addresses[i] = boardAddress(addresses[i], f.field("addresses") + " entry " + std::to_string(i + 1));

  const Json& broadcast = f.get("broadcast");
  if (!broadcast.is_object()) throw Refusal{f.field("broadcast"), "must be an object, not " + broadcast.dump()};
  const Fields b(broadcast, f.field("broadcast") + " ");
  for (int i = 0; i < state::kBroadcastables; ++i) c.broadcast[i] = b.boolean(kBroadcastNames[i]);

  c.pecMatchOnly = f.boolean("pec_match_only");
  const std::string mode = f.text("threshold_mode");
  if (mode != "global" && mode != "per_board")
    throw Refusal{f.field("threshold_mode"), "must be \"global\" or \"per_board\", not " + quoted(mode)};
  c.globalThresholds = mode == "global";

  const Json& boards = f.get("board");
  if (!boards.is_array() || boards.size() != static_cast<std::size_t>(c.boards))
    throw Refusal{f.field("board"), "must list " + std::to_string(c.boards) + " boards (\"boards\"), not " +
                                        (boards.is_array() ? std::to_string(boards.size()) : boards.dump())};
  for (int i = 0; i < c.boards; ++i) c.board.push_back(parseBoard(boards[i], i + 1));
  return c;
}

std::string systemReason(int error) { return std::strerror(error); }

std::string fileError(const std::string& path, const std::string& field, const std::string& reason) {
  return path + ": " + (field.empty() ? "" : field + ": ") + reason;
}

// Writes all of `text` to `fd`; false with errno set when it could not.
bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The temporary file beside the target, flushed to the disk and renamed
// over it; then the folder is flushed so the rename itself survives a
// power cut. Returns the system's reason when it fails; the temporary file
// is removed then and the target left alone.
std::string replaceAtomically(const std::string& path, const std::string& text) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return systemReason(errno);
  // A file the user replaces keeps its permissions; a new one gets the
  // usual rw-r--r-- rather than mkstemp's owner-only mode.
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  int error = 0;
  if (::fchmod(fd, mode) != 0 || !writeAll(fd, text) || ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return systemReason(error);
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

}  // namespace

std::string thresholdText(int code) {
  // In whole millivolts, so that no locale puts a comma in: 175 -> "4.200".
  const int millivolts = code * 24;
  const std::string fraction = std::to_string(millivolts % 1000);
  return std::to_string(millivolts / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction;
}

std::string stackConfigJson(const StackConfig& c) {
  Json root;
  root["format"] = kStackConfigFormat;
  root["version"] = kStackConfigVersion;
  root["boards"] = c.boards;
  Json addresses = Json::array();
  for (const std::string& a : c.addresses) addresses.push_back(addressText(a));
  root["addresses"] = addresses;
  Json broadcast = Json::object();
  for (int i = 0; i < state::kBroadcastables; ++i) broadcast[kBroadcastNames[i]] = c.broadcast[i];
  root["broadcast"] = broadcast;
  root["pec_match_only"] = c.pecMatchOnly;
  root["threshold_mode"] = c.globalThresholds ? "global" : "per_board";
  Json boards = Json::array();
  for (const BoardConfig& b : c.board) {
    Json j;
    j["cdc"] = b.cdc;
    j["cell10"] = b.cell10;
    j["lvlpl"] = b.lvlpl;
    j["gpio1"] = b.gpio1;
    j["gpio2"] = b.gpio2;
    j["discharge"] = b.discharge;
    j["mask"] = b.mask;
    // The volts the boxes show, 0.024 V per code to three decimals; JSON
    // writes the shortest form of the number ("4.200" as 4.2).
    j["vuv"] = thresholdVolts(b.vuvCode);
    j["vov"] = thresholdVolts(b.vovCode);
    Json cfgr = Json::array();
    for (std::uint8_t byte : packRegisters(b)) cfgr.push_back(state::hexByte(byte));
    j["cfgr"] = cfgr;
    boards.push_back(j);
  }
  root["board"] = boards;
  return root.dump(2) + "\n";
}

ParsedStackConfig parseStackConfig(const std::string& text) {
  ParsedStackConfig result;
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::parse_error& e) {
    // "[json.exception.parse_error.101] parse error at line 3, ..." without its tag.
    std::string what = e.what();
    if (const std::size_t tag = what.find("] "); tag != std::string::npos) what.erase(0, tag + 2);
    result.fault = "not JSON: " + what;
    return result;
  }
  try {
    result.config = parseRoot(root);
  } catch (const Refusal& r) {
    result.fault = (r.field.empty() ? "" : r.field + ": ") + r.reason;
  }
  return result;
}

StackConfigFileResult readStackConfigFile(const std::string& path) {
  StackConfigFileResult result;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    result.error = fileError(path, "", "is a folder");
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.error = fileError(path, "", systemReason(errno));
    return result;
  }
  std::string text;
  char chunk[8192];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLargestFile) {
      result.error = fileError(path, "", "is larger than 1 MiB; a stack configuration is a few kilobytes");
      return result;
    }
  }
  if (in.bad()) {
    result.error = fileError(path, "", "could not be read");
    return result;
  }
  ParsedStackConfig parsed = parseStackConfig(text);
  if (!parsed.config) {
    result.error = path + ": " + parsed.fault;
    return result;
  }
  result.config = std::move(parsed.config);
  return result;
}

StackConfigFileResult writeStackConfigFile(const std::string& path, const StackConfig& c) {
  StackConfigFileResult result;
  const std::string text = stackConfigJson(c);
  // What Open would refuse is not written: the same check on the same text.
  if (const ParsedStackConfig check = parseStackConfig(text); !check.config) {
    result.error = path + ": not saved, it could not be opened again: " + check.fault;
    return result;
  }
  if (const std::string reason = replaceAtomically(path, text); !reason.empty())
    result.error = path + ": " + reason + "; the file is unchanged";
  return result;
}

}  // namespace kestrav::config
