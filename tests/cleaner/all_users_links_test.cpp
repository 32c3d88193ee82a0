#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "cleaner/cleaner_main.h"
#include "fake_uninstaller.h"
#include "log/logger.h"
#include "standins/installer_memory.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"
#include "whole_run_test.h"

namespace kv {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;  // relative path -> bytes

const char kDetailName[] = "PC01_12062026_140500.KVTOOL_CLEANER.log";

// The cleaner's paths use "\"; both file systems take "/".
fs::path onDisk(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path;
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// A file at `root` for the name "", else a folder holding the files named.
void plantTree(const fs::path& root, const Tree& tree) {
  if (tree.contains("")) return test::writeBytes(root, tree.at(""));
  fs::create_directories(root);
  for (const auto& [name, bytes] : tree) test::writeBytes(root / name, bytes);
}

// As plantTree takes it, with "<name>/" for each folder inside.
Tree readTree(const fs::path& root) {
  if (fs::is_regular_file(root)) return {{"", test::readBytes(root)}};
  Tree tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).generic_string();
    tree[entry.is_directory() ? name + "/" : name] =
        entry.is_directory() ? "" : test::readBytes(entry.path());
  }
  return tree;
}

// The Warn and Error lines of a text, "|"-separated, without line ends.
std::string problemLines(const std::string& text) {
  std::string lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("Warn: ") && !line.starts_with("Error: ")) continue;
    if (line.ends_with("\r")) line.pop_back();
    lines += (lines.empty() ? "" : "|") + line;
  }
  return lines;
}

class AllUsersLinksTest : public test::WholeRunTest {
 protected:
  AllUsersLinksTest() {
    system.environment[L"ALLUSERSPROFILE"] = at(L"profile");
    fs::create_directories(onDisk(at(L"profile")));
  }
  // `relative` below the test directory, as the cleaner writes paths.
  std::wstring at(const std::wstring& relative) const { return dir.wide() + L"\\" + relative; }

  // A junction or symbolic link at `link` leading to `target`: a real symbolic link where the
  // platform makes one (the native build); else (Wine 8 makes none) the target itself is moved
  // to `link` and the stand-in declares it a reparse point. Returns where writing through the
  // link lands.
  fs::path plantLink(const std::wstring& link, const fs::path& target) {
    std::error_code error;
    if (fs::is_directory(target)) {
      fs::create_directory_symlink(target, onDisk(link), error);
    } else {
      fs::create_symlink(target, onDisk(link), error);
    }
    if (!error && fs::is_symlink(onDisk(link))) return target;
    fs::remove(onDisk(link), error);
    fs::rename(target, onDisk(link));
    system.reparsePoints.insert(link);
    return onDisk(link);
  }
};

// A junction or symbolic link planted below the all-users profile is neither written nor
// deleted through; the logs fall back to the console and the refusal is named. -D is used as
// given, even below the profile. In the texts {N} stands for the profile's NOVAX folder, {M} for
// MXQLOG in it, {D} for the detail log's name and {new} for the failed load of a new settings
// file, which every run that writes one logs.
TEST_F(AllUsersLinksTest, NothingIsWrittenOrDeletedThroughAPlantedLink) {
  struct Case {
    const char* name;
    std::vector<std::wstring> folders;  // made for real first, below the test directory
    std::wstring link;                  // below the test directory
    Tree target;                        // what the link leads to; key "" for a file
    bool dashD;                         // -D names MXQLOG
    std::string console;                // Warn and Error lines on the console
    std::string detail;                 // Warn and Error lines of the detail log file
    bool hardLink = false;              // `link` is another name of the target file
  };
  const Case cases[] = {
      // No MXQLOG is made behind the link, and the settings file there is neither written
      // nor deleted.
      {"NOVAX",
       {},
       L"profile\\NOVAX",
       {{"KVXCLEAN.ini", "planted"}},
       false,
       "Warn: Failed to open operation log file {M}\\Operation.log|"
       "Warn: Failed to open log file {M}\\{D}|Error: Refused to write through a link: {N}|"
       "Error: Refused to write through a link: {N}|Error: Create File : {N}\\KVXCLEAN.ini|"
       "Error: Refused to delete through a link: {N}",
       ""},
      {"MXQLOG",
       {L"profile\\NOVAX"},
       L"profile\\NOVAX\\MXQLOG",
       {{"Operation.log", "planted"}},
       false,
       "Warn: Failed to open operation log file {M}\\Operation.log|"
       "Warn: Failed to open log file {M}\\{D}|Error: Refused to write through a link: {M}|{new}",
       ""},
      {"the operation log",
       {L"profile\\NOVAX\\MXQLOG"},
       L"profile\\NOVAX\\MXQLOG\\Operation.log",
       {{"", "planted"}},
       false,
       "Warn: Failed to open operation log file {M}\\Operation.log",
       "Error: Refused to write through a link: {M}\\Operation.log|{new}"},
      {"the detail log",
       {L"profile\\NOVAX\\MXQLOG"},
       L"profile\\NOVAX\\MXQLOG\\PC01_12062026_140500.KVTOOL_CLEANER.log",
       {{"", "planted"}},
       false,
       "Warn: Failed to open log file {M}\\{D}|Error: Refused to write through a link: {M}\\{D}|"
       "{new}",
       ""},
      {"the settings file",
       {L"profile\\NOVAX\\MXQLOG"},
       L"profile\\NOVAX\\KVXCLEAN.ini",
       {{"", "planted"}},
       false,
       "",
       "Error: Refused to write through a link: {N}\\KVXCLEAN.ini|"
       "Error: Create File : {N}\\KVXCLEAN.ini|"
       "Error: Refused to delete through a link: {N}\\KVXCLEAN.ini"},
      {"MXQLOG named by -D", {L"profile\\NOVAX"}, L"profile\\NOVAX\\MXQLOG", {}, true, "", "{new}"},
      {"the settings file, hard-linked",
       {L"profile\\NOVAX\\MXQLOG"},
       L"profile\\NOVAX\\KVXCLEAN.ini",
       {{"", "planted"}},
       false,
       "",
       "Error: Refused to write through a link: {N}\\KVXCLEAN.ini|"
       "Error: Create File : {N}\\KVXCLEAN.ini|"
       "Error: Refused to delete through a link: {N}\\KVXCLEAN.ini",
       true},
  };
  const std::wstring logs = at(L"profile\\NOVAX\\MXQLOG");
  const auto expand = [&](std::string text) {
    replaceAll(text, "{new}", "Error: Failed to load INI file {N}\\KVXCLEAN.ini (File error)");
    replaceAll(text, "{M}", "{N}\\MXQLOG");
    replaceAll(text, "{N}", narrow(at(L"profile\\NOVAX")));
    replaceAll(text, "{D}", kDetailName);
    return text;
  };
  const std::string record =
      "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 0, OK";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetLogs();
    system.reparsePoints.clear();
    fs::remove_all(onDisk(at(L"profile\\NOVAX")));
    fs::remove_all(dir.path() / "target");
    for (const std::wstring& folder : c.folders) fs::create_directories(onDisk(at(folder)));
    plantTree(dir.path() / "target", c.target);
    if (c.hardLink) fs::create_hard_link(dir.path() / "target", onDisk(at(c.link)));
    const fs::path reached =
        c.hardLink ? dir.path() / "target" : plantLink(at(c.link), dir.path() / "target");

    std::vector<std::wstring> args{dir.child(L"kvcleaner.exe"), L"-T"};
    if (c.dashD) args.insert(args.end(), {L"-D", logs});
    testing::internal::CaptureStdout();
    EXPECT_EQ(cleanerMain(args), 0);
    const std::string console = testing::internal::GetCapturedStdout();

    EXPECT_EQ(problemLines(console), expand(c.console));
    const bool detailRefused = c.console.find("open log file") != std::string::npos;
    EXPECT_EQ(problemLines(detailRefused ? "" : test::readBytes(onDisk(logs) / kDetailName)),
              expand(c.detail));
    if (c.console.find("operation log file") != std::string::npos) {
      EXPECT_TRUE(console.ends_with(record + "\n")) << console;
    } else {
      EXPECT_EQ(test::readBytes(onDisk(logs) / "Operation.log"), record + "\r\n");
    }
    // With -D the logs read above lie behind the link; otherwise it leads to what it did.
    if (!c.dashD) {
      EXPECT_EQ(readTree(reached), c.target);
    }
  }
}

