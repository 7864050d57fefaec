#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/blog_options.h"
#include "store/blog_rec.h"

namespace tessary::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tessary-test-XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only folders made by tests would stop the removal.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> RecordingLog::texts() const {
  std::vector<std::string> t;
  for (const auto& l : lines) t.push_back(l.text);
  return t;
}

bool RecordingLog::contains(const std::string& text) const {
  for (const auto& l : lines)
    if (l.text == text) return true;
  return false;
}

store::Answer RecordingUI::confirm(const std::string& text, store::Buttons) {
  questions.push_back(text);
  if (answers.empty()) return defaultAnswer;
  const store::Answer a = answers.front();
  answers.pop_front();
  return a;
}

store::Answer RecordingUI::warn(const std::string& text, store::Buttons buttons) {
  warnings.push_back(text);
  return confirm(text, buttons);
}

bool RecordingUI::runBasicOptions(store::BlogOptionsRec& rec) {
  dialogs.push_back("BasicOptions");
  return onBasicOptions ? onBasicOptions(rec) : false;
}
bool RecordingUI::runTemplateChooser(store::BlogOptionsRec& rec) {
  dialogs.push_back("TemplateChooser");
  return onTemplateChooser ? onTemplateChooser(rec) : false;
}
bool RecordingUI::runEntryEditor(store::BlogRec& rec, bool categoryMode) {
  dialogs.push_back(categoryMode ? "CategoryEditor" : "EntryEditor");
  return onEntryEditor ? onEntryEditor(rec, categoryMode) : false;
}
bool RecordingUI::runBackupDialog(store::BackupSettings& s) {
  dialogs.push_back("Backup");
  return onBackupDialog ? onBackupDialog(s) : false;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int runCommand(const std::string& command, std::string* output) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  std::array<char, 4096> buf{};
  std::string out;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  const int status = pclose(p);
  if (output) *output = out;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string cliPath() { return std::string(TESSARY_PROGRAM_DIR) + "/tessary-cli"; }

}  // namespace tessary::testing