// An uninstaller of the first pass that puts a link where the settings file stood.
class LinkPlantingUninstaller : public test::FakeUninstaller {
 public:
  LinkPlantingUninstaller(MemoryInstaller& installer, std::function<void()> plant)
      : FakeUninstaller(installer), plant_(std::move(plant)) {}
  ProcessOutcome runProcess(const std::wstring& command, std::uint32_t limit) override {
    plant_();
    return FakeUninstaller::runProcess(command, limit);
  }

 private:
  std::function<void()> plant_;
};

// The original bytes are not put back through a link planted meanwhile; they stay in the machine
// value, and a later run puts them back.
TEST_F(AllUsersLinksTest, SettingsFileIsNotPutBackThroughALinkPlantedInItsPlace) {
  const fs::path novax = onDisk(at(L"profile\\NOVAX"));
  fs::create_directories(novax);
  test::writeBytes(novax / "KVXCLEAN.ini", "[Admin]\nA=1\n");
  test::writeBytes(dir.path() / "target", "elsewhere");
  memory.addDriver(L"NOVAX D1");
  installer.addProduct(
      {test::code(L'A'), {{L"Publisher", L"NOVAX"}, {L"ProductName", L"P [NOVAX D1]"}}});
  fs::path landing;
  LinkPlantingUninstaller planting(installer, [&] {
    fs::remove(novax / "KVXCLEAN.ini");
    landing = plantLink(at(L"profile\\NOVAX\\KVXCLEAN.ini"), dir.path() / "target");
  });
  ScopedProcessRunner runner(planting);
  const std::vector<std::wstring> args{dir.child(L"kvcleaner.exe"), L"-T"};
  EXPECT_EQ(cleanerMain(args), 0);
  const std::string shown = narrow(at(L"profile\\NOVAX\\KVXCLEAN.ini"));
  EXPECT_EQ(problemLines(test::readBytes(novax / "MXQLOG" / kDetailName)),
            "Error: Refused to write through a link: " + shown + "|Error: Restore File : " + shown);
  EXPECT_EQ(test::readBytes(landing), "elsewhere");
  EXPECT_EQ(system.machineValues[L"KVXCLEAN.ini original"], "[Admin]\nA=1\n");

  // The link gone, the file holds again what the run wrote.
  resetLogs();
  fs::remove(novax / "KVXCLEAN.ini");
  test::writeBytes(novax / "KVXCLEAN.ini", system.machineValues[L"KVXCLEAN.ini written"]);
  system.reparsePoints.clear();
  fs::remove(novax / "MXQLOG" / kDetailName);
  test::FakeUninstaller uninstaller(installer);
  ScopedProcessRunner later(uninstaller);
  EXPECT_EQ(cleanerMain(args), 0);
  EXPECT_EQ(test::readBytes(novax / "KVXCLEAN.ini"), "[Admin]\nA=1\n");
  EXPECT_FALSE(system.machineValues.contains(L"KVXCLEAN.ini original"));
}

}  // namespace
}  // namespace kv
